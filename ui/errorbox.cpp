#include "errorbox.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QScopeGuard>

#include <exception>
#include <new>
#include <utility>

namespace dalko {

namespace {
constexpr int MessagePixels = 13;
// Room for the close button of the title bar beside the caption.
constexpr int TitleBarButtons = 40;
} // namespace

void showErrorBox(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, ApplicationTitle, message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ErrorBox"));
    // The box's text reads a size larger than the 11 px of the pages, as a message should.
    QFont font = box.font();
    font.setPixelSize(MessagePixels);
    box.setFont(font);
    // The box lays its text out beside the icon and wraps it where the box would grow too
    // wide. It is never narrower than its caption, so that the title bar shows the caption in
    // full: a spacer of that width shares the row of the buttons, which leaves the text its
    // own width.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(QFontMetrics(font).horizontalAdvance(ApplicationTitle) +
                                          TitleBarButtons,
                                      0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                      grid->rowCount() - 1, 0, 1, grid->columnCount());
    box.exec();
}

namespace {

// Any exception ends its handler like an error of the program's own; the user sees what
// happened and the program goes on.
Error asError(std::exception_ptr exception)
{
    try {
        std::rethrow_exception(exception);
    } catch (const Error &error) {
        return error;
    } catch (const std::bad_alloc &) {
        return Error(QStringLiteral("Недостаточно памяти: действие прервано"));
    } catch (const std::exception &other) {
        return Error(QStringLiteral("Внутренняя ошибка программы: %1")
                         .arg(QString::fromLocal8Bit(other.what())));
    } catch (...) {
        return Error(QStringLiteral("Внутренняя ошибка программы"));
    }
}

} // namespace

void ErrorReporter::run(const std::function<void()> &handler)
{
    {
        ++m_depth;
        const auto leave = qScopeGuard([this] { --m_depth; });
        try {
            handler();
        } catch (...) {
            const Error error = asError(std::current_exception());
            if (m_depth > 1)
                m_pending = error;
            else
                report(error);
        }
    }
    if (m_depth == 0 && m_pending) {
        const Error error = *m_pending;
        m_pending.reset();
        report(error);
    }
}

void ErrorReporter::rethrowPending()
{
    if (!m_pending)
        return;
    const Error error = *m_pending;
    m_pending.reset();
    throw error;
}

int ErrorReporter::execModal(QDialog &dialog)
{
    const int depth = std::exchange(m_depth, 0);
    const auto restore = qScopeGuard([this, depth] { m_depth = depth; });
    return dialog.exec();
}

void ErrorReporter::report(const Error &error)
{
    const QString text = errorBoxText(error.message());
    if (m_sink)
        m_sink(text);
    else
        showErrorBox(text);
}

} // namespace dalko

#include "errorbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QScopeGuard>

#include <exception>
#include <new>

namespace dalko {

void showErrorBox(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, ApplicationTitle, message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ErrorBox"));
    // Wide enough for the caption to be read in full.
    box.setStyleSheet(QStringLiteral("QLabel { min-width: 280px; }"));
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

void ErrorReporter::report(const Error &error)
{
    const QString text = errorBoxText(error.message());
    if (m_sink)
        m_sink(text);
    else
        showErrorBox(text);
}

} // namespace dalko

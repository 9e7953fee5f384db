#include "errorbox.h"

#include <QApplication>
#include <QMessageBox>

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

void ErrorReporter::run(const std::function<void()> &handler)
{
    ++m_depth;
    try {
        handler();
    } catch (const Error &error) {
        if (m_depth > 1)
            m_pending = error;
        else
            report(error);
    }
    --m_depth;
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

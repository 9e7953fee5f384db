#include "session.h"

#include "estimatetermsdialog.h"

#include <QApplication>
#include <QDialog>
#include <QLocale>

namespace dalko {

DialogReturn::DialogReturn()
{
    QCoreApplication::instance()->installEventFilter(this);
    // Coming back from another program is a real activation.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    clear();
            });
}

bool DialogReturn::consume(QWidget *window)
{
    if (!window || window != m_window)
        return false;
    m_window = nullptr;
    return true;
}

bool DialogReturn::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide) {
        const auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog && dialog->isModal() && dialog->parentWidget())
            m_window = dialog->parentWidget()->window();
    }
    return false;
}

Session::Session() : regional(NumberFormat::fromLocale(QLocale::system()))
{
    estimateTerms.fixedVatPercent = storedFixedVatPercent();
}

void Session::refreshRegional() { regional = NumberFormat::fromLocale(QLocale::system()); }

QString Session::installDir() { return QCoreApplication::applicationDirPath(); }

QPixmap Session::picture(const QString &fileName)
{
    return QPixmap(installDir() + u'/' + fileName);
}

} // namespace dalko

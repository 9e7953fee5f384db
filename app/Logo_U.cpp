#include "Logo_U.h"

#include "controls.h"
#include "program.h"
#include "version.h"
#include "window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QTimer>

namespace dalko {

namespace {
constexpr QSize SplashSize{560, 341};
constexpr Place VersionPlace{508, 325};
constexpr int SplashMilliseconds = 4000;
} // namespace

TLogo_F::TLogo_F(Program &program)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_program(program)
{
    setWindowTitle(QStringLiteral("Logo_F"));
    setWindowIcon(QIcon(Program::installDir() + QStringLiteral("/estimate.png")));
    setFixedSize(SplashSize);
    Image1 = addLabel(this, "Image1", {0, 0, SplashSize.width(), SplashSize.height()}, QString());
    Image1->setPixmap(m_program.picture(QStringLiteral("splash.jpg")));
    Label1 = addLabel(this, "Label1", VersionPlace, QStringLiteral("v." DALKO_VERSION));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(SplashMilliseconds);
    connect(Timer1, &QTimer::timeout, this, &TLogo_F::Timer1Timer);
    Timer1->start();
}

void TLogo_F::Timer1Timer()
{
    Timer1->stop();
    // A report file given at start is loaded while the splash is up, so that an error box
    // about it stands over the splash and the choice screen follows the box.
    QWidget *next = m_program.screenAfterSplash();
    hide();
    present(next);
}

void TLogo_F::closeEvent(QCloseEvent *event)
{
    event->accept();
    QCoreApplication::quit();
}

} // namespace dalko

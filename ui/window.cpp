#include "window.h"

#include "controls.h"
#include "errorbox.h"
#include "session.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace dalko {

namespace {

const QString Title =
    QStringLiteral("Определение стоимости работ в области энергетического обследования");
const QString Basis = QStringLiteral("Расчет выполнен на основании Рекомендаций «Сметорий», "
                                     "утвержденных СРО НП «Далко», Зарбинск.- 2011 г. ");
constexpr Place PanelPlace{5, 5, 1074, 662};
constexpr Place LogoPlace{8, 8, 234, 60};
constexpr int TitleY = 22;
constexpr Place BasisPlace{461, 71, 566, 84};
constexpr FontSpec TitleFont{Face::Times, 24};
constexpr FontSpec BasisFont{Face::Times, 19, false, true};
constexpr QSize PageSize{1084, 672};

} // namespace

void present(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    window->show();
    window->activateWindow();
}

void switchWindow(QWidget *from, QWidget *to)
{
    from->hide();
    present(to);
}

Window::Window(Session &session, const QString &caption, QSize clientSize)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_session(session)
{
    setWindowTitle(caption);
    resize(clientSize);
}

bool Window::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && !m_session.dialogReturn.consume(this)) {
        // The regional settings may have changed while the program was in the background.
        m_session.refreshRegional();
        runGuarded([this] { FormActivate(); });
    }
    return QWidget::event(event);
}

void Window::runGuarded(const std::function<void()> &handler) { m_session.errors.run(handler); }

void Window::showEvent(QShowEvent *event)
{
    m_session.dialogReturn.clear();
    QWidget::showEvent(event);
}

void Window::closeEvent(QCloseEvent *event)
{
    event->accept();
    m_session.endProgram();
}

Page::Page(Session &session, const QString &caption, int titleX)
    : Window(session, caption, PageSize)
{
    setFixedSize(PageSize);
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(PanelPlace.x, PanelPlace.y, PanelPlace.width, PanelPlace.height);
    Image1 = addLabel(Panel1, "Image1", LogoPlace, QString());
    Image1->setPixmap(Session::picture(QStringLiteral("logo.jpg")));
    Label1 = addLabel(Panel1, "Label1", {titleX, TitleY, 738, 27}, Title, TitleFont);
    Label2 = addLabel(Panel1, "Label2", BasisPlace, Basis, BasisFont);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Page::setNeighbours(QWidget *previous, QWidget *next)
{
    m_previous = previous;
    m_next = next;
}

QPushButton *Page::addNavigationButton(const char *name, Place place, const QString &caption)
{
    return addButton(Panel1, name, place, caption);
}

QPushButton *Page::addLargeButton(const char *name, Place place, const QString &caption,
                                  const FontSpec &font)
{
    return addButton(Panel1, name, place, caption, font);
}

} // namespace dalko

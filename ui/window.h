#pragma once

// The windows of the program. Each is created once at start-up and lives until the end;
// hiding and showing never resets it. Exactly one is visible at a time; closing any of them
// ends the program.

#include <QWidget>

#include <functional>
#include <type_traits>

class QFrame;
class QLabel;
class QPushButton;

namespace dalko {

struct Session;
struct Place;
struct FontSpec;

// Shows a window at the centre of the desktop and makes it the active window, so that its
// FormActivate runs.
void present(QWidget *window);
// Hides one window and presents another.
void switchWindow(QWidget *from, QWidget *to);

class Window : public QWidget {
    Q_OBJECT
  public:
    Window(Session &session, const QString &caption, QSize clientSize);

    // Runs each time the window becomes the active window.
    virtual void FormActivate() {}

  protected:
    // A slot that runs a handler as the program runs every handler: an error ends it and is
    // shown in the error box. Takes a member handler or any callable.
    template <typename Handler>
    auto guarded(Handler handler)
    {
        return [this, handler] { runGuarded([this, &handler] { invoke(handler); }); };
    }

    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    Session &m_session;

  private:
    void runGuarded(const std::function<void()> &handler);

    template <typename Handler>
    void invoke(const Handler &handler)
    {
        if constexpr (std::is_member_function_pointer_v<Handler>)
            (static_cast<MemberClass<Handler> *>(this)->*handler)();
        else
            handler();
    }

    template <typename Member>
    struct MemberOf;
    template <typename Class>
    struct MemberOf<void (Class::*)()> {
        using type = Class;
    };
    template <typename Member>
    using MemberClass = typename MemberOf<Member>::type;
};

// A calculator page: the shared header on Panel1 and the buttons along the bottom.
class Page : public Window {
    Q_OBJECT
  public:
    Page(Session &session, const QString &caption, int titleX = 289);

    // The pages "Назад" and "Далее" lead to, once the program has built them all.
    void setNeighbours(QWidget *previous, QWidget *next);

    QFrame *Panel1;
    QLabel *Image1;
    QLabel *Label1;
    QLabel *Label2;

  protected:
    QWidget *m_previous = nullptr;
    QWidget *m_next = nullptr;

    QPushButton *addNavigationButton(const char *name, Place place, const QString &caption);
    // "Печать сметы" and "Сохранить файл отчета" of the last pages.
    QPushButton *addLargeButton(const char *name, Place place, const QString &caption,
                                const FontSpec &font);
};

} // namespace dalko

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

struct Program;
struct Place;
struct FontSpec;

// Shows a window at the centre of the desktop and makes it the active window, so that its
// FormActivate runs.
void present(QWidget *window);
// Hides one window and presents another.
void switchWindow(QWidget *from, QWidget *to);

// Remembers the window over which one of the program's own modal dialogs last closed. The
// window system then makes that window active again; running its FormActivate for that would
// repeat a failed recomputation at once, box after box.
class DialogReturn : public QObject {
    Q_OBJECT
  public:
    DialogReturn();
    // True, once, when this activation only returns from a dialog.
    bool consume(QWidget *window);
    void clear() { m_window = nullptr; }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QWidget *m_window = nullptr;
};

class Window : public QWidget {
    Q_OBJECT
  public:
    Window(Program &program, const QString &caption, QSize clientSize);

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

    Program &m_program;

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
    Page(Program &program, const QString &caption, int titleX = 289);

    QFrame *Panel1;
    QLabel *Image1;
    QLabel *Label1;
    QLabel *Label2;

  protected:
    QPushButton *addNavigationButton(const char *name, Place place, const QString &caption);
    // "Печать сметы" and "Сохранить файл отчета" of the last pages.
    QPushButton *addLargeButton(const char *name, Place place, const QString &caption,
                                const FontSpec &font);
};

} // namespace dalko

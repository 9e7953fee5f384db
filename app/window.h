#pragma once

// The windows of the program. Each is created once at start-up and lives until the end;
// hiding and showing never resets it. Exactly one is visible at a time; closing any of them
// ends the program.

#include <QWidget>

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
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    Program &program;
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

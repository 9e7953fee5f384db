#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace dalko {

struct Program;

// The splash, and the main window of the program for its whole run: closing it, even while
// it is hidden, ends the program.
class TLogo_F : public QWidget {
    Q_OBJECT
  public:
    explicit TLogo_F(Program &program);

    QLabel *Image1;
    QLabel *Label1;
    QTimer *Timer1;

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void Timer1Timer();

    Program &m_program;
};

} // namespace dalko

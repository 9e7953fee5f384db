#pragma once

#include "window.h"

class QPushButton;

namespace dalko {

struct Program;

// The choice of calculator.
class TProg_FL2 : public Window {
    Q_OBJECT
  public:
    explicit TProg_FL2(Program &program);

    QPushButton *Button1; // the general calculator
    QPushButton *Button2; // the boiler-house calculator
    QPushButton *Button3; // "Журнал смет"

  private:
    Program &m_program;
};

} // namespace dalko

#include "T_U1.h"

#include "T_U2.h"
#include "app/program.h"

#include <QLineEdit>

namespace dalko {

TT_F1::TT_F1(Program &program) : CustomerPage(program, report::Calculator::Boiler)
{
    Edit1->setFocus();
}

void TT_F1::Button1Click() { switchWindow(this, program.TT_F2); }

} // namespace dalko

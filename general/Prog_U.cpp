#include "Prog_U.h"

#include "Prog_U2.h"
#include "app/program.h"

namespace dalko {

TProg_F::TProg_F(Program &program) : CustomerPage(program, report::Calculator::General) {}

void TProg_F::Button1Click() { switchWindow(this, m_program.TProg_F2.get()); }

} // namespace dalko

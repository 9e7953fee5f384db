#include "Prog_U.h"

#include "Prog_U2.h"
#include "app/program.h"
#include "reportfile/reportpages.h"

namespace dalko {

TProg_F::TProg_F(Program &program) : CustomerPage(program) {}

void TProg_F::Button1Click() { switchWindow(this, program.TProg_F2); }

void TProg_F::Button2Click()
{
    const QString path = chooseReportFile();
    if (!path.isEmpty())
        report::load(program, path, report::Calculator::General);
}

} // namespace dalko

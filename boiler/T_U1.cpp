#include "T_U1.h"

#include "T_U2.h"
#include "app/program.h"
#include "reportfile/reportpages.h"

#include <QLineEdit>

namespace dalko {

TT_F1::TT_F1(Program &program) : CustomerPage(program) { Edit1->setFocus(); }

void TT_F1::Button1Click() { switchWindow(this, program.TT_F2); }

void TT_F1::Button2Click()
{
    const QString path = chooseReportFile();
    if (!path.isEmpty())
        report::load(program, path, report::Calculator::Boiler);
}

} // namespace dalko

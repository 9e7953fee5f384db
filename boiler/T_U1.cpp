#include "T_U1.h"

#include "T_U2.h"
#include "app/program.h"

#include <QCheckBox>
#include <QLineEdit>

namespace dalko {

TT_F1::TT_F1(Program &program) : CustomerPage(program, report::Calculator::Boiler)
{
    Edit1->setFocus();
}

report::BoundLines TT_F1::reportBindings()
{
    return CustomerPage::reportBindings() << report::BoundLine{report::LineKind::Flag, CheckBox1};
}

void TT_F1::Button1Click() { switchWindow(this, m_program.TT_F2.get()); }

} // namespace dalko

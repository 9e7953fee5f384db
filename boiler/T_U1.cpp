#include "T_U1.h"

#include <QCheckBox>
#include <QLineEdit>

namespace dalko {

TT_F1::TT_F1(Session &session) : CustomerPage(session, report::Calculator::Boiler)
{
    Edit1->setFocus();
}

report::BoundLines TT_F1::reportBindings() const
{
    return CustomerPage::reportBindings() << report::BoundLine{report::LineKind::Flag, CheckBox1};
}

} // namespace dalko

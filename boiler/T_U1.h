#pragma once

#include "app/customerpage.h"

namespace dalko {

// The boiler-house calculator, page 1: the customer and the financial parameters.
class TT_F1 : public CustomerPage {
    Q_OBJECT
  public:
    explicit TT_F1(Program &program);

    report::BoundLines reportBindings() override;

  protected:
    void Button1Click() override;
};

} // namespace dalko

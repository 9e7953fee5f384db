#pragma once

#include "app/customerpage.h"

namespace dalko {

// The general calculator, page 1: the customer and the financial parameters.
class TProg_F : public CustomerPage {
    Q_OBJECT
  public:
    explicit TProg_F(Program &program);

  protected:
    void Button1Click() override;
};

} // namespace dalko

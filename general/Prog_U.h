#pragma once

#include "customerpage.h"

namespace dalko {

// The general calculator, page 1: the customer and the financial parameters.
class TProg_F : public CustomerPage {
    Q_OBJECT
  public:
    explicit TProg_F(Session &session);
};

} // namespace dalko

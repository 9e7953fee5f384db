#pragma once

#include "customerpage.h"

namespace dalko {

// The boiler-house calculator, page 1: the customer and the financial parameters.
class TT_F1 : public CustomerPage {
    Q_OBJECT
  public:
    explicit TT_F1(Session &session);

    report::BoundLines reportBindings() const override;
};

} // namespace dalko

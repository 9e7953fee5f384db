#include "Prog_U.h"

namespace dalko {

TProg_F::TProg_F(Session &session) : CustomerPage(session, report::Calculator::General) {}

} // namespace dalko

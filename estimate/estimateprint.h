#pragma once

#include "filler.h"

namespace dalko::estimate {

// Fills the template and prints it on the system's default printer with its default
// settings; gives the printer's name. Fails, printing nothing, when there is no default printer.
QString printEstimate(const QString &templatePath, const QList<Replacement> &replacements);

} // namespace dalko::estimate

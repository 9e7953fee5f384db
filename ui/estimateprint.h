#pragma once

#include "estimate/filler.h"

namespace dalko::estimate {

// Fills the template and prints it on the system's default printer with its default
// settings. Fails, printing nothing, when there is no default printer. Returns the
// placeholders the template lacks.
QStringList printEstimate(const QString &templatePath, const QList<Replacement> &replacements);

} // namespace dalko::estimate

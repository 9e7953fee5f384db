#pragma once

#include "estimate/filler.h"

namespace dalko::estimate {

// Fills the template and prints it on the system's default printer with its default
// settings. Fails, printing nothing, when there is no default printer.
struct Printed {
    QString printer;     // the printer's name
    QStringList missing; // the placeholders the template lacks
};
Printed printEstimate(const QString &templatePath, const QList<Replacement> &replacements);

} // namespace dalko::estimate

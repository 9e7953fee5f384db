#pragma once

// The boiler-house estimate: the placeholders of "dalko-t.rv" and their values, in the order
// in which they are replaced. Values the method hands over as numbers are written by the
// number-to-text rule.

#include "filler.h"

#include "boiler/boilercalc.h"
#include "numbers.h"

#include <QDate>

namespace dalko::estimate {

inline const QString BoilerTemplate = QStringLiteral("dalko-t.rv");

struct BoilerInputs {
    CustomerTexts first; // the percentages are converted to numbers
    QString boilerCount, boilerKind, capacity, firingModes; // the lists' displayed texts
    boiler::Quantities cost;
    NumberFormat format;
    QDate date;
};

// Every value is formed before the document is touched, so that a percentage that does not
// convert stops the estimate before anything is filled.
QList<Replacement> boilerReplacements(const BoilerInputs &in);

} // namespace dalko::estimate

#pragma once

// The general estimate: the placeholders of "dalko-en.rv" and their values, in the order in
// which they are replaced.

#include "filler.h"

#include "general/generalcalc.h"
#include "numbers.h"

#include <QDate>

namespace dalko::estimate {

inline const QString GeneralTemplate = QStringLiteral("dalko-en.rv");

struct GeneralInputs {
    CustomerTexts first;  // the percentages are printed as typed
    double fuelTotal = 0; // т.у.т.
    double baseNorm = 0;
    general::CostQuantities cost;
    NumberFormat format;
    QDate date;
};

QList<Replacement> generalReplacements(const GeneralInputs &in);

} // namespace dalko::estimate

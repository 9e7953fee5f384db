#pragma once

// The method's worked examples as every test that checks them states them: their date, their
// inputs and their totals.

#include "costrules.h"

#include <QDate>
#include <QString>

namespace dalko::test {

// The examples are dated in the years of the method's 18 %, which was the law then.
inline const QDate MethodDate{2018, 12, 31};
// The financial parameters both calculators start with.
inline const FinancialTexts ExampleFinancial{"30000", "35", "35", "15"};
// The general example: 290,276 thousand m³ of natural gas make 100 т.у.т. and a base norm of
// 200 hours; the first item of every list; 1000 m².
inline const QString ExampleGas = QStringLiteral("290,276");
inline constexpr double ExampleFuelTotal = 100;
inline constexpr double ExampleBaseNorm = 200;
// The totals with VAT and expertise: at the method's 18 % and at the 22 % of 2026.
inline const QString GeneralTotal = QStringLiteral("114469,79");
inline const QString GeneralTotal2026 = QStringLiteral("118350,13");
// The boiler house as its page starts.
inline const QString BoilerTotal = QStringLiteral("57926,51");
inline const QString BoilerTotal2026 = QStringLiteral("59890,13");

} // namespace dalko::test

#pragma once

// A calculation as its report file holds it, loaded and computed as the pages load and
// compute it: what dalko-calc runs without a window. The pages keep the same inputs in their
// controls; a test runs every report file of the test corpus through both.

#include "reportformat.h"

#include "boiler/boilercalc.h"
#include "estimate/filler.h"
#include "general/generalcalc.h"
#include "vatlaw.h"

#include <array>
#include <utility>

namespace dalko::report {

// The first page of either calculator as it starts.
CustomerTexts startingCustomerTexts();

struct GeneralCalculation {
    CustomerTexts first = startingCustomerTexts();
    std::array<QString, general::ResourceCount> consumptions;
    int branch = 0, location = 0, metering = 0, expertise = 0, vat = 0; // -1: no item
    QString area = QStringLiteral("0");

    GeneralCalculation() { consumptions.fill(QStringLiteral("0")); }
};

struct BoilerCalculation {
    CustomerTexts first = startingCustomerTexts();
    bool customerNotGiven = true;
    int boilerCount = boiler::DefaultBoilerCount, capacity = boiler::DefaultCapacity,
        boilerKind = boiler::DefaultBoilerKind, expertise = 0, vat = 0; // -1: no item
    boiler::Quantities quantities;

    BoilerCalculation() { boiler::setDefaultFactors(quantities); }
};

// What the last page of the general calculator shows and the estimate prints.
struct GeneralResult {
    general::FuelTotals fuel;
    general::CostQuantities cost;
    general::CostDisplay display; // Label7, Label11
};

// Validates the lines as the loader does and takes them in order. Fails with the message of
// the error box.
GeneralCalculation loadGeneral(const QStringList &lines, QChar decimal);
BoilerCalculation loadBoiler(const QStringList &lines, QChar decimal);
// The lines the loader does not take as they read, each named ("строка 8, "1 234,5": не число,
// считается 0"): a number that does not convert, a consumption the page counts as 0 though it
// says more, a list index outside its list. An empty line says nothing. The lines are valid.
QStringList loadNotes(Calculator calculator, const QStringList &lines, QChar decimal);

QStringList generalLines(const GeneralCalculation &calculation);
QStringList boilerLines(const BoilerCalculation &calculation, QChar decimal);

// The recomputation of the last page. The result holds what was assigned until a step
// failed; the error is rethrown.
void computeGeneral(const GeneralCalculation &calculation, const EstimateTerms &terms,
                    QChar decimal, GeneralResult &result);
// Gives the text of the total (Label11); the quantities are the calculation's own.
QString computeBoiler(BoilerCalculation &calculation, const EstimateTerms &terms, QChar decimal);

QList<estimate::Replacement> generalEstimate(const GeneralCalculation &calculation,
                                             const GeneralResult &result,
                                             const EstimateTerms &terms,
                                             const NumberFormat &format);
QList<estimate::Replacement> boilerEstimate(const BoilerCalculation &calculation,
                                            const EstimateTerms &terms, const NumberFormat &format);

// The quantities by name, in the order dalko-calc prints them.
using NamedQuantity = std::pair<QString, double>;
QList<NamedQuantity> namedQuantities(const GeneralResult &result);
QList<NamedQuantity> namedQuantities(const boiler::Quantities &q);

} // namespace dalko::report

#pragma once

// The arithmetic of the general calculator: consumption of fuels and energies in tonnes of
// reference fuel, the base labour norm, and the cost of the audit. Texts and list indices in,
// quantities out; the pages only bind widgets to these functions.

#include "costrules.h"

#include <array>

namespace dalko::general {

inline constexpr int ResourceCount = 9;

// т.у.т. per unit of each resource, held in extended precision.
inline constexpr std::array<long double, ResourceCount> FuelFactors{
    0.3445L, 0.1486L, 1.154L, 1.37L, 0.768L, 0.266L, 1.49L, 1.45L, 1.57L};

struct NormRow {
    double fuel; // т.у.т.
    double norm; // base labour norm, working hours
};
extern const std::array<NormRow, 134> NormTable;

struct ListEntry {
    const char16_t *text;
    double coef;
};
extern const std::array<ListEntry, 49> Branches; // К1 by branch of industry
extern const std::array<ListEntry, 8> Locations; // К2 by location and number of objects

// One resource in т.у.т., brought to hundredths; 0 where the text does not convert or the
// amount does not fit.
double referenceFuel(const QString &consumption, int resource, QChar decimal);
// The nine amounts added in order, not rounded.
double referenceFuelTotal(const std::array<double, ResourceCount> &amounts);

// What the consumption page computes and the cost page reads.
struct FuelTotals {
    std::array<double, ResourceCount> ReferenceFuel{}; // ReferenceFuel1 … 9
    double ReferenceFuelTotal = 0;
    double BaseNorm = 0;
};

// The norm table holds totals from 0 to 520000 т.у.т.; outside that there is no norm.
bool normDefined(double total);
QString normUndefinedMessage(double total, QChar decimal);

struct NormBracket {
    int lower = 0;
    int upper = 0;
};
// Scans every row; of several brackets that hold the total, the last one wins.
// The bracket is left as it was when none holds it.
void findNormBracket(double total, NormBracket &bracket);
double interpolateNorm(double total, const NormBracket &bracket);
// The base norm of a total, 0 outside the table so that a norm of an earlier total is never
// priced. The bracket is the search's state, kept from one total to the next.
double baseNorm(double total, NormBracket &bracket);

struct CostInputs {
    FinancialTexts financial;
    double baseNorm = 0;
    double fuelTotal = 0; // only to tell whether the norm is defined
    int branch = 0;       // selected index of each list, -1 for none
    int location = 0;
    int metering = 0;
    int expertise = 0;
    int vat = 0;        // 0 is with VAT
    double vatRate = 0; // the rate with VAT, by the estimate's date or as the firm fixed it
    QString area;
    QChar decimal = u'.';
};

struct CostQuantities {
    double IndustryCoef = 0;
    double LocationCoef = 0;
    double MeteringCoef = 0;
    double VatRate = 0;
    double HourlyWage = 0;
    double LabourCost = 0;
    double OverheadSum = 0;
    double ProfitSum = 0;
    double SubtotalCost = 0;
    double RegionalSum = 0;
    double VatSum = 0;
    double CostWithVat = 0;
    double ExpertiseRate = 0;
    double ExpertiseSum = 0;

    Ext costNoVat() const { return Ext(SubtotalCost) + RegionalSum; }
    Ext totalCost() const { return Ext(CostWithVat) + ExpertiseSum; }
};

struct CostDisplay {
    QString perSquareMetre; // Label7
    QString total;          // Label11
};

// The recomputation in the method's order. Each quantity is assigned as its step completes,
// so a step that fails leaves the earlier ones assigned and the later ones as they were.
void recomputeCost(const CostInputs &in, CostQuantities &q, CostDisplay &display);

// The cost per square metre; "0 руб/кв.м" wherever it cannot be formed.
QString perSquareMetreText(double costWithVat, const QString &area, QChar decimal);

} // namespace dalko::general

#pragma once

// The arithmetic of the boiler-house calculator: the labour norms chosen by the lists and
// the cost of the survey. The page binds its lists and label to these functions.

#include "app/costrules.h"

#include <array>

namespace dalko::boiler {

struct BoilerCountRow {
    const char16_t *text;
    double boilerNorm;      // hours
    double diagBoilersCoef; // on the diagnostics norm
};
extern const std::array<BoilerCountRow, 11> BoilerCounts;

struct Choice {
    const char16_t *text;
    double value;
};
extern const std::array<Choice, 3> Capacities;  // CapacityCoef
extern const std::array<Choice, 3> BoilerKinds; // BoilerKindCoef
extern const std::array<Choice, 3> Fuels;       // FuelCoef
extern const std::array<Choice, 5> FiringModes; // DiagNorm, hours

// The default items of the lists, as the page starts.
inline constexpr int DefaultBoilerCount = 0;
inline constexpr int DefaultCapacity = 2;
inline constexpr int DefaultBoilerKind = 1;
inline constexpr int DefaultFuel = 2;
inline constexpr int DefaultFiringModes = 0;

struct Quantities {
    double BoilerNorm = 0;
    double DiagBoilersCoef = 0;
    double CapacityCoef = 0;
    double BoilerKindCoef = 0;
    double FuelCoef = 0;
    double DiagNorm = 0;
    double HourlyWage = 0;
    double LabourCost = 0;
    double OverheadSum = 0;
    double ProfitSum = 0;
    double RegionalSum = 0;
    double CostNoVat = 0;
    double VatRate = 0;
    double VatSum = 0;
    double CostWithVat = 0;
    double ExpertiseRate = 0;
    double ExpertiseSum = 0;
    double TotalCost = 0;
};

// The factors of the default items and the wage of the default salary.
void setDefaultFactors(Quantities &q);

// Each sets its factors from the selected index; an index outside the list leaves them.
void chooseBoilerCount(int index, Quantities &q);
void chooseCapacity(int index, Quantities &q);
void chooseBoilerKind(int index, Quantities &q);
void chooseFuel(int index, Quantities &q);
void chooseFiringModes(int index, Quantities &q);

// The item whose factor equals a loaded one, so that the lists show what the cost uses; -1
// where none does (a hand-edited file).
int fuelIndex(double fuelCoef);
int firingModesIndex(double diagNorm);

struct RecalcInputs {
    FinancialTexts financial;
    int expertise = 0;  // selected index of ComboBox4: 1 leaves the expertise out
    int vat = 0;        // selected index of ComboBox5: 0 is with VAT
    double vatRate = 0; // the rate with VAT, by the estimate's date or as the firm fixed it
    QChar decimal = u'.';
};

// The cost in the method's order; each quantity is assigned as its step completes. Gives
// the text of the total.
QString recalculate(const RecalcInputs &in, Quantities &q);

} // namespace dalko::boiler

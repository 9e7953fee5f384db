#include "boilercalc.h"

#include <algorithm>

namespace dalko::boiler {

const std::array<BoilerCountRow, 11> BoilerCounts{{
    {u"1", 90, 1.0},
    {u"2", 150, 1.8},
    {u"3", 205, 2.5},
    {u"4", 260, 3.1},
    {u"5", 305, 3.2},
    {u"6", 345, 3.4},
    {u"7", 355, 3.8},
    {u"8", 430, 3.8},
    {u"9", 460, 3.8},
    {u"10", 485, 3.8},
    {u"11 и более", 505, 3.8},
}};

const std::array<Choice, 3> Capacities{{
    {u"10 Гкал/час и более", 1.0},
    {u"менее 10 Гкал/час и более 0,5 Гкал/час", 0.6},
    {u"менее 0,5 Гкал/час", 0.5},
}};

const std::array<Choice, 3> BoilerKinds{{
    {u"Котельная с паровыми котлами", 1.0},
    {u"Котельная с водогрейными котлами", 0.9},
    {u"Котельная с паровыми и водогрейными котлами", 0.95},
}};

const std::array<Choice, 3> Fuels{{
    {u"Жидкое топливо", 1.0},
    {u"Газообразное топливо", 0.85},
    {u"Твёрдое топливо", 0.9},
}};

const std::array<Choice, 5> FiringModes{{
    {u"1", 85},
    {u"2", 145},
    {u"3", 180},
    {u"4", 210},
    {u"5", 230},
}};

namespace {

template <std::size_t N>
void choose(int index, const std::array<Choice, N> &list, double &factor)
{
    if (index >= 0 && index < int(N))
        factor = list[index].value;
}

} // namespace

void setDefaultFactors(Quantities &q)
{
    chooseBoilerCount(DefaultBoilerCount, q);
    chooseCapacity(DefaultCapacity, q);
    chooseBoilerKind(DefaultBoilerKind, q);
    chooseFuel(DefaultFuel, q);
    chooseFiringModes(DefaultFiringModes, q);
    q.HourlyWage = defaultHourlyWage();
}

void chooseBoilerCount(int index, Quantities &q)
{
    if (index < 0 || index >= int(BoilerCounts.size()))
        return;
    q.BoilerNorm = BoilerCounts[index].boilerNorm;
    q.DiagBoilersCoef = BoilerCounts[index].diagBoilersCoef;
}

void chooseCapacity(int index, Quantities &q) { choose(index, Capacities, q.CapacityCoef); }
void chooseBoilerKind(int index, Quantities &q) { choose(index, BoilerKinds, q.BoilerKindCoef); }
void chooseFuel(int index, Quantities &q) { choose(index, Fuels, q.FuelCoef); }
void chooseFiringModes(int index, Quantities &q) { choose(index, FiringModes, q.DiagNorm); }

namespace {

template <std::size_t N>
int indexOfValue(const std::array<Choice, N> &table, double value)
{
    const auto found = std::find_if(table.begin(), table.end(), [value](const Choice &choice) {
        return choice.value == value;
    });
    return found == table.end() ? -1 : int(found - table.begin());
}

} // namespace

int fuelIndex(double fuelCoef) { return indexOfValue(Fuels, fuelCoef); }
int firingModesIndex(double diagNorm) { return indexOfValue(FiringModes, diagNorm); }

QString recalculate(const RecalcInputs &in, Quantities &q)
{
    const QChar d = in.decimal;
    q.HourlyWage = hourlyWage(in.financial.salary, d).store();
    q.LabourCost = R2((Ext(q.BoilerNorm) * q.CapacityCoef * q.BoilerKindCoef * q.FuelCoef +
                       Ext(q.DiagNorm) * q.DiagBoilersCoef) *
                      q.HourlyWage)
                       .store();
    addOverheadsAndProfit(q.LabourCost, in.financial, d, q.OverheadSum, q.ProfitSum);
    q.RegionalSum = R2((Ext(q.LabourCost) + q.OverheadSum + q.ProfitSum) *
                       (textToNumber(in.financial.regional, d) / 100))
                        .store();
    q.CostNoVat = (Ext(q.LabourCost) + q.OverheadSum + q.ProfitSum + q.RegionalSum).store();
    q.VatRate = in.vat == 0 ? in.vatRate : 0;
    q.VatSum = R2(Ext(q.CostNoVat) * q.VatRate).store();
    q.CostWithVat = (Ext(q.CostNoVat) + q.VatSum).store();
    q.ExpertiseRate = in.expertise == 1 ? 0 : expertiseRate(q.CostWithVat);
    q.ExpertiseSum = R2(Ext(q.CostWithVat) * q.ExpertiseRate).store();
    q.TotalCost = (Ext(q.CostWithVat) + q.ExpertiseSum).store();
    return numberToText(q.TotalCost, d);
}

} // namespace dalko::boiler

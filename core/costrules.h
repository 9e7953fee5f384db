#pragma once

// Steps of the cost method that both calculators take alike.

#include "numbers.h"

#include <array>

namespace dalko {

// The four financial parameters as typed on the first page of a calculator.
struct FinancialTexts {
    QString salary;    // average monthly salary, roubles
    QString overheads; // per cent
    QString profit;    // per cent
    QString regional;  // per cent
};

// Everything the first page of a calculator holds, as typed.
struct CustomerTexts {
    QString customer;
    QString place;   // location of the object or objects
    QString objects; // objects surveyed
    FinancialTexts financial;
};

struct ExpertiseBand {
    double lowerBound; // roubles, the band runs up to just below the next bound
    double rate;       // share of the cost
};

inline constexpr std::array<ExpertiseBand, 11> ExpertiseBands{{
    {0, 0.08},
    {200001, 0.075},
    {500001, 0.07},
    {750001, 0.065},
    {1000001, 0.06},
    {1500001, 0.055},
    {2000001, 0.05},
    {2500001, 0.045},
    {3000001, 0.04},
    {4000001, 0.035},
    {5000001, 0.03},
}};

// The rate of the band of a cost with VAT: the last band whose bound does not exceed it.
// A negative cost has no band in the method and takes the first one.
double expertiseRate(double costWithVat);

// The method's working hours in a month: an hour's wage is the monthly salary over them.
inline constexpr int WorkingHoursPerMonth = 168;
// The first page of either calculator as it starts: the average monthly salary, the overheads,
// the estimated profit and the regional coefficient (per cent), and the customer's texts while
// "Заказчик не задан" is ticked.
inline constexpr char16_t DefaultSalary[] = u"30000";
inline constexpr char16_t DefaultOverheads[] = u"35";
inline constexpr char16_t DefaultProfit[] = u"35";
inline constexpr char16_t DefaultRegional[] = u"15";
inline constexpr char16_t NotGiven[] = u"не задано";

// The wage of one working hour, brought to kopecks.
Ext hourlyWage(const QString &salary, QChar decimal);
// The wage of the default salary (178,57), held before the first recomputation.
double defaultHourlyWage();

// The overheads on the labour, then the estimated profit on both, each brought to kopecks and
// assigned as its step completes.
void addOverheadsAndProfit(double labourCost, const FinancialTexts &financial, QChar decimal,
                           double &overheadSum, double &profitSum);

} // namespace dalko

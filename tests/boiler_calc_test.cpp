#include "boiler/boilercalc.h"
#include "vatlaw.h"
#include "worked_examples.h"

#include "error_message.h"
#include "qstring_print.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace dalko;
using namespace dalko::test;
using dalko::test::errorMessage;
using namespace dalko::boiler;

namespace {

// The page's defaults, dated in the years of the method's 18 %.
RecalcInputs defaults()
{
    RecalcInputs in;
    in.vatRate = EstimateTerms{MethodDate, std::nullopt}.vatRate();
    in.financial = ExampleFinancial;
    in.decimal = u',';
    return in;
}

Quantities defaultFactors()
{
    Quantities q;
    setDefaultFactors(q);
    return q;
}

TEST(BoilerCost, DefaultInputsToTheKopeck)
{
    Quantities q = defaultFactors();
    EXPECT_EQ(recalculate(defaults(), q), BoilerTotal);
    EXPECT_EQ(q.HourlyWage, 178.57);
    EXPECT_EQ(q.LabourCost, 21687.33);
    EXPECT_EQ(q.OverheadSum, 7590.57);
    EXPECT_EQ(q.ProfitSum, 10247.27); // 10247.26 if computed in doubles
    EXPECT_EQ(q.RegionalSum, 5928.78);
    EXPECT_EQ(q.VatSum, 8181.71);
    EXPECT_EQ(q.CostWithVat, 53635.66);
    EXPECT_EQ(q.ExpertiseRate, 0.08);
    EXPECT_EQ(q.ExpertiseSum, 4290.85);
}

TEST(BoilerCost, DefaultInputsAtTheRateOf2026)
{
    RecalcInputs in = defaults();
    in.vatRate = EstimateTerms{QDate(2026, 12, 10), std::nullopt}.vatRate();
    Quantities q = defaultFactors();
    EXPECT_EQ(recalculate(in, q), BoilerTotal2026);
    EXPECT_EQ(q.VatRate, 0.22);
    EXPECT_EQ(q.VatSum, 9999.87);
    EXPECT_EQ(numberToText(q.CostWithVat, u','), "55453,82");
    EXPECT_EQ(q.ExpertiseSum, 4436.31);
    EXPECT_EQ(numberToText(q.TotalCost, u','), BoilerTotal2026);
}

TEST(BoilerCost, Options)
{
    RecalcInputs in = defaults();
    in.vat = 1;
    Quantities q = defaultFactors();
    EXPECT_EQ(recalculate(in, q), "49090,27");
    EXPECT_EQ(q.VatSum, 0);
    EXPECT_EQ(numberToText(q.CostWithVat, u','), "45453,95");
    EXPECT_EQ(q.ExpertiseSum, 3636.32);

    in = defaults();
    in.expertise = 1;
    EXPECT_EQ(recalculate(in, q), "53635,66");
    EXPECT_EQ(q.ExpertiseRate, 0);

    in.expertise = -1; // no item selected still includes the expertise
    recalculate(in, q);
    EXPECT_EQ(q.ExpertiseRate, 0.08);
}

TEST(BoilerCost, LargestBoilerHouse)
{
    Quantities q = defaultFactors();
    chooseBoilerCount(10, q);
    chooseCapacity(0, q);
    chooseBoilerKind(0, q);
    chooseFuel(0, q);
    chooseFiringModes(4, q);
    EXPECT_EQ(recalculate(defaults(), q), "651634,27");
    EXPECT_EQ(q.LabourCost, 246248.03);
    EXPECT_EQ(q.CostWithVat, 609003.99);
    EXPECT_EQ(q.ExpertiseRate, 0.07);
}

TEST(BoilerFactors, IndexOutsideTheListKeepsThem)
{
    Quantities q = defaultFactors();
    chooseBoilerCount(1, q);
    EXPECT_EQ(q.BoilerNorm, 150);
    EXPECT_EQ(q.DiagBoilersCoef, 1.8);
    for (int index : {-1, 11, 99}) {
        chooseBoilerCount(index, q);
        chooseCapacity(index, q);
        chooseFiringModes(index, q);
    }
    EXPECT_EQ(q.BoilerNorm, 150);
    EXPECT_EQ(q.DiagBoilersCoef, 1.8);
    EXPECT_EQ(q.CapacityCoef, 0.5);
    EXPECT_EQ(q.DiagNorm, 85);
}

TEST(BoilerCost, FailureStopsAtTheFieldItReads)
{
    Quantities q = defaultFactors();
    RecalcInputs in = defaults();
    in.financial.profit = "";
    EXPECT_EQ(errorMessage([&] { recalculate(in, q); }), "'' is not a valid floating point value");
    EXPECT_EQ(q.OverheadSum, 7590.57);
    EXPECT_EQ(q.ProfitSum, 0);
    EXPECT_EQ(q.TotalCost, 0);
}

} // namespace

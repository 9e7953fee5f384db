#include "general/generalcalc.h"
#include "vatlaw.h"
#include "worked_examples.h"

#include "error_message.h"
#include "qstring_print.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace dalko;
using namespace dalko::test;
using dalko::test::errorMessage;
using namespace dalko::general;

namespace {

constexpr QChar Comma = u',';

double fuel(const char *text, int resource) { return referenceFuel(text, resource, Comma); }

TEST(ReferenceFuel, RoundsTiesToEvenHundredth)
{
    EXPECT_EQ(fuel("10", 0), 3.44); // 3.445 goes down
    EXPECT_EQ(fuel("25", 1), 3.72); // 3.715 goes up
    EXPECT_EQ(fuel("1", 0), 0.34);
    EXPECT_EQ(fuel("1000", 0), 344.5);
    EXPECT_EQ(fuel("100", 1), 14.86);
}

TEST(ReferenceFuel, UnconvertibleOrHugeCountsAsZero)
{
    for (const char *text : {"", "abc", "12.5", "1E18", "1E4000", "-"})
        EXPECT_EQ(fuel(text, 0), 0) << text;
    EXPECT_EQ(fuel("-10", 0), -3.44);
}

TEST(BaseNorm, WorkedExample)
{
    std::array<double, ResourceCount> amounts{};
    amounts[0] = fuel("1000", 0);
    amounts[1] = fuel("100", 1);
    const double total = referenceFuelTotal(amounts);
    EXPECT_EQ(total, 359.36);
    NormBracket bracket;
    findNormBracket(total, bracket);
    EXPECT_EQ(bracket.lower, 48);
    EXPECT_EQ(bracket.upper, 49);
    EXPECT_DOUBLE_EQ(interpolateNorm(total, bracket), 286.808);
}

TEST(BaseNorm, LastBracketWins)
{
    struct Case {
        double total;
        int lower;
        double norm;
    };
    for (const Case &c :
         {Case{0, 0, 0}, Case{0.5, 0, 20}, Case{1, 1, 40}, Case{3, 1, 40}, Case{5, 2, 40},
          Case{10, 4, 60}, Case{7.5, 3, 50}, Case{520000, 132, 9600}}) {
        NormBracket bracket;
        findNormBracket(c.total, bracket);
        EXPECT_EQ(bracket.lower, c.lower) << c.total;
        EXPECT_EQ(bracket.upper, c.lower + 1) << c.total;
        EXPECT_EQ(interpolateNorm(c.total, bracket), c.norm) << c.total;
    }
}

TEST(BaseNorm, OutsideTheTableThereIsNoNorm)
{
    EXPECT_TRUE(normDefined(0));
    EXPECT_TRUE(normDefined(520000));
    EXPECT_FALSE(normDefined(-0.01));
    EXPECT_FALSE(normDefined(520000.01));
    NormBracket bracket{7, 8};
    findNormBracket(600000, bracket);
    EXPECT_EQ(bracket.lower, 7); // no bracket holds it: left as it was
}

TEST(Tables, HoldTheMethodValues)
{
    EXPECT_EQ(Branches[29].coef, 1.0);
    EXPECT_EQ(QString::fromUtf16(Branches[29].text), "Производство полиграфических изделий");
    EXPECT_EQ(QString::fromUtf16(Branches[31].text), "Производство резинотехнических  изделий");
    EXPECT_EQ(Branches[0].coef, 1.2);
    EXPECT_EQ(Branches[48].coef, 0.85);
    EXPECT_EQ(Locations[7].coef, 3.5);
    for (std::size_t i = 1; i < NormTable.size(); ++i) {
        EXPECT_LT(NormTable[i - 1].fuel, NormTable[i].fuel);
        EXPECT_LE(NormTable[i - 1].norm, NormTable[i].norm);
    }
}

// The method's worked example, dated in the years of its 18 %.
CostInputs workedExample()
{
    CostInputs in;
    in.vatRate = EstimateTerms{MethodDate, std::nullopt}.vatRate();
    in.financial = ExampleFinancial;
    in.baseNorm = 200;
    in.fuelTotal = 100;
    in.area = "1000";
    in.decimal = Comma;
    return in;
}

TEST(Cost, WorkedExampleToTheKopeck)
{
    CostQuantities q;
    CostDisplay shown;
    recomputeCost(workedExample(), q, shown);
    EXPECT_EQ(q.IndustryCoef, 1.2);
    EXPECT_EQ(q.HourlyWage, 178.57);
    EXPECT_EQ(q.LabourCost, 42856.8);
    EXPECT_EQ(q.OverheadSum, 14999.88);
    EXPECT_EQ(q.ProfitSum, 20249.84);
    EXPECT_EQ(q.SubtotalCost, 78106.52);
    EXPECT_EQ(q.RegionalSum, 11715.98);
    EXPECT_EQ(q.VatSum, 16168.05);
    EXPECT_EQ(q.CostWithVat, 105990.55);
    EXPECT_EQ(q.ExpertiseRate, 0.08);
    EXPECT_EQ(q.ExpertiseSum, 8479.24);
    EXPECT_EQ(shown.perSquareMetre, "105,99 руб/кв.м");
    EXPECT_EQ(shown.total, GeneralTotal + " руб");
}

TEST(Cost, WorkedExampleAtTheRatesOfTheLaw)
{
    struct Case {
        EstimateTerms terms;
        double vatSum;
        const char *costWithVat; // as printed: the sum is not the double nearest to it
        double expertiseSum;
        QString total;
    };
    for (const Case &c : {
             Case{{QDate(2026, 1, 1), std::nullopt},
                  19760.95,
                  "109583,45",
                  8766.68,
                  GeneralTotal2026 + " руб"},
             Case{
                 {MethodDate, std::nullopt}, 16168.05, "105990,55", 8479.24, GeneralTotal + " руб"},
             Case{{QDate(2026, 6, 1), 18}, 16168.05, "105990,55", 8479.24, GeneralTotal + " руб"},
             Case{{QDate(2019, 1, 1), std::nullopt}, 17964.5, "107787", 8622.96, "116409,96 руб"},
         }) {
        CostInputs in = workedExample();
        in.vatRate = c.terms.vatRate();
        CostQuantities q;
        CostDisplay shown;
        recomputeCost(in, q, shown);
        EXPECT_EQ(q.VatSum, c.vatSum) << c.terms.date.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(numberToText(q.CostWithVat, Comma), c.costWithVat);
        EXPECT_EQ(q.ExpertiseSum, c.expertiseSum);
        EXPECT_EQ(shown.total, c.total);
    }
}

TEST(Cost, Variants)
{
    CostInputs in = workedExample();
    in.vat = 1;
    CostQuantities q;
    CostDisplay shown;
    recomputeCost(in, q, shown);
    EXPECT_EQ(q.VatSum, 0);
    EXPECT_EQ(q.CostWithVat, 89822.5);
    EXPECT_EQ(q.ExpertiseSum, 7185.8);

    in = workedExample();
    in.expertise = 1;
    recomputeCost(in, q, shown);
    EXPECT_EQ(q.ExpertiseRate, 0);
    EXPECT_EQ(q.ExpertiseSum, 0);
    EXPECT_EQ(shown.total, "105990,55 руб");

    in = workedExample();
    in.metering = 1;
    recomputeCost(in, q, shown);
    EXPECT_EQ(q.MeteringCoef, 1.5);
    EXPECT_EQ(q.LabourCost, 64285.2);

    in = workedExample();
    in.baseNorm = 0;
    recomputeCost(in, q, shown);
    EXPECT_EQ(q.CostWithVat, 0);
    EXPECT_EQ(shown.total, "0 руб");
    EXPECT_EQ(shown.perSquareMetre, "0 руб/кв.м");
}

TEST(Cost, FailingStepKeepsEarlierQuantitiesAndLeavesLaterOnes)
{
    CostQuantities q;
    q.OverheadSum = 11;
    q.ExpertiseSum = 22;
    CostDisplay shown{"old7", "old11"};
    CostInputs in = workedExample();
    in.financial.overheads = "";
    EXPECT_EQ(errorMessage([&] { recomputeCost(in, q, shown); }),
              "'' is not a valid floating point value");
    EXPECT_EQ(q.LabourCost, 42856.8);
    EXPECT_EQ(q.OverheadSum, 11);
    EXPECT_EQ(q.ExpertiseSum, 22);
    EXPECT_EQ(shown.perSquareMetre, "old7");
    EXPECT_EQ(shown.total, "old11");
}

TEST(Cost, NoListItemOrNoNormStopsWithAMessage)
{
    CostQuantities q;
    CostDisplay shown;
    CostInputs in = workedExample();
    in.branch = -1;
    EXPECT_THROW(recomputeCost(in, q, shown), Error);
    in = workedExample();
    in.location = -1;
    EXPECT_THROW(recomputeCost(in, q, shown), Error);
    in = workedExample();
    in.fuelTotal = 600000;
    q = {};
    const QString message = errorMessage([&] { recomputeCost(in, q, shown); });
    EXPECT_TRUE(message.contains("600000")) << message.toStdString();
    EXPECT_EQ(q.HourlyWage, 178.57);
    EXPECT_EQ(q.LabourCost, 0);
}

TEST(PerSquareMetre, FallsBackToZero)
{
    for (const char *area : {"0", "", "abc", "0,0"})
        EXPECT_EQ(perSquareMetreText(105990.55, area, Comma), "0 руб/кв.м") << area;
    EXPECT_EQ(perSquareMetreText(105990.55, "1000", Comma), "105,99 руб/кв.м");
}

TEST(ExpertiseBands, BoundsOpenTheirBand)
{
    struct Case {
        double cost;
        double rate;
    };
    for (const Case &c :
         {Case{0, 0.08}, Case{200000, 0.08}, Case{200000.5, 0.08}, Case{200000.99, 0.08},
          Case{200001, 0.075}, Case{500001, 0.07}, Case{5000000.99, 0.035}, Case{5000001, 0.03},
          Case{12e6, 0.03}, Case{-100, 0.08}})
        EXPECT_EQ(expertiseRate(c.cost), c.rate) << c.cost;
}

} // namespace

// Hostile texts in every numeric field of both calculators, as a paste or a report file would
// set them (the keystroke filter never sees them). The cost either comes out finite, or the
// recomputation fails with the message of the step that failed; never an infinity or a NaN.

#include "boiler/boilercalc.h"
#include "general/generalcalc.h"

#include "case_names.h"
#include "error_message.h"
#include "qstring_print.h"

#include <gtest/gtest.h>

#include <cmath>

namespace dalko::test {
namespace {

constexpr QChar Comma = u',';

// What the cost makes of a hostile text in one kind of field.
enum class Outcome {
    Computes,     // finite amounts
    NotConverted, // "'text' is not a valid floating point value"
    Invalid,      // Round out of the 64-bit range: "Invalid floating point operation"
    Overflow,     // beyond the extended range: "Floating point overflow"
};

struct HostileText {
    const char *text;
    Outcome salary;  // read by the hourly wage: text / 168, brought to kopecks
    Outcome percent; // overheads, profit, regional: text / 100 times an amount of roubles
};

// clang-format off
const HostileText Texts[] = {
    {"",                     Outcome::NotConverted, Outcome::NotConverted},
    {"1\t2",                 Outcome::NotConverted, Outcome::NotConverted},
    {"\t5",                  Outcome::NotConverted, Outcome::NotConverted},
    {"1 2",                  Outcome::NotConverted, Outcome::NotConverted},
    {"abc",                  Outcome::NotConverted, Outcome::NotConverted},
    {"1,2,3",                Outcome::NotConverted, Outcome::NotConverted},
    {"12.5",                 Outcome::NotConverted, Outcome::NotConverted},
    {",.",                   Outcome::NotConverted, Outcome::NotConverted},
    {"+",                    Outcome::NotConverted, Outcome::NotConverted},
    {"\u0661\u0662",         Outcome::NotConverted, Outcome::NotConverted}, // Arabic-Indic digits
    {"1E-5000",              Outcome::NotConverted, Outcome::NotConverted}, // the exponent stops at 500
    {"-0",                   Outcome::Computes,     Outcome::Computes},
    {" 7 ",                  Outcome::Computes,     Outcome::Computes},
    {"1E",                   Outcome::Computes,     Outcome::Computes},
    {"1E-300",               Outcome::Computes,     Outcome::Computes},
    {"1E-4999",              Outcome::Computes,     Outcome::Computes},
    {"1E300",                Outcome::Invalid,      Outcome::Invalid},
    {"-1E300",               Outcome::Invalid,      Outcome::Invalid},
    {"99999999999999999999", Outcome::Invalid,      Outcome::Invalid},
    {"1E4000",               Outcome::Invalid,      Outcome::Invalid},
    // The wage stays inside the extended range; a percentage of an amount does not.
    {"1E4931",               Outcome::Invalid,      Outcome::Overflow},
};
// clang-format on

QString expectedMessage(Outcome outcome, const QString &text)
{
    switch (outcome) {
    case Outcome::NotConverted:
        return messages::notAFloat(text);
    case Outcome::Invalid:
        return messages::invalidOperation();
    case Outcome::Overflow:
        return messages::overflow();
    case Outcome::Computes:
        break;
    }
    return {};
}

// The financial fields in the order of the first page: salary, then the three percentages.
enum class Financial { Salary, Overheads, Profit, Regional };
constexpr Financial FinancialFields[] = {Financial::Salary, Financial::Overheads, Financial::Profit,
                                         Financial::Regional};

FinancialTexts withHostile(Financial field, const QString &text)
{
    FinancialTexts texts{"30000", "35", "35", "15"};
    QString *fields[] = {&texts.salary, &texts.overheads, &texts.profit, &texts.regional};
    *fields[int(field)] = text;
    return texts;
}

Outcome expectedOutcome(const HostileText &hostile, Financial field)
{
    return field == Financial::Salary ? hostile.salary : hostile.percent;
}

general::CostInputs generalInputs(const FinancialTexts &financial)
{
    general::CostInputs in;
    in.financial = financial;
    in.fuelTotal = general::referenceFuel("1000", 0, Comma);
    general::NormBracket bracket;
    general::findNormBracket(in.fuelTotal, bracket);
    in.baseNorm = general::interpolateNorm(in.fuelTotal, bracket);
    in.area = "1000";
    in.decimal = Comma;
    return in;
}

class HostileFinancialText : public ::testing::TestWithParam<HostileText> {};

TEST_P(HostileFinancialText, GeneralCostComputesOrFailsAtItsStep)
{
    const QString text = QString::fromUtf8(GetParam().text);
    for (Financial field : FinancialFields) {
        general::CostQuantities q;
        general::CostDisplay shown{"before", "before"};
        const QString message = errorMessage(
            [&] { general::recomputeCost(generalInputs(withHostile(field, text)), q, shown); });
        const Outcome outcome = expectedOutcome(GetParam(), field);
        EXPECT_EQ(message, expectedMessage(outcome, text)) << "field " << int(field);
        if (outcome != Outcome::Computes) {
            EXPECT_EQ(shown.total, "before") << "field " << int(field);
            continue;
        }
        for (double amount :
             {q.HourlyWage, q.LabourCost, q.OverheadSum, q.ProfitSum, q.SubtotalCost, q.RegionalSum,
              q.VatSum, q.CostWithVat, q.ExpertiseSum})
            ASSERT_TRUE(std::isfinite(amount)) << "field " << int(field);
        EXPECT_EQ(shown.total, numberToText(R2(q.totalCost()).value(), Comma) + " руб");
    }
}

TEST_P(HostileFinancialText, BoilerCostComputesOrFailsAtItsStep)
{
    const QString text = QString::fromUtf8(GetParam().text);
    for (Financial field : FinancialFields) {
        boiler::Quantities q;
        boiler::setDefaultFactors(q);
        boiler::RecalcInputs in;
        in.financial = withHostile(field, text);
        in.decimal = Comma;
        QString total = "before";
        const QString message = errorMessage([&] { total = boiler::recalculate(in, q); });
        const Outcome outcome = expectedOutcome(GetParam(), field);
        EXPECT_EQ(message, expectedMessage(outcome, text)) << "field " << int(field);
        if (outcome != Outcome::Computes) {
            EXPECT_EQ(total, "before") << "field " << int(field);
            continue;
        }
        for (double amount : {q.HourlyWage, q.LabourCost, q.OverheadSum, q.ProfitSum, q.RegionalSum,
                              q.CostNoVat, q.VatSum, q.CostWithVat, q.ExpertiseSum, q.TotalCost})
            ASSERT_TRUE(std::isfinite(amount)) << "field " << int(field);
        EXPECT_EQ(total, numberToText(q.TotalCost, Comma));
    }
}

// A consumption that does not convert or does not fit counts as 0, and a floor area that does
// not serve gives "0 руб/кв.м": those fields always compute.
TEST_P(HostileFinancialText, ConsumptionAndAreaAlwaysCompute)
{
    const QString text = QString::fromUtf8(GetParam().text);
    for (int resource = 0; resource < general::ResourceCount; ++resource) {
        const double fuel = general::referenceFuel(text, resource, Comma);
        ASSERT_TRUE(std::isfinite(fuel));
        if (!parseNumber(text, Comma)) {
            EXPECT_EQ(fuel, 0);
        }
    }
    const QString perMetre = general::perSquareMetreText(114469.79, text, Comma);
    EXPECT_TRUE(perMetre.endsWith(" руб/кв.м")) << perMetre.toStdString();
    EXPECT_FALSE(perMetre.contains(u"inf", Qt::CaseInsensitive) ||
                 perMetre.contains(u"nan", Qt::CaseInsensitive));
    if (!parseNumber(text, Comma)) {
        EXPECT_EQ(perMetre, "0 руб/кв.м");
    }
}

INSTANTIATE_TEST_SUITE_P(CommaSeparator, HostileFinancialText, ::testing::ValuesIn(Texts),
                         TextCaseName());

} // namespace
} // namespace dalko::test

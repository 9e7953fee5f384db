#include "vatlaw.h"
#include "worked_examples.h"

#include "qstring_print.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace dalko;
using namespace dalko::test;

namespace {

TEST(VatLaw, RateInForceOnTheEstimatesDate)
{
    struct Case {
        QDate date;
        double rate;
    };
    for (const Case &c :
         {Case{QDate(2004, 1, 1), 0.18}, Case{MethodDate, 0.18}, Case{QDate(2019, 1, 1), 0.2},
          Case{QDate(2025, 12, 31), 0.2}, Case{QDate(2026, 1, 1), 0.22},
          Case{QDate(2026, 12, 10), 0.22}, Case{QDate(2040, 7, 1), 0.22}})
        EXPECT_EQ((EstimateTerms{c.date, std::nullopt}.vatRate()), c.rate)
            << c.date.toString(Qt::ISODate).toStdString();
}

TEST(VatLaw, AFixedRateWinsOverTheDate)
{
    EXPECT_EQ((EstimateTerms{QDate(2018, 1, 1), 22}.vatRate()), 0.22);
    EXPECT_EQ((EstimateTerms{QDate(2026, 1, 1), 12.5}.vatRate()), 0.125);
    EXPECT_EQ((EstimateTerms{QDate(2026, 1, 1), 0}.vatRate()), 0);
}

TEST(VatLaw, CaptionNamesTheRateAndWhereItComesFrom)
{
    const NumberFormat russian{u',', QStringLiteral("dd.MM.yyyy")};
    EXPECT_EQ(vatCaption({QDate(2026, 12, 10), std::nullopt}, russian), "НДС 22 % на 10.12.2026");
    EXPECT_EQ(vatCaption({MethodDate, std::nullopt}, russian), "НДС 18 % на 31.12.2018");
    EXPECT_EQ(vatCaption({QDate(2026, 12, 10), 20}, russian), "НДС 20 % (установлена)");
    EXPECT_EQ(vatCaption({QDate(2026, 12, 10), 12.5}, russian), "НДС 12,5 % (установлена)");
}

// Reopened from the register, a calculation takes the terms its estimate was issued on.
TEST(VatLaw, TheTermsOfAnIssuedEstimate)
{
    struct Case {
        QDate date;
        double rate;
        std::optional<double> fixed;
    };
    for (const Case &c : {Case{QDate(2018, 12, 31), 0.18, {}}, Case{QDate(2026, 3, 2), 0.22, {}},
                          Case{QDate(2026, 3, 2), 0.2, 20}, Case{QDate(2026, 3, 2), 0, {}},
                          Case{QDate(2026, 3, 2), 0.125, 12.5}}) {
        const EstimateTerms terms = termsOfIssue(c.date, c.rate);
        EXPECT_EQ(terms.date, c.date);
        EXPECT_TRUE(terms.dateChosen);
        EXPECT_EQ(terms.fixedVatPercent, c.fixed) << c.rate;
        if (c.rate != 0) {
            EXPECT_EQ(terms.vatRate(), c.rate);
        }
    }
}

TEST(VatLaw, TypedRates)
{
    struct Case {
        const char *text;
        std::optional<double> percent;
    };
    for (const Case &c :
         {Case{"22", 22}, Case{" 20 ", 20}, Case{"0", 0}, Case{"99", 99}, Case{"12,5", 12.5},
          Case{"12.5", 12.5}, Case{"100", {}}, Case{"99,5", {}}, Case{"-1", {}}, Case{"", {}},
          Case{"2e1", {}}, Case{"20%", {}}, Case{"1 8", {}}, Case{"٢٢", {}}, Case{"nan", {}}})
        EXPECT_EQ(parseVatPercent(QString::fromUtf8(c.text)), c.percent) << c.text;
}

} // namespace

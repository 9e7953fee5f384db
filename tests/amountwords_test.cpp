#include "estimate/amountwords.h"

#include "case_names.h"
#include "error_message.h"
#include "qstring_print.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <limits>

using namespace dalko;
using dalko::estimate::amountInWords;

namespace {

struct Words {
    long double amount;
    const char *text;
};

const Words Cases[] = {
    // The totals of the worked examples.
    {114469.79L, "Сто четырнадцать тысяч четыреста шестьдесят девять рублей 79 копеек"},
    {57926.51L, "Пятьдесят семь тысяч девятьсот двадцать шесть рублей 51 копейка"},
    {0, "Ноль рублей 00 копеек"},
    {1, "Один рубль 00 копеек"},
    {2.02L, "Два рубля 02 копейки"},
    {5.05L, "Пять рублей 05 копеек"},
    {3.11L, "Три рубля 11 копеек"},
    {4.21L, "Четыре рубля 21 копейка"},
    {0.01L, "Ноль рублей 01 копейка"},
    {111.1L, "Сто одиннадцать рублей 10 копеек"},
    // 11 to 19 take the plural of five, 21 and 22 agree with their last digit.
    {10, "Десять рублей 00 копеек"},
    {11, "Одиннадцать рублей 00 копеек"},
    {12, "Двенадцать рублей 00 копеек"},
    {13, "Тринадцать рублей 00 копеек"},
    {14, "Четырнадцать рублей 00 копеек"},
    {15, "Пятнадцать рублей 00 копеек"},
    {16, "Шестнадцать рублей 00 копеек"},
    {17, "Семнадцать рублей 00 копеек"},
    {18, "Восемнадцать рублей 00 копеек"},
    {19, "Девятнадцать рублей 00 копеек"},
    {21, "Двадцать один рубль 00 копеек"},
    {22, "Двадцать два рубля 00 копеек"},
    {25, "Двадцать пять рублей 00 копеек"},
    {101, "Сто один рубль 00 копеек"},
    {111, "Сто одиннадцать рублей 00 копеек"},
    {999, "Девятьсот девяносто девять рублей 00 копеек"},
    // Thousands are feminine.
    {1000, "Одна тысяча рублей 00 копеек"},
    {1001.11L, "Одна тысяча один рубль 11 копеек"},
    {2000, "Две тысячи рублей 00 копеек"},
    {5000, "Пять тысяч рублей 00 копеек"},
    {11000, "Одиннадцать тысяч рублей 00 копеек"},
    {21000, "Двадцать одна тысяча рублей 00 копеек"},
    {22000, "Двадцать две тысячи рублей 00 копеек"},
    {112000, "Сто двенадцать тысяч рублей 00 копеек"},
    // Millions and billions are masculine; an empty group is left out.
    {1000000, "Один миллион рублей 00 копеек"},
    {2000000, "Два миллиона рублей 00 копеек"},
    {5000000, "Пять миллионов рублей 00 копеек"},
    {21001002, "Двадцать один миллион одна тысяча два рубля 00 копеек"},
    {1000000000, "Один миллиард рублей 00 копеек"},
    {2000000001, "Два миллиарда один рубль 00 копеек"},
    {11000000000, "Одиннадцать миллиардов рублей 00 копеек"},
    {999999999999.99L, "Девятьсот девяносто девять миллиардов девятьсот девяносто девять миллионов "
                       "девятьсот девяносто девять тысяч девятьсот девяносто девять рублей 99 "
                       "копеек"},
    // Brought to kopecks with R2: ties to even, as every amount.
    {0.125L, "Ноль рублей 12 копеек"},
    {1.999L, "Два рубля 00 копеек"},
    {-100, "Минус сто рублей 00 копеек"},
    {-21000.21L, "Минус двадцать одна тысяча рублей 21 копейка"},
    {-0.004L, "Ноль рублей 00 копеек"},
};

void PrintTo(const Words &c, std::ostream *os) { *os << std::setprecision(15) << double(c.amount); }

class AmountInWords : public ::testing::TestWithParam<Words> {};

TEST_P(AmountInWords, ReadsAsInFinancialDocuments)
{
    EXPECT_EQ(amountInWords(GetParam().amount), QString::fromUtf8(GetParam().text));
}

// Named by the amount: "c0_114469point79", "c11_minus100".
INSTANTIATE_TEST_SUITE_P(
    Amounts, AmountInWords, ::testing::ValuesIn(Cases),
    [](const ::testing::TestParamInfo<Words> &amount) {
        return dalko::test::nameOfText(
            amount.index, QString::number(double(amount.param.amount), 'g', 15).toStdString());
    });

TEST(AmountInWordsRange, BeyondTheLargestAmountIsAnError)
{
    const long double beyond[] = {999999999999.996L, -1e12L, 1e300L,
                                  std::numeric_limits<long double>::infinity(),
                                  std::numeric_limits<long double>::quiet_NaN()};
    for (const long double amount : beyond) {
        const QString message = test::errorMessage([&] { amountInWords(amount); });
        EXPECT_TRUE(message.contains("999 999 999 999,99"))
            << double(amount) << ": " << message.toStdString();
    }
}

} // namespace

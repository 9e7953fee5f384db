#include "app/numbers.h"

#include <QDate>
#include <QLocale>

#include "case_names.h"
#include "error_message.h"
#include "qstring_print.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using namespace dalko;
using dalko::test::errorMessage;
using dalko::test::TextCaseName;

namespace {

constexpr QChar Comma = u',';
constexpr QChar Point = u'.';

struct ParseCase {
    const char *text;
    long double expected;
};

class ConvertingText : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ConvertingText, GivesItsValue)
{
    const auto value = parseNumber(QString::fromUtf8(GetParam().text), Comma);
    ASSERT_TRUE(value.has_value()) << GetParam().text;
    EXPECT_EQ(*value, GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(CommaSeparator, ConvertingText,
                         ::testing::Values(ParseCase{"12,5", 12.5L}, ParseCase{" 7 ", 7},
                                           ParseCase{"+3", 3}, ParseCase{",5", 0.5L},
                                           ParseCase{"5,", 5}, ParseCase{",", 0},
                                           ParseCase{"1E3", 1000}, ParseCase{"1e+3", 1000},
                                           ParseCase{"1E", 1}, ParseCase{"2,5E-3", 0.0025L},
                                           ParseCase{"-7,25", -7.25L}, ParseCase{"0,1", 0.1L},
                                           ParseCase{"1E4000", 1e4000L}, ParseCase{"1E-4999", 0}),
                         TextCaseName());

class RefusedText : public ::testing::TestWithParam<const char *> {};

TEST_P(RefusedText, DoesNotConvert)
{
    const QString text = QString::fromUtf8(GetParam());
    EXPECT_FALSE(parseNumber(text, Comma).has_value()) << GetParam();
    EXPECT_EQ(errorMessage([&] { textToNumber(text, Comma); }),
              QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

INSTANTIATE_TEST_SUITE_P(CommaSeparator, RefusedText,
                         ::testing::Values("", "-", "E5", "12.5", "1 000", "1,2,3", "- 5", "12abc",
                                           "\t5", "5\t", "1E5000", "1E-5000", "1E4999", "1E49999",
                                           "inf", "nan", "0x10", "١٢"),
                         TextCaseName());

TEST(NumberRules, PointSeparatorReadsPointsOnly)
{
    EXPECT_EQ(parseNumber("12.5", Point).value(), 12.5L);
    EXPECT_FALSE(parseNumber("12,5", Point).has_value());
}

// The same text read under either separator: what each one makes of it.
struct SeparatorCase {
    const char *text;
    const char *underComma;
    const char *underPoint;
};

void PrintTo(const SeparatorCase &c, std::ostream *os) { *os << '"' << c.text << '"'; }

class EitherSeparator : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(EitherSeparator, TakesTheOtherSeparatorAsTheCurrentOne)
{
    const SeparatorCase &c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    const std::pair<QChar, const char *> readings[] = {{Comma, c.underComma},
                                                       {Point, c.underPoint}};
    for (const auto &[decimal, expected] : readings) {
        const QString result = withDecimalSeparator(text, decimal);
        EXPECT_EQ(result, QString::fromUtf8(expected))
            << c.text << " under " << char(decimal.unicode());
        // Whatever comes back either converts or is the text as it was.
        EXPECT_TRUE(parseNumber(result, decimal).has_value() || result == text) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EitherSeparator,
    ::testing::Values(
        SeparatorCase{"0,6", "0,6", "0.6"}, SeparatorCase{"0.6", "0,6", "0.6"},
        SeparatorCase{"1250,5", "1250,5", "1250.5"},
        SeparatorCase{" -2.5E3 ", " -2,5E3 ", " -2.5E3 "}, SeparatorCase{",5", ",5", ".5"},
        SeparatorCase{"5.", "5,", "5."}, SeparatorCase{"30000", "30000", "30000"},
        // Neither way: unchanged, so it fails or counts as before.
        SeparatorCase{"1,2,3", "1,2,3", "1,2,3"}, SeparatorCase{"1.2,3", "1.2,3", "1.2,3"},
        SeparatorCase{"1 000,5", "1 000,5", "1 000,5"}, SeparatorCase{"абв", "абв", "абв"},
        SeparatorCase{"", "", ""}, SeparatorCase{"12,5abc", "12,5abc", "12,5abc"}),
    TextCaseName());

struct TextCase {
    long double value;
    const char *expected;
};

class NumberText : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberText, IsWrittenInGeneralFormat)
{
    EXPECT_EQ(numberToText(GetParam().value, Comma).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    CommaSeparator, NumberText,
    ::testing::Values(TextCase{30000, "30000"}, TextCase{12.5, "12,5"}, TextCase{0.1 + 0.2, "0,3"},
                      TextCase{1.0L / 3, "0,333333333333333"},
                      TextCase{2.0L / 3, "0,666666666666667"},
                      TextCase{123456789012345.0L, "123456789012345"}, TextCase{1e15L, "1E15"},
                      TextCase{1.5e20L, "1,5E20"}, TextCase{0.0001, "0,0001"},
                      TextCase{0.00001, "1E-5"}, TextCase{0.000025, "2,5E-5"},
                      TextCase{-7.25, "-7,25"}, TextCase{-0.0, "0"},
                      TextCase{999999999999999.5L, "1E15"}, TextCase{57926.51, "57926,51"},
                      TextCase{0.075 * 100.0L, "7,5"}, TextCase{DBL_MAX, "1,79769313486232E308"}),
    TextCaseName());

TEST(NumberRules, TextRoundTripsThroughNumber)
{
    for (double value : {0.1, 178.57, 105990.55, 1e-7, 6.02e23, -3.75}) {
        const QString text = numberToText(value, Comma);
        EXPECT_EQ(numberToText(parseNumber(text, Comma).value(), Comma), text);
    }
}

TEST(IntegerRules, ConvertAsWritten)
{
    const std::pair<const char *, int32_t> good[] = {{"3", 3},
                                                     {"-1", -1},
                                                     {" 3", 3},
                                                     {"$A", 10},
                                                     {"0x1A", 26},
                                                     {"x1f", 31},
                                                     {"+7", 7},
                                                     {"-2147483648", INT32_MIN},
                                                     {"2147483647", INT32_MAX}};
    for (const auto &[text, value] : good)
        EXPECT_EQ(parseInteger(QString::fromLatin1(text)), value) << text;
    for (const char *text : {"3 ", "", " ", "2147483648", "-2147483649", "0x", "$", "1,5", "0,9",
                             "12a", "$G", "99999999999999999999"})
        EXPECT_FALSE(parseInteger(QString::fromLatin1(text)).has_value()) << text;
    EXPECT_EQ(integerToText(-1), "-1");
    EXPECT_EQ(integerToText(0), "0");
}

TEST(IntegerRules, MessageHasTwoApostrophesEachSide)
{
    const QString message = errorMessage([] { textToInteger("0,9"); });
    EXPECT_EQ(message, "''0,9'' is not a valid integer value");
    EXPECT_EQ(errorBoxText(message), "''0,9'' is not a valid integer value.");
    EXPECT_EQ(errorBoxText(errorMessage([] { textToInteger(""); })),
              "'''' is not a valid integer value.");
}

TEST(Rounding, TiesGoToEven)
{
    EXPECT_EQ(Round(2.5L), 2);
    EXPECT_EQ(Round(3.5L), 4);
    EXPECT_EQ(Round(-2.5L), -2);
    EXPECT_EQ(Round(2.5000001L), 3);
    EXPECT_EQ(R2(0.125).store(), 0.12);
    EXPECT_EQ(R2(0.375).store(), 0.38);
    EXPECT_EQ(R2(0.135).store(), 0.14); // the double nearest 0.135 lies above it
}

TEST(Arithmetic, FailuresCarryTheirMessages)
{
    const Ext zero = parseNumber("0", Comma).value();
    const Ext one = parseNumber("1", Comma).value();
    const Ext huge = parseNumber("1E4000", Comma).value();
    EXPECT_EQ(errorMessage([&] { one / zero; }), "Floating point division by zero");
    EXPECT_EQ(errorMessage([&] { zero / zero; }), "Invalid floating point operation");
    EXPECT_EQ(errorMessage([&] { huge *huge; }), "Floating point overflow");
    EXPECT_EQ(errorMessage([&] { huge.store(); }), "Floating point overflow");
    EXPECT_EQ(errorMessage([&] { Round(Ext(1e19L)); }), "Invalid floating point operation");
    EXPECT_EQ(errorMessage([&] { R2(Ext(1e17L)); }), "Invalid floating point operation");
    EXPECT_EQ(errorBoxText("Floating point division by zero"), "Floating point division by zero.");
}

TEST(ErrorBox, AppendsFullStopUnlessTextEndsLowEnough)
{
    EXPECT_EQ(errorBoxText("abc"), "abc.");
    EXPECT_EQ(errorBoxText("abc."), "abc.");
    EXPECT_EQ(errorBoxText("abc!"), "abc!");
    EXPECT_EQ(errorBoxText("'12.5' is not a valid floating point value"),
              "'12.5' is not a valid floating point value.");
    EXPECT_EQ(errorBoxText(""), ".");
}

TEST(Regional, SeparatorAndDateComeFromTheLocale)
{
    const NumberFormat russian = NumberFormat::fromLocale(QLocale(QLocale::Russian));
    EXPECT_EQ(russian.decimal, Comma);
    EXPECT_EQ(dateText(QDate(2026, 3, 7), russian), "07.03.2026");
    EXPECT_EQ(NumberFormat::fromLocale(QLocale::c()).decimal, Point);
}

} // namespace

#include "numbers.h"

#include <QDate>
#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace dalko {

Error::Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

NumberFormat NumberFormat::fromLocale(const QLocale &locale)
{
    NumberFormat format;
    const QString point = locale.decimalPoint();
    format.decimal = point.isEmpty() ? QChar(u'.') : point.front();
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.isEmpty())
        format.shortDateFormat = date;
    return format;
}

namespace messages {
QString invalidOperation() { return QStringLiteral("Invalid floating point operation"); }
QString divisionByZero() { return QStringLiteral("Floating point division by zero"); }
QString overflow() { return QStringLiteral("Floating point overflow"); }
QString notAFloat(const QString &text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}
QString notAnInteger(const QString &text)
{
    return QStringLiteral("''%1'' is not a valid integer value").arg(text);
}
} // namespace messages

namespace {

Ext checked(long double result)
{
    if (std::isnan(result))
        throw Error(messages::invalidOperation());
    if (std::isinf(result))
        throw Error(messages::overflow());
    return Ext(result);
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// The value of a decimal or hexadecimal digit, -1 for any other character.
int digitValue(QChar c)
{
    if (isDigit(c))
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// strtold under the "C" locale, whatever the program's locale says. MinGW's own strtold keeps
// the 80-bit precision; its C runtime stays in the "C" locale, as nothing in the program sets
// another.
long double strtoldC(const char *text)
{
#ifdef Q_OS_WIN
    return std::strtold(text, nullptr);
#else
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtold_l(text, nullptr, locale);
#endif
}

} // namespace

double Ext::store() const
{
    const double stored = static_cast<double>(m_value);
    if (std::isinf(stored))
        throw Error(messages::overflow());
    return stored;
}

Ext operator+(Ext a, Ext b) { return checked(a.m_value + b.m_value); }
Ext operator-(Ext a, Ext b) { return checked(a.m_value - b.m_value); }
Ext operator*(Ext a, Ext b) { return checked(a.m_value * b.m_value); }
Ext operator/(Ext a, Ext b)
{
    if (b.m_value == 0)
        throw Error(a.m_value == 0 ? messages::invalidOperation() : messages::divisionByZero());
    return checked(a.m_value / b.m_value);
}

std::optional<long double> parseNumber(const QString &text, QChar decimal)
{
    // The text is rewritten as a plain ASCII literal and handed to strtold, which rounds
    // correctly to the extended format.
    std::string literal;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipSpaces = [&] {
        while (i < n && text[i] == u' ')
            ++i;
    };
    skipSpaces();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        literal += char(text[i++].unicode());
    // A leading zero keeps ",5" and "," valid literals for strtold.
    literal += '0';
    bool consumed = false;
    while (i < n && isDigit(text[i])) {
        literal += char(text[i++].unicode());
        consumed = true;
    }
    if (i < n && text[i] == decimal) {
        ++i;
        consumed = true;
        literal += '.';
        while (i < n && isDigit(text[i]))
            literal += char(text[i++].unicode());
    }
    if (!consumed)
        return std::nullopt;
    if (i < n && (text[i] == u'E' || text[i] == u'e')) {
        ++i;
        bool negative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            negative = text[i++] == u'-';
        int exponent = 0;
        // Digits are read only while the exponent is below 500; more are left over.
        while (i < n && isDigit(text[i]) && exponent < 500)
            exponent = exponent * 10 + (text[i++].unicode() - u'0');
        literal += 'e';
        literal += negative ? '-' : '+';
        literal += std::to_string(exponent);
    }
    skipSpaces();
    if (i != n)
        return std::nullopt;
    const long double value = strtoldC(literal.c_str());
    if (std::isinf(value) || std::isnan(value))
        return std::nullopt;
    return value;
}

Ext textToNumber(const QString &text, QChar decimal)
{
    const auto value = parseNumber(text, decimal);
    if (!value)
        throw Error(messages::notAFloat(text));
    return Ext(*value);
}

QString withDecimalSeparator(const QString &text, QChar decimal)
{
    if (parseNumber(text, decimal))
        return text;
    QString converted = text;
    for (QChar &c : converted)
        if (c == u',' || c == u'.')
            c = decimal;
    return parseNumber(converted, decimal) ? converted : text;
}

QString numberToText(long double value, QChar decimal)
{
    if (value == 0)
        return QStringLiteral("0");
    // 18 significant digits first, then 15 with the 16th rounding half up.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, 17);
    const std::string_view scientific(buffer, result.ptr - buffer);
    std::string digits;
    digits += scientific[0];
    digits += scientific.substr(2, 17);
    int exponent = std::atoi(std::string(scientific.substr(scientific.find('e') + 1)).c_str()) + 1;
    const bool roundUp = digits[15] >= '5';
    digits.resize(15);
    if (roundUp) {
        int k = 14;
        while (k >= 0 && digits[k] == '9')
            digits[k--] = '0';
        if (k >= 0) {
            ++digits[k];
        } else {
            digits.assign(1, '1');
            ++exponent;
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    QString text;
    if (value < 0)
        text += u'-';
    const int count = int(digits.size());
    if (exponent >= -3 && exponent <= 15) {
        if (exponent > 0) {
            for (int k = 0; k < exponent; ++k)
                text += k < count ? QChar(digits[k]) : QChar(u'0');
            if (count > exponent) {
                text += decimal;
                text += QString::fromLatin1(digits.data() + exponent, count - exponent);
            }
        } else {
            text += u'0';
            text += decimal;
            text += QString(-exponent, u'0');
            text += QString::fromLatin1(digits.data(), count);
        }
    } else {
        text += QChar(digits[0]);
        if (count > 1) {
            text += decimal;
            text += QString::fromLatin1(digits.data() + 1, count - 1);
        }
        text += u'E';
        text += QString::number(exponent - 1);
    }
    return text;
}

std::optional<int32_t> parseInteger(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    if (i == n)
        return std::nullopt;
    bool negative = false;
    if (text[i] == u'+' || text[i] == u'-')
        negative = text[i++] == u'-';
    int base = 10;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == n)
        return std::nullopt;
    int64_t magnitude = 0;
    for (; i < n; ++i) {
        const int digit = digitValue(text[i]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return int32_t(value);
}

int32_t textToInteger(const QString &text)
{
    const auto value = parseInteger(text);
    if (!value)
        throw Error(messages::notAnInteger(text));
    return *value;
}

QString integerToText(int32_t value) { return QString::number(value); }

int64_t Round(Ext x)
{
    // nearbyintl rounds half to even in the default rounding mode.
    const long double rounded = std::nearbyintl(x.value());
    constexpr long double limit = 9223372036854775808.0L; // 2^63
    if (!(rounded >= -limit && rounded < limit))
        throw Error(messages::invalidOperation());
    return static_cast<int64_t>(rounded);
}

Ext R2(Ext x) { return Ext(static_cast<long double>(Round(x * 100))) / 100; }

QString dateText(const QDate &date, const NumberFormat &format)
{
    return QLocale::c().toString(date, format.shortDateFormat);
}

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() <= u'.')
        return message;
    return message + u'.';
}

} // namespace dalko

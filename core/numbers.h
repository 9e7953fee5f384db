#pragma once

// Every number of the program passes through text: typed into an edit box, read back at
// each computation, shown in a label, written to a report file or an estimate. This header
// is the one place that says how.
//
// Rounding policy
//   - Every intermediate is an 80-bit long double (64-bit significand), wrapped in Ext so
//     that each operation is checked; every stored quantity is a double.
//   - Round goes to the nearest integer, ties to even; R2(x) = Round(x * 100) / 100, all in
//     extended precision. It is how every amount is brought to kopecks.
//   - No infinity or NaN ever reaches a quantity: 0/0 and Round out of the 64-bit range fail
//     with "Invalid floating point operation", x/0 with "Floating point division by zero",
//     a too large result (also when an Ext is stored into a double) with
//     "Floating point overflow". Underflow and inexact results are not errors.
//   - The method's published figures depend on this exact sequence of 80-bit operations
//     rounded to doubles; do not replace it with integer kopecks or a rational type.

#include <QByteArray>
#include <QChar>
#include <QString>

#include <cstdint>
#include <exception>
#include <optional>

class QDate;
class QLocale;

namespace dalko {

// An error that ends the handler it occurs in and is shown in the error box.
class Error : public std::exception {
  public:
    explicit Error(QString message);
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

  private:
    QString m_message;
    QByteArray m_utf8;
};

// The decimal separator and the short date format of the regional settings.
struct NumberFormat {
    QChar decimal = u'.';
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy");

    static NumberFormat fromLocale(const QLocale &locale);
};

// An extended-precision intermediate whose every operation is checked.
class Ext {
  public:
    constexpr Ext(long double value = 0) : m_value(value) {}
    constexpr long double value() const { return m_value; }
    // The value rounded to a double, as every quantity is stored.
    double store() const;

    friend Ext operator+(Ext a, Ext b);
    friend Ext operator-(Ext a, Ext b);
    friend Ext operator*(Ext a, Ext b);
    friend Ext operator/(Ext a, Ext b);
    friend Ext operator-(Ext a) { return Ext(-a.m_value); }

  private:
    long double m_value;
};

namespace messages {
QString invalidOperation();
QString divisionByZero();
QString overflow();
QString notAFloat(const QString &text);
QString notAnInteger(const QString &text);
} // namespace messages

// Text-to-number rule; nullopt where the text does not convert.
std::optional<long double> parseNumber(const QString &text, QChar decimal);
// The same, failing with "'text' is not a valid floating point value".
Ext textToNumber(const QString &text, QChar decimal);
// A text that does not convert as written but does once every "," and "." is taken as the
// decimal separator comes back with that separator, as the keystroke filter would have
// typed it; any other text comes back unchanged.
QString withDecimalSeparator(const QString &text, QChar decimal);
// Number-to-text rule: general format, 15 significant digits, no thousands separator.
QString numberToText(long double value, QChar decimal);

std::optional<int32_t> parseInteger(const QString &text);
// Text-to-integer rule, failing with "''text'' is not a valid integer value".
int32_t textToInteger(const QString &text);
QString integerToText(int32_t value);

int64_t Round(Ext x);
Ext R2(Ext x);

QString dateText(const QDate &date, const NumberFormat &format);

// The text of the error box: the message with "." appended unless it already ends in a
// character not above ".".
QString errorBoxText(const QString &message);

} // namespace dalko

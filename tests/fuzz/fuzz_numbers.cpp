// The number rules on any text: no crash and no undefined behaviour, a parsed number is
// finite and its number text reads back to the same text, and integers round-trip.
//
// Input: byte 0 picks the decimal separator (bit 0) and how the rest becomes a text
// (bit 1: UTF-8, or raw UTF-16 code units so that any QChar can occur).

#include "numbers.h"

#include "fuzzcheck.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

using namespace dalko;
using fuzz::check;
using fuzz::visible;

namespace {

void numberRules(const QString &text, QChar decimal)
{
    const QChar other = decimal == u',' ? QChar(u'.') : QChar(u',');
    const auto value = parseNumber(text, decimal);
    try {
        const Ext converted = textToNumber(text, decimal);
        check(value && converted.value() == *value, "textToNumber agrees with parseNumber",
              visible(text));
    } catch (const Error &error) {
        check(!value, "textToNumber fails only where parseNumber does", visible(text));
        check(error.message() == messages::notAFloat(text), "conversion message", error.message());
    }
    if (!value)
        return;
    check(std::isfinite(*value), "a parsed number is finite", visible(text));
    check(!text.contains(other), "only the current separator is accepted", visible(text));

    const QString written = numberToText(*value, decimal);
    check(!written.contains(other) && !written.contains(u' '),
          "number text uses the separator only", written);
    const auto reread = parseNumber(written, decimal);
    check(reread.has_value(), "number text converts", visible(text) + u' ' + written);
    // Below the normal range the extended format has fewer digits than the number text, so
    // the nearest value to the text may write differently.
    if (std::fabs(*value) >= LDBL_MIN || *value == 0)
        check(numberToText(*reread, decimal) == written, "number text is stable",
              visible(text) + u' ' + written + u' ' + numberToText(*reread, decimal));

    // What a page stores: the double, and its number text reads back as well.
    const double stored = static_cast<double>(*value);
    if (std::isfinite(stored)) {
        const QString storedText = numberToText(stored, decimal);
        const auto storedBack = parseNumber(storedText, decimal);
        check(storedBack.has_value(), "a stored number's text converts", storedText);
        if (std::fabs(stored) >= DBL_MIN || stored == 0)
            check(numberToText(static_cast<double>(*storedBack), decimal) == storedText,
                  "a stored number's text is stable", storedText);
    }
}

void integerRules(const QString &text, const uint8_t *data, size_t size)
{
    const auto value = parseInteger(text);
    try {
        const int32_t converted = textToInteger(text);
        check(value && converted == *value, "textToInteger agrees with parseInteger",
              visible(text));
    } catch (const Error &error) {
        check(!value, "textToInteger fails only where parseInteger does", visible(text));
        check(error.message() == messages::notAnInteger(text), "integer message", error.message());
    }
    if (value) {
        const QString written = integerToText(*value);
        check(parseInteger(written) == value, "integer text reads back",
              visible(text) + u' ' + written);
    }
    // Any 32-bit value taken from the input round-trips.
    int32_t raw = 0;
    std::memcpy(&raw, data, std::min(size, sizeof raw));
    check(parseInteger(integerToText(raw)) == raw, "integerToText reads back", integerToText(raw));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    QString text;
    if (mode & 2) {
        text.resize(length / 2);
        std::memcpy(text.data(), bytes, size_t(length / 2) * sizeof(QChar));
    } else {
        text = QString::fromUtf8(bytes, length);
    }
    const QChar decimal = (mode & 1) ? QChar(u'.') : QChar(u',');
    numberRules(text, decimal);
    integerRules(text, data + 1, size - 1);
    return 0;
}

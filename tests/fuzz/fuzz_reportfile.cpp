// The report-file reader on any bytes: decoding never crashes and keeps lines within their
// limit; checking a file for either calculator either passes or fails with a message for the
// error box; a file that passes is saved and read back with the same lines, after the one
// change saving makes (characters outside Windows-1251 become "?").

#include "reportfile/codepage.h"
#include "reportfile/reportformat.h"

#include "fuzzcheck.h"

#include <cstdint>

using namespace dalko;
using namespace dalko::report;
using fuzz::check;
using fuzz::visible;

namespace {

// What one save and load makes of a line.
QString throughCodePage(const QString &text) { return fromWindows1251(toWindows1251(text)); }

bool startsWithByteOrderMark(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
           bytes.startsWith("\xFE\xFF");
}

void checkCalculator(Calculator calculator, const QStringList &lines, QChar decimal)
{
    try {
        validate(calculator, lines, decimal);
    } catch (const Error &error) {
        check(!error.message().isEmpty(), "a refused file says why");
        return;
    }
    const QByteArray saved = encode(lines);
    // A first line that starts with "я»ї", "яю" or "юя" is written as the bytes of a
    // byte-order mark, and the reader honours the mark: the text cannot be told from one.
    if (startsWithByteOrderMark(saved))
        return;
    const QStringList loaded = decode(saved);
    const int count = int(layout(calculator).size());
    for (int number = 1; number <= count; ++number) {
        const QString expected = throughCodePage(line(lines, number));
        check(line(loaded, number) == expected, "a saved line reads back",
              QString::number(number) + u' ' + visible(line(lines, number)) + u' ' +
                  visible(line(loaded, number)));
    }
    try {
        validate(calculator, loaded, decimal);
    } catch (const Error &error) {
        fuzz::fail("a saved file passes again", error.message());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = decode(bytes);
    for (const QString &text : lines) {
        check(text.size() <= 4096, "a line keeps at most 4096 characters");
        check(!text.contains(u'\r') && !text.contains(u'\n'), "line ends split lines");
    }
    for (QChar decimal : {QChar(u','), QChar(u'.')}) {
        checkCalculator(Calculator::General, lines, decimal);
        checkCalculator(Calculator::Boiler, lines, decimal);
    }
    return 0;
}

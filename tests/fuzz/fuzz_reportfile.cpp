// The report-file reader on any bytes: decoding never crashes and keeps the lines within their
// limits; a number line is loaded either as written or as a text that converts; checking a
// file for either calculator either passes or fails with a message for the error box; a file
// that passes is saved and read back with the same lines (only a lone UTF-16 surrogate, which
// is no character, changes), in Windows-1251 unless that would lose a letter.

#include "reportfile/codepage.h"
#include "reportfile/reportformat.h"

#include "fuzzcheck.h"

#include <QStringDecoder>

#include <algorithm>

#include <cstdint>

using namespace dalko;
using namespace dalko::report;
using fuzz::check;
using fuzz::visible;

namespace {

// What one save and load in UTF-8 makes of a line.
QString throughUtf8(const QString &text)
{
    return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom)
        .decode(text.toUtf8());
}

bool startsWithByteOrderMark(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
           bytes.startsWith("\xFE\xFF");
}

QByteArray encodeWindows1251(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &text : lines)
        bytes += toWindows1251(text) + "\r\n";
    return bytes;
}

void checkLoadedNumbers(const QStringList &lines, QChar decimal)
{
    for (const QString &text : lines) {
        const QString loaded = loadedText(LineKind::Number, text, decimal);
        check(loaded == text || parseNumber(loaded, decimal).has_value(),
              "a number is loaded as written or as a text that converts", visible(loaded));
        check(loadedText(LineKind::Number, loaded, decimal) == loaded,
              "loading twice changes nothing", visible(loaded));
    }
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
    // A file with a letter Windows-1251 lacks, or whose first line would begin with the bytes
    // of a byte-order mark, is written in UTF-8 with its mark; every other one in
    // Windows-1251 without, as it always was.
    const QByteArray windows1251 = encodeWindows1251(lines);
    const bool unicode = std::any_of(lines.begin(), lines.end(),
                                     [](const QString &text) {
                                         return fromWindows1251(toWindows1251(text)) != text;
                                     }) ||
                         startsWithByteOrderMark(windows1251);
    check(unicode ? saved.startsWith("\xEF\xBB\xBF") : saved == windows1251,
          "only a file that Windows-1251 would change is written in UTF-8");
    const QStringList loaded = decode(saved);
    const int count = int(layout(calculator).size());
    for (int number = 1; number <= count; ++number) {
        const QString text = line(lines, number);
        const QString expected = unicode ? throughUtf8(text) : text;
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
    check(lines.size() <= MaxLines, "no more lines than a layout reads");
    for (const QString &text : lines) {
        check(text.size() <= MaxLineLength, "a line keeps at most MaxLineLength characters");
        check(!text.contains(u'\r') && !text.contains(u'\n'), "line ends split lines");
    }
    for (QChar decimal : {QChar(u','), QChar(u'.')}) {
        checkLoadedNumbers(lines, decimal);
        checkCalculator(Calculator::General, lines, decimal);
        checkCalculator(Calculator::Boiler, lines, decimal);
    }
    return 0;
}

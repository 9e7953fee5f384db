#include "reportformat.h"

#include "codepage.h"
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>

namespace dalko::report {

namespace {

using enum LineKind;

// clang-format off
constexpr LineKind GeneralLayout[22] = {
    Text, Text, Text,                                       // customer, location, objects
    NumericText, NumericText, NumericText, NumericText,     // salary, overheads, profit, regional
    NumericText, NumericText, NumericText, NumericText,
    NumericText, NumericText, NumericText, NumericText,
    NumericText,                                            // nine consumptions
    ListIndex, ListIndex, ListIndex, ListIndex, ListIndex,  // branch, location, metering,
                                                            // expertise, VAT
    NumericText,                                            // floor area
};

constexpr LineKind BoilerLayout[20] = {
    Text, Text, Text,                                       // customer, location, objects
    NumericText, NumericText, NumericText, NumericText,     // salary, overheads, profit, regional
    Flag,                                                   // "Заказчик не задан"
    ListIndex, ListIndex, ListIndex, ListIndex, ListIndex,  // boilers, capacity, kind,
                                                            // expertise, VAT
    Number, Number, Number, Number, Number, Number,         // norms and factors
    Number,                                                 // the hourly wage
};
// clang-format on

static_assert(MaxLines == std::max(std::size(GeneralLayout), std::size(BoilerLayout)));

constexpr int BoilerFlagLine = 8;
// No character takes more than 4 bytes in any of the encodings, so this many bytes of a line
// hold its first MaxLineLength characters.
constexpr qsizetype MaxLineBytes = 4 * MaxLineLength;
// The longest lines with a mark and CR LF fit; anything larger is no report file.
constexpr qint64 MaxFileSize = 3 << 20;
static_assert(MaxFileSize >= 3 + MaxLines * (MaxLineBytes + 4));

constexpr char Utf8Mark[] = "\xEF\xBB\xBF";

enum class Encoding { Windows1251, Utf8, Utf16LE, Utf16BE };

struct Marked {
    Encoding encoding;
    qsizetype markSize;
};

Marked encodingOf(const QByteArray &bytes)
{
    if (bytes.startsWith(Utf8Mark))
        return {Encoding::Utf8, 3};
    if (bytes.startsWith("\xFF\xFE"))
        return {Encoding::Utf16LE, 2};
    if (bytes.startsWith("\xFE\xFF"))
        return {Encoding::Utf16BE, 2};
    return {Encoding::Windows1251, 0};
}

bool startsWithByteOrderMark(const QByteArray &bytes)
{
    return encodingOf(bytes).encoding != Encoding::Windows1251;
}

qsizetype unitSize(Encoding encoding)
{
    return encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE ? 2 : 1;
}

// The code unit at a byte offset: a byte, or a UTF-16 unit.
char16_t unitAt(QByteArrayView bytes, qsizetype offset, Encoding encoding)
{
    const auto byte = [&](qsizetype k) { return char16_t(uchar(bytes[k])); };
    if (encoding == Encoding::Utf16LE)
        return char16_t(byte(offset) | byte(offset + 1) << 8);
    if (encoding == Encoding::Utf16BE)
        return char16_t(byte(offset) << 8 | byte(offset + 1));
    return byte(offset);
}

QString decodeLine(QByteArrayView bytes, Encoding encoding)
{
    const QByteArrayView kept = bytes.first(std::min(bytes.size(), MaxLineBytes));
    QString text;
    if (encoding == Encoding::Windows1251) {
        text = fromWindows1251(kept);
    } else {
        // Each line is converted on its own: a U+FEFF that starts it is text, not a mark.
        const auto flags =
            QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless;
        const auto decoder = encoding == Encoding::Utf8      ? QStringConverter::Utf8
                             : encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE
                                                             : QStringConverter::Utf16BE;
        text = QStringDecoder(decoder, flags).decode(kept);
    }
    text.truncate(MaxLineLength);
    return text;
}

QByteArray joinLines(const QStringList &lines, QByteArray (*convert)(const QString &))
{
    QByteArray bytes;
    for (const QString &text : lines) {
        bytes += convert(text);
        bytes += "\r\n";
    }
    return bytes;
}

QByteArray toUtf8(const QString &text) { return text.toUtf8(); }

[[noreturn]] void cannotOpen(const QString &path, const QString &reason)
{
    throw Error(
        QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

std::span<const LineKind> layout(Calculator calculator)
{
    if (calculator == Calculator::General)
        return GeneralLayout;
    return BoilerLayout;
}

bool needsUtf8(const QStringList &lines)
{
    return std::any_of(lines.begin(), lines.end(), [](const QString &text) {
        return fromWindows1251(toWindows1251(text)) != text;
    });
}

QByteArray encode(const QStringList &lines)
{
    const QByteArray bytes = joinLines(lines, toWindows1251);
    if (needsUtf8(lines) || startsWithByteOrderMark(bytes))
        return Utf8Mark + joinLines(lines, toUtf8);
    return bytes;
}

QStringList decode(const QByteArray &bytes)
{
    const Marked marked = encodingOf(bytes);
    const Encoding encoding = marked.encoding;
    const qsizetype unit = unitSize(encoding);
    QByteArrayView text = QByteArrayView(bytes).sliced(marked.markSize);
    text.chop(text.size() % unit); // half a UTF-16 unit at the end is no character
    const auto lineEnd = [&](qsizetype offset) {
        const char16_t c = unitAt(text, offset, encoding);
        return c == u'\r' || c == u'\n';
    };
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size() && lines.size() < MaxLines) {
        qsizetype end = start;
        while (end < text.size() && !lineEnd(end))
            end += unit;
        lines << decodeLine(text.sliced(start, end - start), encoding);
        if (end + unit < text.size() && unitAt(text, end, encoding) == u'\r' &&
            unitAt(text, end + unit, encoding) == u'\n')
            end += unit;
        start = end + unit;
    }
    return lines;
}

QString line(const QStringList &lines, int number)
{
    return number >= 1 && number <= lines.size() ? lines[number - 1] : QString();
}

Calculator calculatorOf(const QStringList &lines)
{
    return isBoilerFile(lines) ? Calculator::Boiler : Calculator::General;
}

bool isBoilerFile(const QStringList &lines)
{
    const QString flag = line(lines, BoilerFlagLine);
    return flag == u"true" || flag == u"false";
}

QString loadedText(LineKind kind, const QString &text, QChar decimal)
{
    if (kind == NumericText || kind == Number)
        return withDecimalSeparator(text, decimal);
    return text;
}

void validate(Calculator calculator, const QStringList &lines, QChar decimal)
{
    if (calculator == Calculator::General && isBoilerFile(lines))
        throw Error(QStringLiteral("Это файл отчета расчета стоимости обследования котельной. "
                                   "Загрузите его на странице расчета для котельной"));
    if (calculator == Calculator::Boiler && !isBoilerFile(lines))
        throw Error(QStringLiteral("Это не файл отчета расчета стоимости обследования котельной "
                                   "(в строке 8 нет признака \"true\" или \"false\"). Файл общего "
                                   "расчета загружается на странице общего расчета"));
    const auto kinds = layout(calculator);
    for (int number = 1; number <= int(kinds.size()); ++number) {
        const LineKind kind = kinds[number - 1];
        const QString text = loadedText(kind, line(lines, number), decimal);
        if (kind == ListIndex)
            textToInteger(text);
        else if (kind == Number)
            textToNumber(text, decimal).store();
    }
}

QString reportFileName(const QString &chosenPath)
{
    static const QString extension = QStringLiteral(".rvj");
    return chosenPath.endsWith(extension, Qt::CaseInsensitive) ? chosenPath
                                                               : chosenPath + extension;
}

void writeFile(const QString &path, const QStringList &lines) { saveFile(path, encode(lines)); }

QStringList readFile(const QString &path)
{
    const FileBytes file =
        readRegularFile(path, MaxFileSize,
                        QStringLiteral("Файл слишком велик для файла отчета (больше %1 МБ)")
                            .arg(MaxFileSize >> 20));
    if (!file.failure.isEmpty())
        cannotOpen(path, file.failure);
    return decode(file.bytes);
}

} // namespace dalko::report

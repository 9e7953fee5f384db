#include "reportformat.h"

#include "codepage.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace dalko::report {

namespace {

using enum LineKind;

constexpr LineKind GeneralLayout[22] = {
    Text, Text, Text, Text, Text, Text, Text, // customer and financial
                                              // fields
    Text, Text, Text, Text, Text, Text, Text, Text,
    Text,                                                  // nine consumptions
    ListIndex, ListIndex, ListIndex, ListIndex, ListIndex, // branch, location, metering, expertise,
                                                           // VAT
    Text,                                                  // floor area
};

constexpr LineKind BoilerLayout[20] = {
    Text, Text, Text, Text, Text, Text,
    Text,                                                  // customer and financial fields
    Flag,                                                  // "Заказчик не задан"
    ListIndex, ListIndex, ListIndex, ListIndex, ListIndex, // boilers, capacity, kind, expertise,
                                                           // VAT
    Number, Number, Number, Number, Number, Number,
    Number, // factors and the hourly wage
};

constexpr int BoilerFlagLine = 8;
constexpr qsizetype MaxLineLength = 4096;

QString decodeText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE)(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE)(bytes.mid(2));
    return fromWindows1251(bytes);
}

QString systemMessage(const QString &path, const QString &reason, const char *format)
{
    return QString::fromLatin1(format).arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

std::span<const LineKind> layout(Calculator calculator)
{
    if (calculator == Calculator::General)
        return GeneralLayout;
    return BoilerLayout;
}

QByteArray encode(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &text : lines) {
        bytes += toWindows1251(text);
        bytes += "\r\n";
    }
    return bytes;
}

QStringList decode(const QByteArray &bytes)
{
    const QString text = decodeText(bytes);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines << text.mid(start, std::min(end - start, MaxLineLength));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

QString line(const QStringList &lines, int number)
{
    return number >= 1 && number <= lines.size() ? lines[number - 1] : QString();
}

bool isBoilerFile(const QStringList &lines)
{
    const QString flag = line(lines, BoilerFlagLine);
    return flag == u"true" || flag == u"false";
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
        const QString text = line(lines, number);
        if (kinds[number - 1] == ListIndex)
            textToInteger(text);
        else if (kinds[number - 1] == Number)
            textToNumber(text, decimal).store();
    }
}

QString reportFileName(const QString &chosenPath)
{
    static const QString extension = QStringLiteral(".rvj");
    return chosenPath.endsWith(extension, Qt::CaseInsensitive) ? chosenPath
                                                               : chosenPath + extension;
}

void writeFile(const QString &path, const QStringList &lines)
{
    const QByteArray bytes = encode(lines);
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk) is seen here and not lost in the last
    // flush, which commit() does not check.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string();
        throw Error(systemMessage(path, reason, "Cannot create file \"%1\". %2"));
    }
}

QStringList readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(systemMessage(path, file.errorString(), "Cannot open file \"%1\". %2"));
    return decode(file.readAll());
}

} // namespace dalko::report

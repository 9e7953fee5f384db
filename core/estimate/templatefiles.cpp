#include "templatefiles.h"

#include "numbers.h"
#include "reportfile/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <limits>
#include <tuple>
#include <vector>

#include <cerrno>
#include <sys/stat.h>

namespace dalko::estimate {

namespace {

// What a file that is not HTML text is, by its first bytes.
QString binaryKind(const QByteArray &bytes)
{
    struct Signature {
        QByteArrayView start;
        const char16_t *kind;
    };
    static const std::array<Signature, 3> signatures{{
        {"PK\x03\x04", u"архив ZIP (так хранятся документы ODT и DOCX)"},
        {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", u"документ Word старого формата (DOC)"},
        {"%PDF", u"документ PDF"},
    }};
    for (const Signature &signature : signatures)
        if (bytes.startsWith(signature.start))
            return QString::fromUtf16(signature.kind);
    if (bytes.contains('\0'))
        return QStringLiteral("двоичный файл (в нём есть нулевые байты)");
    return {};
}

// What the HTML import of a template would build, counted over its tags without building
// anything, so that a template of any size is judged in one pass and little memory.
struct Shape {
    int tables = 0;   // deepest nesting of tables
    int elements = 0; // deepest nesting of elements
    qint64 listItems = 0;
    qint64 paragraphs = 0;
    qint64 tableCells = 0; // the cells of every table's grid, spans spread out
};

// Elements without content or whose end tag HTML lets a template leave out: they are not
// counted, so that a template full of unclosed paragraphs or cells is not taken for a deep
// one.
bool uncounted(QStringView name)
{
    static const std::array<QStringView, 25> names{
        u"br",  u"img",   u"hr",     u"meta",  u"link",  u"col",   u"input",   u"area", u"base",
        u"wbr", u"param", u"source", u"embed", u"p",     u"li",    u"td",      u"th",   u"tr",
        u"dt",  u"dd",    u"option", u"thead", u"tbody", u"tfoot", u"colgroup"};
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements each of which the import makes a paragraph of.
bool paragraph(QStringView name)
{
    static const std::array<QStringView, 14> names{u"p",  u"div", u"h1", u"h2", u"h3",
                                                   u"h4", u"h5",  u"h6", u"li", u"dt",
                                                   u"dd", u"pre", u"td", u"th"};
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The columns a cell spans; a number too large to read counts as the most there can be.
qint64 columnSpan(QStringView attributes)
{
    static const QRegularExpression colspan(QStringLiteral("colspan\\s*=\\s*[\"']?\\s*(\\d+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = colspan.match(attributes);
    if (!match.hasMatch())
        return 1;
    bool ok = false;
    const qint64 span = match.capturedView(1).toLongLong(&ok);
    return ok ? std::max<qint64>(span, 1) : std::numeric_limits<int>::max();
}

// A table being read: its rows and the widest of them.
struct TableGrid {
    qint64 rows = 0;
    qint64 columns = 0;
    qint64 widest = 0;
    qint64 cells() const { return std::max<qint64>(rows, 1) * widest; }
};

Shape shapeOf(QStringView html)
{
    Shape depth, shape;
    std::vector<TableGrid> tables;
    qsizetype at = 0, textStart = 0;
    // A line break of the text starts a paragraph where white space is kept (<pre>); counted
    // everywhere, since a style sheet may keep it in any element.
    auto countBreaks = [&](qsizetype from, qsizetype to) {
        shape.paragraphs += html.sliced(from, to - from).count(u'\n');
    };
    while ((at = html.indexOf(u'<', at)) >= 0) {
        countBreaks(textStart, at);
        if (html.sliced(at).startsWith(u"<!--")) {
            at = html.indexOf(u"-->", at + 4);
            if (at < 0)
                break;
            textStart = at;
            continue;
        }
        const bool closing = html.sliced(at + 1).startsWith(u'/');
        const qsizetype nameStart = at + 1 + (closing ? 1 : 0);
        qsizetype nameEnd = nameStart;
        while (nameEnd < html.size() && html[nameEnd].isLetterOrNumber())
            ++nameEnd;
        const qsizetype end = html.indexOf(u'>', nameEnd);
        if (end < 0)
            break;
        const QString name = html.sliced(nameStart, nameEnd - nameStart).toString().toLower();
        const bool selfClosing = html[end - 1] == u'/';
        const QStringView attributes = html.sliced(nameEnd, end - nameEnd);
        at = textStart = end + 1;
        if (name.isEmpty())
            continue;
        if (!closing) {
            shape.paragraphs += paragraph(name) ? 1 : 0;
            shape.listItems += name == u"li" ? 1 : 0;
            if (name == u"table") {
                tables.emplace_back();
            } else if (!tables.empty() && name == u"tr") {
                ++tables.back().rows;
                tables.back().columns = 0;
            } else if (!tables.empty() && (name == u"td" || name == u"th")) {
                TableGrid &table = tables.back();
                table.columns += columnSpan(attributes);
                table.widest = std::max(table.widest, table.columns);
            }
        } else if (name == u"table" && !tables.empty()) {
            shape.tableCells += tables.back().cells();
            tables.pop_back();
        }
        if (selfClosing || uncounted(name))
            continue;
        const int step = closing ? -1 : 1;
        depth.elements = std::max(0, depth.elements + step);
        if (name == u"table")
            depth.tables = std::max(0, depth.tables + step);
        shape.elements = std::max(shape.elements, depth.elements);
        shape.tables = std::max(shape.tables, depth.tables);
    }
    if (at < 0 && textStart < html.size())
        countBreaks(textStart, html.size());
    for (const TableGrid &table : tables)
        shape.tableCells += table.cells();
    return shape;
}

// Texts of the "#…&" form, counted in the HTML: each would be searched and replaced. An "&"
// of the text is written "&amp;" there, so the "&" closes the count as well.
qint64 placeholderLikeCount(QStringView html)
{
    static const QRegularExpression placeholderLike(QStringLiteral("#[^\\s#&<>\"']{1,40}&"));
    qint64 count = 0;
    for (auto it = placeholderLike.globalMatch(html); it.hasNext(); it.next())
        ++count;
    return count;
}

// The template's text in the code page it declares (<meta charset> or http-equiv), UTF-8
// when it declares none; a word processor on Windows writes Windows-1251.
QString templateText(const QByteArray &bytes, const QString &shown)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    static const QRegularExpression declared(
        QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?\\s*([^\\s\"'>;/]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString charset = declared.match(QString::fromLatin1(bytes)).captured(1).toLower();
    static const std::array<std::pair<QStringView, const char *>, 8> codePages{{
        {u"utf-8", "UTF-8"},
        {u"utf8", "UTF-8"},
        {u"us-ascii", "UTF-8"},
        {u"windows-1251", "WINDOWS-1251"},
        {u"cp1251", "WINDOWS-1251"},
        {u"x-cp1251", "WINDOWS-1251"},
        {u"koi8-r", "KOI8-R"},
        {u"koi8r", "KOI8-R"},
    }};
    if (charset.isEmpty())
        return QString::fromUtf8(bytes);
    for (const auto &[name, codePage] : codePages)
        if (charset == name)
            return report::fromCodePage(codePage, bytes);
    throw Error(QStringLiteral("Шаблон сметы \"%1\" записан в кодировке \"%2\", которую программа "
                               "не читает: сохраните его в кодировке UTF-8 или Windows-1251")
                    .arg(shown, charset));
}

} // namespace

QString systemTemplateFolder()
{
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(
               qEnvironmentVariable("ProgramData", QStringLiteral("C:\\ProgramData"))) +
           QStringLiteral("/dalko");
#else
    return QStringLiteral("/etc/dalko");
#endif
}

QStringList templateFolders(const QString &programFolder)
{
    QStringList folders;
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!user.isEmpty())
        folders << user;
    folders << systemTemplateFolder() << programFolder;
    return folders;
}

QString findTemplate(const QString &templateName, const QStringList &folders)
{
    QStringList looked;
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(templateName);
        // Whatever stands under the name is the template, even a link to nothing: the firm's
        // own copy that cannot be read is an error to mend, not a reason to print another.
#ifdef Q_OS_WIN
        if (const QFileInfo info(path); info.exists() || info.isSymLink())
            return path;
#else
        struct stat info {};
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0)
            return path;
        if (errno != ENOENT)
            throw Error(QStringLiteral("Не удалось открыть шаблон сметы \"%1\". %2")
                            .arg(QDir::toNativeSeparators(path), fileErrorReason(errno)));
#endif
        looked << QDir::toNativeSeparators(path);
    }
    throw Error(QStringLiteral("Не найден шаблон сметы \"%1\". Искали:\n%2")
                    .arg(templateName, looked.join(u'\n')));
}

FileBytes readTemplateFile(const QString &path)
{
    return readRegularFile(path, MaxTemplateBytes,
                           QStringLiteral("Файл больше %1 МБ: шаблон сметы не бывает таким большим")
                               .arg(MaxTemplateBytes / (1024 * 1024)));
}

QString readTemplateHtml(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const FileBytes file = readTemplateFile(path);
    if (!file.failure.isEmpty())
        throw Error(
            QStringLiteral("Не удалось открыть шаблон сметы \"%1\". %2").arg(shown, file.failure));
    if (const QString kind = binaryKind(file.bytes); !kind.isEmpty())
        throw Error(QStringLiteral("Шаблон сметы \"%1\" — не документ HTML, а %2. Откройте его "
                                   "в текстовом процессоре и сохраните как документ HTML")
                        .arg(shown, kind));
    const QString html = templateText(file.bytes, shown);
    const Shape shape = shapeOf(html);
    auto tooDeep = [&](const QString &what, int levels, int limit) {
        return Error(QStringLiteral("В шаблоне сметы \"%1\" %2 вложены друг в друга слишком "
                                    "глубоко (уровней: %3, допустимо не больше %4): упростите "
                                    "шаблон")
                         .arg(shown, what)
                         .arg(levels)
                         .arg(limit));
    };
    if (shape.tables > MaxTableNesting)
        throw tooDeep(QStringLiteral("таблицы"), shape.tables, MaxTableNesting);
    if (shape.elements > MaxElementNesting)
        throw tooDeep(QStringLiteral("элементы HTML"), shape.elements, MaxElementNesting);
    const std::tuple<qint64, qint64, const char16_t *> counts[] = {
        {shape.listItems, MaxListItems, u"пунктов списков"},
        {shape.tableCells, MaxTableCells, u"ячеек таблиц (считая каждую объединенную)"},
        {shape.paragraphs, MaxParagraphs, u"абзацев"},
        {placeholderLikeCount(html), MaxPlaceholderTexts, u"текстов вида #…&"},
    };
    for (const auto &[count, limit, what] : counts)
        if (count > limit)
            throw Error(QStringLiteral("В шаблоне сметы \"%1\" слишком много %2 (%3, допустимо "
                                       "не больше %4): упростите шаблон")
                            .arg(shown, QString::fromUtf16(what))
                            .arg(count)
                            .arg(limit));
    return html;
}

} // namespace dalko::estimate

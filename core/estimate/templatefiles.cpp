#include "templatefiles.h"

#include "numbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <array>

#include <cerrno>

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

struct Nesting {
    int tables = 0;
    int elements = 0;
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

// The deepest nesting of tables and of elements, counted over the tags without building
// anything, so that any depth is counted in one pass and little memory. Comments are
// skipped; the document, head and body elements are one level each.
Nesting deepestNesting(QStringView html)
{
    Nesting depth, deepest;
    qsizetype at = 0;
    while ((at = html.indexOf(u'<', at)) >= 0) {
        if (html.sliced(at).startsWith(u"<!--")) {
            at = html.indexOf(u"-->", at + 4);
            if (at < 0)
                break;
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
        at = end + 1;
        if (name.isEmpty() || selfClosing || uncounted(name))
            continue;
        const int step = closing ? -1 : 1;
        depth.elements = std::max(0, depth.elements + step);
        if (name == u"table")
            depth.tables = std::max(0, depth.tables + step);
        deepest.elements = std::max(deepest.elements, depth.elements);
        deepest.tables = std::max(deepest.tables, depth.tables);
    }
    return deepest;
}

} // namespace

QStringList templateFolders(const QString &programFolder)
{
    QStringList folders;
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!user.isEmpty())
        folders << user;
    folders << SystemTemplateFolder << programFolder;
    return folders;
}

QString findTemplate(const QString &templateName, const QStringList &folders)
{
    QStringList looked;
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(templateName);
        if (QFileInfo::exists(path))
            return path;
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
    auto decoder =
        QStringDecoder(QStringDecoder::encodingForHtml(file.bytes).value_or(QStringDecoder::Utf8));
    const QString html = decoder(file.bytes);
    const Nesting nesting = deepestNesting(html);
    auto tooDeep = [&](const QString &what, int levels, int limit) {
        return Error(QStringLiteral("В шаблоне сметы \"%1\" %2 вложены друг в друга слишком "
                                    "глубоко (уровней: %3, допустимо не больше %4): упростите "
                                    "шаблон")
                         .arg(shown, what)
                         .arg(levels)
                         .arg(limit));
    };
    if (nesting.tables > MaxTableNesting)
        throw tooDeep(QStringLiteral("таблицы"), nesting.tables, MaxTableNesting);
    if (nesting.elements > MaxElementNesting)
        throw tooDeep(QStringLiteral("элементы HTML"), nesting.elements, MaxElementNesting);
    return html;
}

} // namespace dalko::estimate

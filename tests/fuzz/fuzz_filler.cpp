// The document filler on any template and any replacements: no crash, no hang, and each
// replacement does to the document's text what replacing every occurrence, left to right
// and without searching the inserted values again, does to a plain string. A template the
// filler refuses (not HTML text, too deeply nested, sizes beyond any page) or a layout it
// refuses ends with an Error, which is a clean outcome.
//
// Input: the template's HTML, then placeholder and value texts, all separated by NUL bytes.

#include "estimate/filler.h"

#include "numbers.h"

#include "fuzzcheck.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

using namespace dalko;
using fuzz::check;
using fuzz::visible;

namespace {

std::unique_ptr<QTemporaryDir> workDir;
QString templatePath;

// The document's text shows every paragraph, line and frame break as "\n" and a non-breaking
// space as a space.
QString asPlainText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar &c : text) {
        switch (c.unicode()) {
        case u'\r':
        case 0x2028: // line separator
        case 0x2029: // paragraph separator
        case 0xFDD0: // beginning of a frame
        case 0xFDD1: // end of a frame
            c = u'\n';
            break;
        case 0x00A0:
            c = u' ';
            break;
        default:
            break;
        }
    }
    return text;
}

// The search looks inside one paragraph at a time, so a placeholder with a break in it is
// never found; real placeholders ("#name&") have none.
bool searchable(const QString &placeholder)
{
    for (QChar c : placeholder)
        if (c == u'\n' || c == u'\r' || c == QChar(0x2028) || c == QChar(0x2029) ||
            c == QChar(0xFDD0) || c == QChar(0xFDD1))
            return false;
    return true;
}

// Keeps a run of replacements that multiply the text from growing without bound.
constexpr qsizetype MaxText = 20000;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_filler";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    workDir = std::make_unique<QTemporaryDir>();
    templatePath = QDir(workDir->path()).filePath(QStringLiteral("template.rv"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0');
    {
        QFile file(templatePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fuzz::fail("cannot write the template", templatePath);
        file.write(parts.front());
    }
    estimate::DocumentFiller filler;
    try {
        filler.open(templatePath);
    } catch (const Error &) {
        return 0;
    }
    for (qsizetype i = 1; i + 1 < parts.size(); i += 2) {
        const QString placeholder = QString::fromUtf8(parts[i]);
        const QString value = QString::fromUtf8(parts[i + 1]);
        const QString before = filler.plainText();
        if (QString(before).replace(placeholder, value).size() > MaxText)
            break;
        filler.replaceAll(placeholder, value);
        const QString after = filler.plainText();
        if (placeholder.isEmpty()) {
            check(after == before, "an empty placeholder changes nothing");
            continue;
        }
        if (!searchable(placeholder))
            continue;
        const QString expected = QString(before).replace(placeholder, asPlainText(value));
        check(after == expected, "every occurrence is replaced",
              QStringLiteral("%1 -> %2\nbefore   %3\nafter    %4\nexpected %5")
                  .arg(visible(placeholder), visible(value), visible(before), visible(after),
                       visible(expected)));
    }
    // The layout either fits the page budget or is refused; it never hangs.
    try {
        check(filler.pdfBytes().startsWith("%PDF"), "a PDF is written");
    } catch (const Error &) {
    }
    return 0;
}

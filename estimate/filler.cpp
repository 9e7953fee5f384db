#include "filler.h"

#include "app/numbers.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QTextCursor>

namespace dalko::estimate {

namespace {
constexpr int PdfResolution = 300;
const QMarginsF PageMargins{15, 15, 15, 15}; // millimetres
} // namespace

QVariant TemplateDocument::loadResource(int type, const QUrl &name)
{
    // Qt takes a name without a scheme for a local file, a relative one in the working folder.
    QUrl local = name;
    if (local.isRelative())
        local.setScheme(QStringLiteral("file"));
    if (local.isLocalFile() && !QFileInfo(local.toLocalFile()).isFile())
        return {};
    return QTextDocument::loadResource(type, name);
}

void DocumentFiller::open(const QString &templatePath)
{
    QFile file(templatePath);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Не удалось открыть шаблон сметы \"%1\": %2")
                        .arg(QDir::toNativeSeparators(templatePath), file.errorString()));
    const QByteArray bytes = file.readAll();
    auto decoder =
        QStringDecoder(QStringDecoder::encodingForHtml(bytes).value_or(QStringDecoder::Utf8));
    m_document.clear();
    m_document.setHtml(decoder(bytes));
}

void DocumentFiller::replaceAll(const QString &placeholder, const QString &value)
{
    if (placeholder.isEmpty())
        return;
    // One edit block: the document lays a paragraph out again only at its end, not after
    // every insertion, which made a paragraph with many occurrences take quadratic time.
    QTextCursor edit(&m_document);
    edit.beginEditBlock();
    const auto endEdit = qScopeGuard([&] { edit.endEditBlock(); });
    QTextCursor found = m_document.find(placeholder, 0, QTextDocument::FindCaseSensitively);
    while (!found.isNull()) {
        const QTextCharFormat format = found.charFormat();
        found.insertText(value, format);
        // The search goes on after the inserted value, which is never searched again.
        found = m_document.find(placeholder, found, QTextDocument::FindCaseSensitively);
    }
}

void DocumentFiller::fill(const QList<Replacement> &replacements)
{
    for (const Replacement &replacement : replacements)
        replaceAll(replacement.placeholder, replacement.value);
}

void DocumentFiller::paint(QPagedPaintDevice &device)
{
    device.setPageMargins(PageMargins, QPageLayout::Millimeter);
    // Without the device's own page size the document would add margins of its own.
    m_document.documentLayout()->setPaintDevice(&device);
    const QPageLayout layout = device.pageLayout();
    m_document.setPageSize(layout.paintRectPixels(device.logicalDpiX()).size());
    m_document.print(&device);
}

void DocumentFiller::writePdf(const QString &path)
{
    // QPdfWriter says nothing when it cannot write; find out first.
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Cannot create file \"%1\". %2")
                        .arg(QDir::toNativeSeparators(path), probe.errorString()));
    probe.close();
    QPdfWriter writer(path);
    writer.setResolution(PdfResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(QStringLiteral("Смета"));
    paint(writer);
}

} // namespace dalko::estimate

#include "filler.h"

#include "odtwriter.h"
#include "templatefiles.h"

#include "app/numbers.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPixmap>
#include <QSaveFile>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLength>

#include <cmath>

namespace dalko::estimate {

namespace {

constexpr int PdfResolution = 300;
const QMarginsF PageMargins{15, 15, 15, 15}; // millimetres
constexpr qreal BodyPointSize = 11;

// No margin, indent, width or font of a form comes near this many pixels (over half a
// metre). Far larger ones overflow the fixed-point arithmetic of Qt's text layout, whose
// pagination then never ends.
constexpr double MaxLength = 2000;
// A filled estimate takes two pages; a layout beyond this has gone wrong.
constexpr int MaxPages = 50;

QString shownPath(const QString &path) { return QDir::toNativeSeparators(path); }

// A picture that shows nothing but is not null: Qt reads the file itself for a null one.
QImage emptyPicture()
{
    QImage picture(1, 1, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    return picture;
}

bool isPicture(const QVariant &value)
{
    if (value.typeId() == QMetaType::QImage)
        return !value.value<QImage>().isNull();
    if (value.typeId() == QMetaType::QPixmap)
        return !value.value<QPixmap>().isNull();
    return false;
}

bool beyondMaxLength(double length) { return !(std::fabs(length) <= MaxLength); }

// Whole-number properties that count pixels, columns or levels.
bool countsSize(int property)
{
    switch (property) {
    case QTextFormat::FontPixelSize:
    case QTextFormat::BlockIndent:
    case QTextFormat::ListIndent:
    case QTextFormat::TableColumns:
    case QTextFormat::TableHeaderRowCount:
    case QTextFormat::TableCellRowSpan:
    case QTextFormat::TableCellColumnSpan:
        return true;
    default:
        return false;
    }
}

bool absurdSize(int property, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return beyondMaxLength(value.toDouble());
    case QMetaType::Int:
        return countsSize(property) && beyondMaxLength(value.toInt());
    case QMetaType::QTextLength:
        return beyondMaxLength(value.value<QTextLength>().rawValue());
    default:
        break;
    }
    if (value.typeId() == qMetaTypeId<QList<QTextLength>>()) {
        const auto lengths = value.value<QList<QTextLength>>();
        return std::any_of(lengths.begin(), lengths.end(), [](const QTextLength &length) {
            return beyondMaxLength(length.rawValue());
        });
    }
    return false;
}

// Checked before anything lays the document out, since that layout would not end.
void refuseAbsurdSizes(const QTextDocument &document, const QString &templatePath)
{
    for (const QTextFormat &format : document.allFormats()) {
        const QMap<int, QVariant> properties = format.properties();
        for (auto it = properties.cbegin(); it != properties.cend(); ++it)
            if (absurdSize(it.key(), it.value()))
                throw Error(QStringLiteral("В шаблоне сметы \"%1\" задан размер (поле, отступ, "
                                           "ширина или шрифт) больше %2 пикселей: такой "
                                           "документ не разместить на страницах")
                                .arg(shownPath(templatePath))
                                .arg(MaxLength));
    }
}

// Replaces the occurrences in one paragraph, last first, so that the positions found in its
// text stay valid.
void replaceInBlock(QTextCursor &edit, const QTextBlock &block, const QString &placeholder,
                    const QString &value)
{
    // The text as QTextDocument::find reads it.
    QString text = block.text();
    text.replace(QChar::Nbsp, u' ');
    QList<qsizetype> starts;
    for (qsizetype at = text.indexOf(placeholder); at >= 0;
         at = text.indexOf(placeholder, at + placeholder.size()))
        starts << at;
    const int blockStart = block.position();
    for (auto start = starts.crbegin(); start != starts.crend(); ++start) {
        edit.setPosition(blockStart + int(*start));
        edit.setPosition(blockStart + int(*start + placeholder.size()), QTextCursor::KeepAnchor);
        const QTextCharFormat format = edit.charFormat();
        edit.insertText(value, format);
    }
}

} // namespace

TemplateDocument::TemplateDocument()
{
    QFont body(QStringLiteral("Times New Roman"));
    body.setPointSizeF(BodyPointSize);
    setDefaultFont(body);
    // Nothing is ever undone; keeping every insertion for it costs time and memory.
    setUndoRedoEnabled(false);
}

QVariant TemplateDocument::loadResource(int type, const QUrl &name)
{
    // Resolved as QTextDocument::resource does; a name without a scheme is a local file.
    QUrl url = baseUrl().resolved(name);
    if (url.scheme().isEmpty())
        url.setScheme(QStringLiteral("file"));
    QVariant value;
    if (url.scheme() == u"data") {
        value = QTextDocument::loadResource(type, url);
    } else if (url.isLocalFile()) {
        const FileBytes file = readTemplateFile(url.toLocalFile());
        if (file.failure.isEmpty())
            value = type == ImageResource ? QVariant(QImage::fromData(file.bytes))
                                          : QVariant(file.bytes);
    }
    if (type == ImageResource && !isPicture(value))
        value = emptyPicture();
    else if (!value.isValid())
        value = QByteArray("");
    addResource(type, name, value);
    return value;
}

DocumentFiller::DocumentFiller() : m_document(std::make_unique<TemplateDocument>()) {}

DocumentFiller::~DocumentFiller() = default;

void DocumentFiller::open(const QString &templatePath)
{
    const QString html = readTemplateHtml(templatePath);
    // A fresh document has no layout yet, so nothing is laid out before the sizes are checked.
    auto document = std::make_unique<TemplateDocument>();
    document->setBaseUrl(QUrl::fromLocalFile(QFileInfo(templatePath).absolutePath() + u'/'));
    document->setHtml(html);
    refuseAbsurdSizes(*document, templatePath);
    m_document = std::move(document);
    m_templatePath = templatePath;
}

void DocumentFiller::replaceAll(const QString &placeholder, const QString &value)
{
    if (placeholder.isEmpty())
        return;
    // One edit block: the document lays a paragraph out again only at its end, not after
    // every insertion.
    QTextCursor edit(m_document.get());
    edit.beginEditBlock();
    const auto endEdit = qScopeGuard([&] { edit.endEditBlock(); });
    // Each paragraph's text is searched once (QTextDocument::find per occurrence would read a
    // long paragraph again for each). A value with a paragraph break adds paragraphs before
    // the next one, which are never searched.
    for (QTextBlock block = m_document->begin(); block.isValid();) {
        const QTextBlock next = block.next();
        replaceInBlock(edit, block, placeholder, value);
        block = next;
    }
}

void DocumentFiller::fill(const QList<Replacement> &replacements)
{
    for (const Replacement &replacement : replacements)
        replaceAll(replacement.placeholder, replacement.value);
}

int DocumentFiller::layOut(QPagedPaintDevice &device)
{
    device.setPageMargins(PageMargins, QPageLayout::Millimeter);
    // Without the device's own page size the document would add margins of its own.
    m_document->documentLayout()->setPaintDevice(&device);
    const QPageLayout layout = device.pageLayout();
    m_document->setPageSize(layout.paintRectPixels(device.logicalDpiX()).size());
    const int pages = m_document->pageCount();
    if (pages < 1 || pages > MaxPages)
        throw Error(QStringLiteral("Смета по шаблону \"%1\" не умещается на %2 страницах: "
                                   "проверьте в шаблоне поля, отступы и размеры шрифтов")
                        .arg(shownPath(m_templatePath))
                        .arg(MaxPages));
    return pages;
}

void DocumentFiller::paint(QPagedPaintDevice &device)
{
    layOut(device);
    m_document->print(&device);
}

QByteArray DocumentFiller::pdfBytes()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfResolution);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(QStringLiteral("Смета"));
        paint(writer);
    }
    return buffer.data();
}

QByteArray DocumentFiller::odtBytes()
{
    // Laid out as for the PDF, so that the tables get the PDF's column widths.
    QBuffer unused;
    unused.open(QIODevice::WriteOnly);
    QPdfWriter writer(&unused);
    writer.setResolution(PdfResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    layOut(writer);
    return writeOdt(*m_document, writer.pageLayout(), PdfResolution);
}

} // namespace dalko::estimate

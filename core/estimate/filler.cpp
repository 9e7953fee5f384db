#include "filler.h"

#include "odtwriter.h"
#include "templatefiles.h"

#include "numbers.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSet>
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

// Pixels kept per pixel a picture is shown at: enough for the PDF's 300 dpi.
constexpr qreal PictureDetail = 4;

// The bytes of a "data:" URL, base64 or percent-encoded.
QByteArray dataUrlBytes(const QUrl &url)
{
    const QByteArray text = url.toEncoded(QUrl::RemoveScheme);
    const qsizetype comma = text.indexOf(',');
    if (comma < 0)
        return {};
    const QByteArray payload = QByteArray::fromPercentEncoding(text.sliced(comma + 1));
    return text.first(comma).toLower().endsWith(";base64") ? QByteArray::fromBase64(payload)
                                                           : payload;
}

// A picture that shows nothing but is not null: Qt reads the file itself for a null one.
QImage emptyPicture()
{
    QImage picture(1, 1, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    return picture;
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

struct Occurrence {
    qsizetype start;
    qsizetype length;
    const QString *value;
};

// The text of a paragraph as QTextDocument::find reads it.
QString searchedText(const QTextBlock &block)
{
    QString text = block.text();
    text.replace(QChar::Nbsp, u' ');
    return text;
}

// Replaces the occurrences in one paragraph, last first, so that the positions found in its
// text stay valid.
void replaceInBlock(QTextCursor &edit, const QTextBlock &block,
                    const QList<Occurrence> &occurrences)
{
    const int blockStart = block.position();
    for (auto it = occurrences.crbegin(); it != occurrences.crend(); ++it) {
        edit.setPosition(blockStart + int(it->start));
        edit.setPosition(blockStart + int(it->start + it->length), QTextCursor::KeepAnchor);
        const QTextCharFormat format = edit.charFormat();
        edit.insertText(*it->value, format);
    }
}

// One edit block for a whole replacement: the document lays a paragraph out again only at
// its end, not after every insertion. Each paragraph's text is searched once; a value with a
// paragraph break adds paragraphs before the next one, which are never searched.
template <class Find>
void replaceInDocument(QTextDocument &document, Find find)
{
    QTextCursor edit(&document);
    edit.beginEditBlock();
    const auto endEdit = qScopeGuard([&] { edit.endEditBlock(); });
    for (QTextBlock block = document.begin(); block.isValid();) {
        const QTextBlock next = block.next();
        replaceInBlock(edit, block, find(searchedText(block)));
        block = next;
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
    QByteArray bytes;
    if (url.scheme() == u"data") {
        bytes = dataUrlBytes(url);
    } else if (url.isLocalFile()) {
        const FileBytes file = readTemplateFile(url.toLocalFile());
        if (file.failure.isEmpty())
            bytes = file.bytes;
    }
    const QVariant value =
        type == ImageResource ? picture(name, bytes) : QVariant(bytes.isNull() ? "" : bytes);
    addResource(type, name, value);
    return value;
}

QVariant TemplateDocument::picture(const QUrl &url, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Only the format is known yet: asking an SVG for its size would already render it.
    if (reader.format().startsWith("svg")) {
        refusePicture(url, QStringLiteral("в формате SVG, а смета показывает только рисунки из "
                                          "точек: сохраните его как PNG или JPEG"));
        return emptyPicture();
    }
    const QSize size = reader.size();
    if (!size.isValid())
        return emptyPicture();
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels > MaxPicturePixels) {
        refusePicture(url, QStringLiteral("слишком велик (%1 × %2 точек, допустимо не больше "
                                          "%3 млн точек): уменьшите его")
                               .arg(size.width())
                               .arg(size.height())
                               .arg(MaxPicturePixels / 1'000'000));
        return emptyPicture();
    }
    m_pictureBytes += pixels * 4;
    if (m_pictureBytes > MaxPictureBytes) {
        refusePicture(url, QStringLiteral("вместе с прежними рисунками занял бы больше %1 МБ "
                                          "памяти: уменьшите рисунки шаблона")
                               .arg(MaxPictureBytes / (1024 * 1024)));
        return emptyPicture();
    }
    if (const QSizeF shown = m_shownSizes.value(url) * PictureDetail; !shown.isEmpty()) {
        const QSize scaled = size.boundedTo(shown.toSize().expandedTo({1, 1}));
        if (scaled != size)
            reader.setScaledSize(scaled);
    }
    const QImage image = reader.read();
    return image.isNull() ? emptyPicture() : image;
}

void TemplateDocument::refusePicture(const QUrl &url, const QString &reason)
{
    if (!m_pictureFailure.isEmpty())
        return;
    const QString picture =
        url.scheme() == u"data"
            ? QStringLiteral("рисунок, вложенный в шаблон сметы,")
            : QStringLiteral("рисунок \"%1\" шаблона сметы")
                  .arg(QDir::toNativeSeparators(baseUrl().resolved(url).toLocalFile()));
    m_pictureFailure = QStringLiteral("Смета не сформирована: %1 %2").arg(picture, reason);
}

void TemplateDocument::loadPictures()
{
    // The largest size each picture is shown at; empty where one showing leaves a side to
    // the picture's proportions, which then is never scaled.
    QList<QUrl> names;
    for (const QTextFormat &format : allFormats()) {
        QString name;
        QSizeF shown;
        if (format.isImageFormat()) {
            const QTextImageFormat image = format.toImageFormat();
            name = image.name();
            shown = {image.width(), image.height()};
        } else if (format.hasProperty(QTextFormat::BackgroundImageUrl)) {
            name = format.stringProperty(QTextFormat::BackgroundImageUrl);
        }
        if (name.isEmpty())
            continue;
        const QUrl url = baseUrl().resolved(QUrl(name));
        const auto known = m_shownSizes.find(url);
        if (known == m_shownSizes.end()) {
            m_shownSizes.insert(url, shown);
            names << url;
        } else {
            *known = known->isEmpty() || shown.isEmpty() ? QSizeF() : known->expandedTo(shown);
        }
    }
    for (const QUrl &url : std::as_const(names))
        resource(ImageResource, url);
    if (!m_pictureFailure.isEmpty())
        throw Error(m_pictureFailure);
}

QString missingPlaceholdersWarning(const QStringList &missing)
{
    return QStringLiteral("Предупреждение: в шаблоне сметы нет меток %1 — их значения в смету не "
                          "попали")
        .arg(missing.join(QStringLiteral(", ")));
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
    // Laying out text costs far more than reading it: a paragraph of megabytes would take
    // seconds and hundreds of megabytes before the page limit could tell.
    if (const int characters = document->characterCount(); characters > MaxCharacters)
        throw Error(QStringLiteral("В шаблоне сметы \"%1\" слишком много текста (%2 знаков, "
                                   "допустимо не больше %3): упростите шаблон")
                        .arg(shownPath(templatePath))
                        .arg(characters)
                        .arg(MaxCharacters));
    document->loadPictures();
    m_document = std::move(document);
    m_templatePath = templatePath;
}

void DocumentFiller::replaceAll(const QString &placeholder, const QString &value)
{
    if (placeholder.isEmpty())
        return;
    replaceInDocument(*m_document, [&](const QString &text) {
        QList<Occurrence> found;
        for (qsizetype at = text.indexOf(placeholder); at >= 0;
             at = text.indexOf(placeholder, at + placeholder.size()))
            found << Occurrence{at, placeholder.size(), &value};
        return found;
    });
}

QStringList DocumentFiller::fill(const QList<Replacement> &replacements)
{
    QHash<QString, const QString *> values;
    qsizetype longest = 0;
    for (const Replacement &replacement : replacements) {
        // The first replacement of a placeholder leaves nothing for a later one to find.
        if (!values.contains(replacement.placeholder))
            values.insert(replacement.placeholder, &replacement.value);
        longest = std::max(longest, replacement.placeholder.size());
    }
    QSet<QString> present;
    replaceInDocument(*m_document, [&](const QString &text) {
        QList<Occurrence> found;
        // Each "#" is tried against the nearest "&" after it, found once for all the "#"
        // before it, so a text full of "#" is read once.
        qsizetype close = -1;
        for (qsizetype at = text.indexOf(u'#'); at >= 0; at = text.indexOf(u'#', at + 1)) {
            if (close < at && (close = text.indexOf(u'&', at)) < 0)
                break;
            const qsizetype length = close - at + 1;
            if (length > longest)
                continue;
            const QString placeholder = text.sliced(at, length);
            if (const auto value = values.constFind(placeholder); value != values.cend()) {
                found << Occurrence{at, length, *value};
                present.insert(placeholder);
                at = close;
            }
        }
        return found;
    });
    QStringList missing;
    for (const Replacement &replacement : replacements)
        if (!present.contains(replacement.placeholder))
            missing << replacement.placeholder;
    if (!replacements.isEmpty() && missing.size() == replacements.size())
        throw Error(QStringLiteral("В шаблоне сметы \"%1\" нет ни одной метки этой сметы "
                                   "(%2 и других): смета вышла бы пустой. Проверьте, тот ли это "
                                   "шаблон")
                        .arg(shownPath(m_templatePath), replacements.front().placeholder));
    return missing;
}

int DocumentFiller::layOut(QPagedPaintDevice &device)
{
    device.setPageMargins(PageMargins, QPageLayout::Millimeter);
    // Without the device's own page size the document would add margins of its own.
    m_document->documentLayout()->setPaintDevice(&device);
    const QPageLayout layout = device.pageLayout();
    const QSizeF page = layout.paintRectPixels(device.logicalDpiX()).size();
    m_document->setPageSize(page);
    // Qt lays a document out only as far as it is asked to: paragraph by paragraph, the
    // layout stops at the first one that passes the last page.
    QAbstractTextDocumentLayout &documentLayout = *m_document->documentLayout();
    bool fits = page.height() > 0;
    for (QTextBlock block = m_document->begin(); fits && block.isValid(); block = block.next())
        fits = documentLayout.blockBoundingRect(block).bottom() <= MaxPages * page.height();
    const int pages = fits ? m_document->pageCount() : 0;
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

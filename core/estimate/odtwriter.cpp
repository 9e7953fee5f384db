#include "odtwriter.h"

#include "numbers.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QXmlStreamWriter>
#include <private/qtextdocumentlayout_p.h>
#include <private/qzipwriter_p.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>

namespace dalko::estimate {

namespace {

const QString OdtMimeType = QStringLiteral("application/vnd.oasis.opendocument.text");
constexpr qreal CssDpi = 96; // the unit of lengths in text formats
constexpr qreal MmPerInch = 25.4;

const QList<std::pair<QString, QString>> Namespaces{
    {QStringLiteral("office"), QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0")},
    {QStringLiteral("style"), QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0")},
    {QStringLiteral("text"), QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0")},
    {QStringLiteral("table"), QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0")},
    {QStringLiteral("draw"), QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0")},
    {QStringLiteral("fo"),
     QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")},
    {QStringLiteral("svg"),
     QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0")},
    {QStringLiteral("xlink"), QStringLiteral("http://www.w3.org/1999/xlink")},
};

QString mm(qreal millimetres)
{
    return QString::number(millimetres, 'f', 3) + QStringLiteral("mm");
}
QString cssMm(qreal pixels) { return mm(pixels * MmPerInch / CssDpi); }
QString points(qreal size) { return QString::number(size, 'f', 2) + QStringLiteral("pt"); }

// One element of a style's properties, as (attribute, value) pairs.
using Attributes = QList<std::pair<QString, QString>>;
struct Properties {
    QString element;
    Attributes attributes;
};
struct Style {
    QString name;
    QString family;
    QList<Properties> properties;
};

void writeAttributes(QXmlStreamWriter &xml, const Attributes &attributes)
{
    for (const auto &[name, value] : attributes)
        xml.writeAttribute(name, value);
}

void startDocument(QXmlStreamWriter &xml, const QString &root)
{
    xml.writeStartDocument();
    xml.writeStartElement(root);
    for (const auto &[prefix, uri] : Namespaces)
        xml.writeAttribute(QStringLiteral("xmlns:") + prefix, uri);
    xml.writeAttribute(QStringLiteral("office:version"), QStringLiteral("1.3"));
}

QString colour(const QBrush &brush) { return brush.color().name(); }

// The generic family of a CSS font list ("'Times New Roman', serif"), as ODF names it.
QString genericFamily(const QStringList &families)
{
    for (const QString &family : families) {
        if (family == u"serif")
            return QStringLiteral("roman");
        if (family == u"sans-serif")
            return QStringLiteral("swiss");
        if (family == u"monospace")
            return QStringLiteral("modern");
    }
    return {};
}

class OdtWriter {
  public:
    OdtWriter(const QTextDocument &document, qreal deviceDpi)
        : m_document(document), m_dpi(deviceDpi),
          m_layout(qobject_cast<QTextDocumentLayout *>(document.documentLayout()))
    {
        if (!m_layout)
            throw Error(QStringLiteral("Смета не размещена на страницах: файл OpenDocument не "
                                       "записан"));
    }

    QByteArray write(const QPageLayout &page);

  private:
    void writeFrame(QXmlStreamWriter &xml, QTextFrame::iterator it);
    void writeBlock(QXmlStreamWriter &xml, const QTextBlock &block);
    void writeText(QXmlStreamWriter &xml, const QString &text);
    void writeImage(QXmlStreamWriter &xml, const QTextImageFormat &format);
    void writeTable(QXmlStreamWriter &xml, QTextTable *table);
    QList<qreal> columnWidths(QTextTable *table);

    QString styleName(const QString &family, const QString &prefix,
                      const QList<Properties> &properties);
    Attributes textProperties(const QTextCharFormat &format);
    Attributes paragraphProperties(const QTextBlockFormat &format);
    Attributes cellProperties(const QTextTable *table, const QTextTableCell &cell);
    QString fontFace(const QStringList &families);

    QByteArray styles(const QPageLayout &page);
    QByteArray content(const QByteArray &body);
    void writeFontFaces(QXmlStreamWriter &xml) const;
    QByteArray manifest() const;

    const QTextDocument &m_document;
    const qreal m_dpi;
    QTextDocumentLayout *m_layout;
    QList<Style> m_styles;
    std::map<QString, QString> m_styleByKey;
    std::map<QString, QString> m_fontFaces; // name → generic family
    QList<std::pair<QString, QByteArray>> m_pictures;
    // The bottom margin of the paragraph just before in the same flow, if the item before
    // was a paragraph.
    std::optional<qreal> m_previousBottom;
};

QString OdtWriter::styleName(const QString &family, const QString &prefix,
                             const QList<Properties> &properties)
{
    QString key = family;
    for (const Properties &element : properties) {
        key += u'|' + element.element;
        for (const auto &[name, value] : element.attributes)
            key += u' ' + name + u'=' + value;
    }
    const auto found = m_styleByKey.find(key);
    if (found != m_styleByKey.end())
        return found->second;
    const QString name = prefix + QString::number(m_styles.size() + 1);
    m_styles.append({name, family, properties});
    m_styleByKey.emplace(key, name);
    return name;
}

QString OdtWriter::fontFace(const QStringList &families)
{
    const QString name = families.front();
    m_fontFaces.emplace(name, genericFamily(families));
    return name;
}

Attributes OdtWriter::textProperties(const QTextCharFormat &format)
{
    Attributes attributes;
    if (const QStringList families = format.fontFamilies().toStringList(); !families.isEmpty())
        attributes.append({QStringLiteral("style:font-name"), fontFace(families)});
    if (format.hasProperty(QTextFormat::FontPointSize))
        attributes.append({QStringLiteral("fo:font-size"), points(format.fontPointSize())});
    else if (format.hasProperty(QTextFormat::FontPixelSize))
        attributes.append({QStringLiteral("fo:font-size"),
                           points(format.intProperty(QTextFormat::FontPixelSize) * 0.75)});
    if (format.hasProperty(QTextFormat::FontWeight))
        attributes.append({QStringLiteral("fo:font-weight"), format.fontWeight() >= QFont::DemiBold
                                                                 ? QStringLiteral("bold")
                                                                 : QStringLiteral("normal")});
    if (format.hasProperty(QTextFormat::FontItalic))
        attributes.append({QStringLiteral("fo:font-style"), format.fontItalic()
                                                                ? QStringLiteral("italic")
                                                                : QStringLiteral("normal")});
    if (format.fontUnderline())
        attributes.append({QStringLiteral("style:text-underline-style"), QStringLiteral("solid")});
    if (format.fontStrikeOut())
        attributes.append(
            {QStringLiteral("style:text-line-through-style"), QStringLiteral("solid")});
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        attributes.append({QStringLiteral("fo:color"), colour(format.foreground())});
    if (format.hasProperty(QTextFormat::BackgroundBrush) &&
        format.background().style() != Qt::NoBrush)
        attributes.append({QStringLiteral("fo:background-color"), colour(format.background())});
    // Only raised and lowered text: table cells keep their vertical alignment in the same
    // property, which is no text position.
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        attributes.append({QStringLiteral("style:text-position"), QStringLiteral("super 58%")});
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        attributes.append({QStringLiteral("style:text-position"), QStringLiteral("sub 58%")});
    return attributes;
}

Attributes OdtWriter::paragraphProperties(const QTextBlockFormat &format)
{
    Attributes attributes;
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    QString align = QStringLiteral("start");
    if (alignment & Qt::AlignHCenter)
        align = QStringLiteral("center");
    else if (alignment & Qt::AlignRight)
        align = QStringLiteral("end");
    else if (alignment & Qt::AlignJustify)
        align = QStringLiteral("justify");
    attributes.append({QStringLiteral("fo:text-align"), align});
    // The print's layout puts the larger of the two margins between two paragraphs, and none
    // at the start of a page's, a cell's or a frame's text or after a table.
    const qreal spaceAbove = m_previousBottom ? std::max(format.topMargin(), *m_previousBottom) : 0;
    attributes.append({QStringLiteral("fo:margin-top"), cssMm(spaceAbove)});
    attributes.append({QStringLiteral("fo:margin-bottom"), cssMm(0)});
    attributes.append({QStringLiteral("fo:margin-left"),
                       cssMm(format.leftMargin() + format.indent() * m_document.indentWidth())});
    attributes.append({QStringLiteral("fo:margin-right"), cssMm(format.rightMargin())});
    attributes.append({QStringLiteral("fo:text-indent"), cssMm(format.textIndent())});
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        attributes.append({QStringLiteral("fo:line-height"),
                           QString::number(format.lineHeight(), 'f', 0) + u'%'});
        break;
    case QTextBlockFormat::FixedHeight:
        attributes.append({QStringLiteral("fo:line-height"), cssMm(format.lineHeight())});
        break;
    case QTextBlockFormat::MinimumHeight:
        attributes.append(
            {QStringLiteral("style:line-height-at-least"), cssMm(format.lineHeight())});
        break;
    case QTextBlockFormat::LineDistanceHeight:
        attributes.append({QStringLiteral("style:line-spacing"), cssMm(format.lineHeight())});
        break;
    default:
        break;
    }
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        attributes.append({QStringLiteral("fo:break-before"), QStringLiteral("page")});
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter)
        attributes.append({QStringLiteral("fo:break-after"), QStringLiteral("page")});
    if (format.hasProperty(QTextFormat::BackgroundBrush) &&
        format.background().style() != Qt::NoBrush)
        attributes.append({QStringLiteral("fo:background-color"), colour(format.background())});
    return attributes;
}

void OdtWriter::writeText(QXmlStreamWriter &xml, const QString &text)
{
    QString run;
    auto flush = [&] {
        if (!run.isEmpty())
            xml.writeCharacters(run);
        run.clear();
    };
    // A word processor collapses white space: runs of blanks, tabs and line breaks are
    // elements of their own.
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c == u' ') {
            qsizetype end = at;
            while (end < text.size() && text[end] == u' ')
                ++end;
            if (end - at == 1 && at > 0) {
                run += c;
                continue;
            }
            flush();
            xml.writeEmptyElement(QStringLiteral("text:s"));
            xml.writeAttribute(QStringLiteral("text:c"), QString::number(end - at));
            at = end - 1;
        } else if (c == u'\t') {
            flush();
            xml.writeEmptyElement(QStringLiteral("text:tab"));
        } else if (c == QChar::LineSeparator) {
            flush();
            xml.writeEmptyElement(QStringLiteral("text:line-break"));
        } else if (c.category() != QChar::Other_Control && c != QChar::ObjectReplacementCharacter) {
            run += c;
        }
    }
    flush();
}

void OdtWriter::writeImage(QXmlStreamWriter &xml, const QTextImageFormat &format)
{
    const QVariant resource =
        m_document.resource(QTextDocument::ImageResource, QUrl(format.name()));
    QImage image;
    if (resource.typeId() == QMetaType::QImage)
        image = resource.value<QImage>();
    else if (resource.typeId() == QMetaType::QPixmap)
        image = resource.value<QPixmap>().toImage();
    else if (resource.typeId() == QMetaType::QByteArray)
        image = QImage::fromData(resource.toByteArray());
    // A picture that could not be read prints as an empty box of its size; so it is written.
    if (image.isNull())
        return;
    // As the print sizes it: the given width and height, one of them scaled by the other, or
    // the picture's own size in CSS pixels.
    QSizeF size(format.width(), format.height());
    if (size.width() <= 0 && size.height() <= 0)
        size = image.size();
    else if (size.width() <= 0)
        size.setWidth(size.height() * image.width() / image.height());
    else if (size.height() <= 0)
        size.setHeight(size.width() * image.height() / image.width());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QString path = QStringLiteral("Pictures/%1.png").arg(m_pictures.size() + 1);
    m_pictures.append({path, png});
    xml.writeStartElement(QStringLiteral("draw:frame"));
    xml.writeAttribute(QStringLiteral("text:anchor-type"), QStringLiteral("as-char"));
    xml.writeAttribute(QStringLiteral("svg:width"), cssMm(size.width()));
    xml.writeAttribute(QStringLiteral("svg:height"), cssMm(size.height()));
    xml.writeEmptyElement(QStringLiteral("draw:image"));
    xml.writeAttribute(QStringLiteral("xlink:href"), path);
    xml.writeAttribute(QStringLiteral("xlink:type"), QStringLiteral("simple"));
    xml.writeAttribute(QStringLiteral("xlink:show"), QStringLiteral("embed"));
    xml.writeAttribute(QStringLiteral("xlink:actuate"), QStringLiteral("onLoad"));
    xml.writeEndElement();
}

void OdtWriter::writeBlock(QXmlStreamWriter &xml, const QTextBlock &block)
{
    const QTextBlockFormat format = block.blockFormat();
    xml.writeStartElement(QStringLiteral("text:p"));
    xml.writeAttribute(
        QStringLiteral("text:style-name"),
        styleName(QStringLiteral("paragraph"), QStringLiteral("P"),
                  {{QStringLiteral("style:paragraph-properties"), paragraphProperties(format)},
                   {QStringLiteral("style:text-properties"), textProperties(block.charFormat())}}));
    m_previousBottom = format.bottomMargin();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat charFormat = fragment.charFormat();
        if (charFormat.isImageFormat()) {
            for (qsizetype n = 0; n < fragment.length(); ++n)
                writeImage(xml, charFormat.toImageFormat());
            continue;
        }
        xml.writeStartElement(QStringLiteral("text:span"));
        xml.writeAttribute(
            QStringLiteral("text:style-name"),
            styleName(QStringLiteral("text"), QStringLiteral("T"),
                      {{QStringLiteral("style:text-properties"), textProperties(charFormat)}}));
        writeText(xml, fragment.text());
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

QList<qreal> OdtWriter::columnWidths(QTextTable *table)
{
    // Where each column starts and ends in the print's layout, from the cells that span one
    // column; the widths include the spacing and borders between the cells.
    const int columns = table->columns();
    QList<std::optional<qreal>> left(columns), right(columns);
    for (int row = 0; row < table->rows(); ++row)
        for (int column = 0; column < columns; ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (cell.row() != row || cell.column() != column)
                continue;
            const QRectF rect = m_layout->tableCellBoundingRect(table, cell);
            if (!left[column])
                left[column] = rect.left();
            const int last = column + cell.columnSpan() - 1;
            if (!right[last])
                right[last] = rect.right();
        }
    const QRectF whole = m_layout->tableBoundingRect(table);
    QList<qreal> widths(columns, 0);
    for (int column = 0; column < columns; ++column) {
        const qreal start = left[column].value_or(whole.left());
        const qreal end = column + 1 < columns && left[column + 1]
                              ? *left[column + 1]
                              : right[column].value_or(whole.right());
        widths[column] = std::max<qreal>(end - start, 1) * MmPerInch / m_dpi;
    }
    return widths;
}

Attributes OdtWriter::cellProperties(const QTextTable *table, const QTextTableCell &cell)
{
    const QTextTableFormat tableFormat = table->format();
    const QTextTableCellFormat format = cell.format().toTableCellFormat();
    Attributes attributes;
    auto padding = [&](QTextFormat::Property property) {
        return format.hasProperty(property) ? format.doubleProperty(property)
                                            : tableFormat.cellPadding();
    };
    attributes.append(
        {QStringLiteral("fo:padding-top"), cssMm(padding(QTextFormat::TableCellTopPadding))});
    attributes.append(
        {QStringLiteral("fo:padding-bottom"), cssMm(padding(QTextFormat::TableCellBottomPadding))});
    attributes.append(
        {QStringLiteral("fo:padding-left"), cssMm(padding(QTextFormat::TableCellLeftPadding))});
    attributes.append(
        {QStringLiteral("fo:padding-right"), cssMm(padding(QTextFormat::TableCellRightPadding))});
    // A cell's own border where it has one, else the table's.
    struct Side {
        const char16_t *attribute;
        QTextFormat::Property width, brush;
    };
    static const std::array<Side, 4> sides{{
        {u"fo:border-top", QTextFormat::TableCellTopBorder, QTextFormat::TableCellTopBorderBrush},
        {u"fo:border-bottom", QTextFormat::TableCellBottomBorder,
         QTextFormat::TableCellBottomBorderBrush},
        {u"fo:border-left", QTextFormat::TableCellLeftBorder,
         QTextFormat::TableCellLeftBorderBrush},
        {u"fo:border-right", QTextFormat::TableCellRightBorder,
         QTextFormat::TableCellRightBorderBrush},
    }};
    for (const Side &side : sides) {
        const qreal width = format.hasProperty(side.width) ? format.doubleProperty(side.width)
                                                           : tableFormat.border();
        const QBrush brush = format.hasProperty(side.brush) ? format.brushProperty(side.brush)
                                                            : tableFormat.borderBrush();
        const QString border =
            width > 0
                ? cssMm(width) + QStringLiteral(" solid ") +
                      (brush.style() == Qt::NoBrush ? QStringLiteral("#000000") : colour(brush))
                : QStringLiteral("none");
        attributes.append({QString::fromUtf16(side.attribute), border});
    }
    QString vertical = QStringLiteral("top");
    if (format.verticalAlignment() == QTextCharFormat::AlignMiddle)
        vertical = QStringLiteral("middle");
    else if (format.verticalAlignment() == QTextCharFormat::AlignBottom)
        vertical = QStringLiteral("bottom");
    attributes.append({QStringLiteral("style:vertical-align"), vertical});
    if (format.hasProperty(QTextFormat::BackgroundBrush) &&
        format.background().style() != Qt::NoBrush)
        attributes.append({QStringLiteral("fo:background-color"), colour(format.background())});
    return attributes;
}

void OdtWriter::writeTable(QXmlStreamWriter &xml, QTextTable *table)
{
    const QTextTableFormat format = table->format();
    const QList<qreal> widths = columnWidths(table);
    qreal total = 0;
    for (qreal width : widths)
        total += width;
    Attributes properties{
        {QStringLiteral("style:width"), mm(total)},
        {QStringLiteral("fo:margin-top"), cssMm(format.topMargin())},
        {QStringLiteral("fo:margin-bottom"), cssMm(format.bottomMargin())},
        {QStringLiteral("table:border-model"),
         format.borderCollapse() ? QStringLiteral("collapsing") : QStringLiteral("separating")}};
    if (format.alignment() & Qt::AlignHCenter) {
        properties.append({QStringLiteral("table:align"), QStringLiteral("center")});
    } else if (format.alignment() & Qt::AlignRight) {
        properties.append({QStringLiteral("table:align"), QStringLiteral("right")});
    } else {
        properties.append({QStringLiteral("table:align"), QStringLiteral("left")});
        properties.append({QStringLiteral("fo:margin-left"), cssMm(format.leftMargin())});
    }
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        properties.append({QStringLiteral("fo:break-before"), QStringLiteral("page")});
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter)
        properties.append({QStringLiteral("fo:break-after"), QStringLiteral("page")});
    xml.writeStartElement(QStringLiteral("table:table"));
    xml.writeAttribute(QStringLiteral("table:style-name"),
                       styleName(QStringLiteral("table"), QStringLiteral("Tb"),
                                 {{QStringLiteral("style:table-properties"), properties}}));
    for (qreal width : widths) {
        xml.writeEmptyElement(QStringLiteral("table:table-column"));
        xml.writeAttribute(QStringLiteral("table:style-name"),
                           styleName(QStringLiteral("table-column"), QStringLiteral("Col"),
                                     {{QStringLiteral("style:table-column-properties"),
                                       {{QStringLiteral("style:column-width"), mm(width)}}}}));
    }
    // Header rows repeat on every page, as in the print.
    const int headerRows = std::min(format.headerRowCount(), table->rows());
    for (int row = 0; row < table->rows(); ++row) {
        if (row == 0 && headerRows > 0)
            xml.writeStartElement(QStringLiteral("table:table-header-rows"));
        xml.writeStartElement(QStringLiteral("table:table-row"));
        for (int column = 0; column < table->columns(); ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (cell.row() != row || cell.column() != column) {
                xml.writeEmptyElement(QStringLiteral("table:covered-table-cell"));
                continue;
            }
            xml.writeStartElement(QStringLiteral("table:table-cell"));
            xml.writeAttribute(QStringLiteral("table:style-name"),
                               styleName(QStringLiteral("table-cell"), QStringLiteral("Cell"),
                                         {{QStringLiteral("style:table-cell-properties"),
                                           cellProperties(table, cell)}}));
            xml.writeAttribute(QStringLiteral("office:value-type"), QStringLiteral("string"));
            if (cell.columnSpan() > 1)
                xml.writeAttribute(QStringLiteral("table:number-columns-spanned"),
                                   QString::number(cell.columnSpan()));
            if (cell.rowSpan() > 1)
                xml.writeAttribute(QStringLiteral("table:number-rows-spanned"),
                                   QString::number(cell.rowSpan()));
            writeFrame(xml, cell.begin());
            xml.writeEndElement();
        }
        xml.writeEndElement();
        if (row + 1 == headerRows)
            xml.writeEndElement();
    }
    xml.writeEndElement();
}

// The document keeps an empty paragraph before and after each table; the print hides them in
// the table's border, where they take no room. One at the very end stays: a word processor
// would add it anyway.
bool hiddenBesideTable(const QTextBlock &block, QTextFrame::iterator at, bool afterTable)
{
    if (block.length() != 1 || block.blockFormat().hasProperty(QTextFormat::PageBreakPolicy))
        return false;
    ++at;
    if (at.atEnd())
        return false;
    return afterTable || qobject_cast<QTextTable *>(at.currentFrame());
}

void OdtWriter::writeFrame(QXmlStreamWriter &xml, QTextFrame::iterator it)
{
    m_previousBottom.reset();
    bool afterTable = false;
    for (; !it.atEnd(); ++it) {
        if (QTextFrame *child = it.currentFrame()) {
            if (auto *table = qobject_cast<QTextTable *>(child))
                writeTable(xml, table);
            else
                writeFrame(xml, child->begin());
            m_previousBottom.reset();
            afterTable = true;
            continue;
        }
        const QTextBlock block = it.currentBlock();
        if (hiddenBesideTable(block, it, afterTable))
            // Hidden, it still counts as the paragraph before the next one.
            m_previousBottom = block.blockFormat().bottomMargin();
        else
            writeBlock(xml, block);
        afterTable = false;
    }
}

void OdtWriter::writeFontFaces(QXmlStreamWriter &xml) const
{
    xml.writeStartElement(QStringLiteral("office:font-face-decls"));
    for (const auto &[name, generic] : m_fontFaces) {
        xml.writeEmptyElement(QStringLiteral("style:font-face"));
        xml.writeAttribute(QStringLiteral("style:name"), name);
        xml.writeAttribute(QStringLiteral("svg:font-family"), u'\'' + name + u'\'');
        if (!generic.isEmpty())
            xml.writeAttribute(QStringLiteral("style:font-family-generic"), generic);
    }
    xml.writeEndElement();
}

QByteArray OdtWriter::content(const QByteArray &body)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startDocument(xml, QStringLiteral("office:document-content"));
    writeFontFaces(xml);
    xml.writeStartElement(QStringLiteral("office:automatic-styles"));
    for (const Style &style : m_styles) {
        xml.writeStartElement(QStringLiteral("style:style"));
        xml.writeAttribute(QStringLiteral("style:name"), style.name);
        xml.writeAttribute(QStringLiteral("style:family"), style.family);
        for (const Properties &element : style.properties) {
            xml.writeEmptyElement(element.element);
            writeAttributes(xml, element.attributes);
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("office:body"));
    xml.writeStartElement(QStringLiteral("office:text"));
    xml.writeCharacters(QString()); // closes the start tag before the body is appended
    xml.device()->write(body);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QByteArray OdtWriter::styles(const QPageLayout &page)
{
    QTextCharFormat body;
    body.setFont(m_document.defaultFont(), QTextCharFormat::FontPropertiesAll);
    body.setFontFamilies(QStringList{m_document.defaultFont().family(), QStringLiteral("serif")});
    const Attributes defaultText = textProperties(body);

    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startDocument(xml, QStringLiteral("office:document-styles"));
    writeFontFaces(xml);
    xml.writeStartElement(QStringLiteral("office:styles"));
    xml.writeStartElement(QStringLiteral("style:default-style"));
    xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("paragraph"));
    xml.writeEmptyElement(QStringLiteral("style:text-properties"));
    writeAttributes(xml, defaultText);
    xml.writeAttribute(QStringLiteral("fo:language"), QStringLiteral("ru"));
    xml.writeAttribute(QStringLiteral("fo:country"), QStringLiteral("RU"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("style:style"));
    xml.writeAttribute(QStringLiteral("style:name"), QStringLiteral("Standard"));
    xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("paragraph"));
    xml.writeEndElement();
    xml.writeEndElement();

    // The print's margins and, inside them, the document's own margin.
    const QSizeF size = page.fullRect(QPageLayout::Millimeter).size();
    const QMarginsF margins = page.margins(QPageLayout::Millimeter);
    const qreal inner = m_document.documentMargin() * MmPerInch / CssDpi;
    xml.writeStartElement(QStringLiteral("office:automatic-styles"));
    xml.writeStartElement(QStringLiteral("style:page-layout"));
    xml.writeAttribute(QStringLiteral("style:name"), QStringLiteral("Page"));
    xml.writeEmptyElement(QStringLiteral("style:page-layout-properties"));
    writeAttributes(xml, {{QStringLiteral("fo:page-width"), mm(size.width())},
                          {QStringLiteral("fo:page-height"), mm(size.height())},
                          {QStringLiteral("style:print-orientation"),
                           size.width() > size.height() ? QStringLiteral("landscape")
                                                        : QStringLiteral("portrait")},
                          {QStringLiteral("fo:margin-top"), mm(margins.top() + inner)},
                          {QStringLiteral("fo:margin-bottom"), mm(margins.bottom() + inner)},
                          {QStringLiteral("fo:margin-left"), mm(margins.left() + inner)},
                          {QStringLiteral("fo:margin-right"), mm(margins.right() + inner)}});
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("office:master-styles"));
    xml.writeEmptyElement(QStringLiteral("style:master-page"));
    xml.writeAttribute(QStringLiteral("style:name"), QStringLiteral("Standard"));
    xml.writeAttribute(QStringLiteral("style:page-layout-name"), QStringLiteral("Page"));
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QByteArray OdtWriter::manifest() const
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("manifest:manifest"));
    xml.writeAttribute(QStringLiteral("xmlns:manifest"),
                       QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"));
    xml.writeAttribute(QStringLiteral("manifest:version"), QStringLiteral("1.3"));
    auto entry = [&xml](const QString &path, const QString &type) {
        xml.writeEmptyElement(QStringLiteral("manifest:file-entry"));
        xml.writeAttribute(QStringLiteral("manifest:full-path"), path);
        xml.writeAttribute(QStringLiteral("manifest:media-type"), type);
    };
    entry(QStringLiteral("/"), OdtMimeType);
    entry(QStringLiteral("content.xml"), QStringLiteral("text/xml"));
    entry(QStringLiteral("styles.xml"), QStringLiteral("text/xml"));
    for (const auto &picture : m_pictures)
        entry(picture.first, QStringLiteral("image/png"));
    xml.writeEndDocument();
    return bytes;
}

QByteArray OdtWriter::write(const QPageLayout &page)
{
    QByteArray body;
    {
        QXmlStreamWriter xml(&body);
        writeFrame(xml, m_document.rootFrame()->begin());
    }
    const QByteArray stylesXml = styles(page);
    const QByteArray contentXml = content(body);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QZipWriter zip(&buffer);
    // The type comes first and uncompressed, so that it can be read at a fixed place.
    zip.setCompressionPolicy(QZipWriter::NeverCompress);
    zip.addFile(QStringLiteral("mimetype"), OdtMimeType.toLatin1());
    zip.setCompressionPolicy(QZipWriter::AutoCompress);
    zip.addFile(QStringLiteral("content.xml"), contentXml);
    zip.addFile(QStringLiteral("styles.xml"), stylesXml);
    for (const auto &[path, png] : m_pictures)
        zip.addFile(path, png);
    zip.addFile(QStringLiteral("META-INF/manifest.xml"), manifest());
    zip.close();
    if (zip.status() != QZipWriter::NoError)
        throw Error(QStringLiteral("Не удалось записать смету в формате OpenDocument"));
    return buffer.data();
}

} // namespace

QByteArray writeOdt(const QTextDocument &document, const QPageLayout &page, qreal deviceDpi)
{
    return OdtWriter(document, deviceDpi).write(page);
}

} // namespace dalko::estimate

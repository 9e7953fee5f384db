#pragma once

// The program's own document filler: a new document from a template, every occurrence of a
// placeholder replaced by its value, then printed or written as PDF or OpenDocument. The
// template file is only read; nothing of one estimate is kept for the next.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTextDocument>
#include <QUrl>

#include <memory>

class QPagedPaintDevice;

namespace dalko::estimate {

struct Replacement {
    QString placeholder; // "#name&"
    QString value;
};

// The document of a template. Its default font is a fixed serif body size, not the window's,
// because word processors write font sizes relative to it (<font size=…>). Pictures and style
// sheets with relative names are looked for beside the template. A file the template names
// is read only when it is a regular file of sane size; for any other name the document gets
// an empty picture or text, so that Qt never falls back to reading the file itself (a FIFO
// or /dev/zero would never finish loading). Pictures are decoded here from the bytes read,
// never by a name: an SVG picture is refused (its renderer would open the files it names
// itself), and so is a picture over MaxPicturePixels or one that takes the pictures of the
// document past MaxPictureBytes, both judged from its header before it is decoded.
class TemplateDocument : public QTextDocument {
  public:
    TemplateDocument();

    // Decodes every picture the document shows, each once and scaled down to the largest
    // size it is shown at. Fails with the first picture refused.
    void loadPictures();

  protected:
    QVariant loadResource(int type, const QUrl &name) override;

  private:
    QVariant picture(const QUrl &url, const QByteArray &bytes);
    // Keeps the first refusal, for loadPictures: nothing may be thrown through Qt's import.
    void refusePicture(const QUrl &url, const QString &reason);

    QHash<QUrl, QSizeF> m_shownSizes;
    qint64 m_pictureBytes = 0;
    QString m_pictureFailure;
};

// The warning that the placeholders a template lacked (DocumentFiller::fill) printed nothing.
QString missingPlaceholdersWarning(const QStringList &missing);

class DocumentFiller {
  public:
    DocumentFiller();
    ~DocumentFiller();

    // Reads the template (HTML text) into a fresh document. Fails with a message naming the
    // template when it cannot be read or would not lay out (see readTemplateHtml; sizes of
    // margins, indents and fonts beyond any page).
    void open(const QString &templatePath);
    // Replaces every occurrence as plain, case-sensitive text, in paragraphs and table cells
    // alike, keeping the format of the placeholder's last character. Inserted values are not
    // searched again. Time grows linearly with the number of occurrences.
    void replaceAll(const QString &placeholder, const QString &value);
    // Replaces every placeholder ("#name&", no "#" or "&" in the name) by its value in one
    // pass over the text, so that no value is ever searched for a later placeholder. Returns
    // the placeholders the template lacks, in the list's order; fails when it lacks every
    // one of them, since the estimate would print blank.
    QStringList fill(const QList<Replacement> &replacements);

    QString plainText() const { return m_document->toPlainText(); }
    const QTextDocument &document() const { return *m_document; }
    // Lays the document out on the device's pages (A4 or the printer's, 15 mm margins) and
    // returns their number. Fails when the layout does not fit a sane number of pages.
    int layOut(QPagedPaintDevice &device);
    // Lays the document out and paints it on the device; fails as layOut does, painting
    // nothing.
    void paint(QPagedPaintDevice &device);
    // The same pages as a PDF file's bytes, the text selectable.
    QByteArray pdfBytes();
    // The document as an OpenDocument text (ODT) file's bytes, editable in a word processor.
    QByteArray odtBytes();

  private:
    std::unique_ptr<TemplateDocument> m_document;
    QString m_templatePath;
};

} // namespace dalko::estimate

#pragma once

// The program's own document filler: a new document from a template, every occurrence of a
// placeholder replaced by its value, then printed or written as PDF or OpenDocument. The
// template file is only read; nothing of one estimate is kept for the next.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTextDocument>

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
// or /dev/zero would never finish loading).
class TemplateDocument : public QTextDocument {
  public:
    TemplateDocument();

  protected:
    QVariant loadResource(int type, const QUrl &name) override;
};

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
    void fill(const QList<Replacement> &replacements);

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

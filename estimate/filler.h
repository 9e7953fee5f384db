#pragma once

// The program's own document filler: a new document from a template, every occurrence of a
// placeholder replaced by its value, then printed or written to PDF. The template file is
// only read; nothing of one estimate is kept for the next.

#include <QList>
#include <QString>
#include <QTextDocument>

class QPagedPaintDevice;

namespace dalko::estimate {

struct Replacement {
    QString placeholder; // "#name&"
    QString value;
};

// The document of a template. It reads a file the template names (a style sheet, a picture)
// only when that is a plain file: a template naming a device or a pipe, such as /dev/zero,
// would otherwise never finish loading.
class TemplateDocument : public QTextDocument {
  protected:
    QVariant loadResource(int type, const QUrl &name) override;
};

class DocumentFiller {
  public:
    // Reads the template (HTML) into a fresh document; fails with a message that names the
    // template's full path.
    void open(const QString &templatePath);
    // Replaces every occurrence as plain, case-sensitive text, in paragraphs and table cells
    // alike, keeping the placeholder's character format.
    void replaceAll(const QString &placeholder, const QString &value);
    void fill(const QList<Replacement> &replacements);

    QString plainText() const { return m_document.toPlainText(); }
    const QTextDocument &document() const { return m_document; }
    // Lays the document out on the device's pages and paints it there.
    void paint(QPagedPaintDevice &device);
    void writePdf(const QString &path);

  private:
    TemplateDocument m_document;
};

} // namespace dalko::estimate

#pragma once

// The filled estimate as an OpenDocument text that a word processor shows with the pages of
// the program's own print: the page size and margins, every paragraph's and character's own
// format written out (font family and size, bold, alignment, spacing), tables with the column
// widths of the print's layout, borders, header rows, pictures and page breaks. Qt's own ODF
// output writes column widths as percentages that word processors ignore, the vertical
// alignment of table cells as raised or lowered text, and neither page size nor margins.

#include <QByteArray>
#include <QPageLayout>

class QTextDocument;

namespace dalko::estimate {

// The document must be laid out on a device of `deviceDpi` with `page`'s paint rectangle
// as its page size: the table columns are written at the widths of that layout.
QByteArray writeOdt(const QTextDocument &document, const QPageLayout &page, qreal deviceDpi);

} // namespace dalko::estimate

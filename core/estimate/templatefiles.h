#pragma once

// Where the estimate templates are found and how a template file is read before it is
// filled: a hostile or mistaken file is refused with a message naming it, before any layout.

#include "savefile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace dalko::estimate {

// The shipped templates are 12 KB; a word processor's HTML with a picture inside stays far
// below this, and anything larger would only make the layout crawl.
inline constexpr qint64 MaxTemplateBytes = 4 * 1024 * 1024;
// Each level of nested tables doubles the time the HTML import takes (16 levels: seconds,
// 32: days); real templates nest two or three.
inline constexpr int MaxTableNesting = 10;
// Deeply nested elements of any kind make the import quadratic in the depth.
inline constexpr int MaxElementNesting = 100;

// What the HTML import builds, bounded before it starts. Qt's import of a list is
// quadratic in its items (25,000: 20 s); every cell of a table's grid costs time and memory
// (colspan 2000 on 2000 rows: half a minute, half a gigabyte). A two-page estimate needs a
// small part of each.
inline constexpr qint64 MaxListItems = 2'000;
inline constexpr qint64 MaxTableCells = 5'000;
inline constexpr qint64 MaxParagraphs = 20'000;
inline constexpr qint64 MaxPlaceholderTexts = 5'000;
// The text of fifty dense pages; checked on the imported document, before its layout.
inline constexpr int MaxCharacters = 300'000;

// A picture's decoded size is judged from its header before it is decoded: a small file can
// unpack into gigabytes. 16 million points take 64 MB; a logo needs a small part of it.
inline constexpr qint64 MaxPicturePixels = 16'000'000;
inline constexpr qint64 MaxPictureBytes = 64 * 1024 * 1024;

// The firm's templates for every user of the machine, installed by the package as
// configuration files in /etc/dalko, on Windows by the installer in %ProgramData%\dalko.
QString systemTemplateFolder();

// The folders a template is looked for in, first match wins: the user's own copy, the
// system-wide configuration, then the program's own folder.
QStringList templateFolders(const QString &programFolder);
// The full path of the template in the first of the folders that holds it; fails with a
// message listing every path looked at, or naming the first that cannot be looked at.
QString findTemplate(const QString &templateName, const QStringList &folders);

// A template, or a file it names, read as readRegularFile reads: only a regular file of at most
// MaxTemplateBytes.
FileBytes readTemplateFile(const QString &path);

// The template's HTML as text. Fails, naming the template, when it cannot be read, is larger
// than MaxTemplateBytes, is not HTML text (an ODT or DOCX, a legacy Word document, a PDF, any
// file with NUL bytes), nests tables or elements too deeply, or passes one of the limits on
// what its import builds.
QString readTemplateHtml(const QString &path);

} // namespace dalko::estimate

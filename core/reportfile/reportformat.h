#pragma once

// Report files: the inputs of one calculation, one value per line, in Windows-1251 with CR LF
// after every line. There is no header; the layout tables below are the whole format, walked
// by both the writer and the reader.

#include "numbers.h"

#include <QByteArray>
#include <QStringList>

#include <span>

namespace dalko::report {

enum class LineKind {
    Text,        // exactly as the edit box holds it
    NumericText, // the same, of a box whose text a page reads as a number
    ListIndex,   // the selected item, -1 for none
    Flag,        // "true" or "false"
    Number,      // by the number-to-text rule
};

enum class Calculator { General, Boiler };

std::span<const LineKind> layout(Calculator calculator);

// The number of lines the longer layout reads; a file's further lines are never decoded.
constexpr int MaxLines = 22;
// A line keeps at most its first 32767 characters, as many as an edit box holds.
constexpr qsizetype MaxLineLength = 32767;

// Whether a text holds a letter Windows-1251 lacks (a Tatar "Җ", a "€" is there).
bool needsUtf8(const QStringList &lines);
// Windows-1251 without a mark, so that older programs keep reading the file, unless a letter
// would be lost (needsUtf8) or the file would then begin with the bytes of a byte-order mark
// ("п»ї", "яю" or "юя" at the start of the first line): such a file is written in UTF-8 with
// its mark, so that it reads back as written.
QByteArray encode(const QStringList &lines);
// UTF-8 and UTF-16 byte-order marks are honoured, Windows-1251 otherwise; CR LF, CR and LF
// each end a line. Only what is kept is converted: the first MaxLines lines, each up to
// MaxLineLength characters.
QStringList decode(const QByteArray &bytes);

// The line with a 1-based number, empty beyond the last one.
QString line(const QStringList &lines, int number);

// A boiler-house file has "true" or "false" in line 8.
bool isBoilerFile(const QStringList &lines);
// The calculator of a file, told by its line 8.
Calculator calculatorOf(const QStringList &lines);

// The text a line of this kind is loaded with: a number, or the text of a box read as one,
// that converts only with the other decimal separator is loaded with the current one
// (withDecimalSeparator); every other line as it stands.
QString loadedText(LineKind kind, const QString &text, QChar decimal);

// Checks a whole file before anything is assigned: the kind of file, every list index and
// every number (as loadedText gives it). Fails with the message the error box shows.
void validate(Calculator calculator, const QStringList &lines, QChar decimal);

// The name a chosen path is saved under: ".rvj" appended unless it already ends in it.
QString reportFileName(const QString &chosenPath);

// Saved as saveFile does (app/savefile.h): a failed save leaves an existing file intact, and
// only a regular file is replaced. Fails with "Cannot create file ...".
void writeFile(const QString &path, const QStringList &lines);
// Opens only a regular file of at most 3 MB, without ever blocking (a pipe or a device is
// refused before it is opened). Fails with "Cannot open file ...", the reason in Russian.
QStringList readFile(const QString &path);

} // namespace dalko::report

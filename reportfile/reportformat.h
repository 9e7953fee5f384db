#pragma once

// Report files: the inputs of one calculation, one value per line, in Windows-1251 with CR LF
// after every line. There is no header; the layout tables below are the whole format, walked
// by both the writer and the reader.

#include "app/numbers.h"

#include <QByteArray>
#include <QStringList>

#include <span>

namespace dalko::report {

enum class LineKind {
    Text,      // exactly as the edit box holds it
    ListIndex, // the selected item, -1 for none
    Flag,      // "true" or "false"
    Number,    // by the number-to-text rule
};

enum class Calculator { General, Boiler };

std::span<const LineKind> layout(Calculator calculator);

QByteArray encode(const QStringList &lines);
// UTF-8 and UTF-16 byte-order marks are honoured, Windows-1251 otherwise; CR LF, CR and LF
// each end a line; a line keeps at most its first 4096 characters.
QStringList decode(const QByteArray &bytes);

// The line with a 1-based number, empty beyond the last one.
QString line(const QStringList &lines, int number);

// A boiler-house file has "true" or "false" in line 8.
bool isBoilerFile(const QStringList &lines);

// Checks a whole file before anything is assigned: the kind of file, every list index and
// every number. Fails with the message the error box shows.
void validate(Calculator calculator, const QStringList &lines, QChar decimal);

// The name a chosen path is saved under: ".rvj" appended unless it already ends in it.
QString reportFileName(const QString &chosenPath);

// Writes through a temporary file in the same folder, so that a failed save leaves an
// existing file intact. Fails with "Cannot create file ...".
void writeFile(const QString &path, const QStringList &lines);
// Fails with "Cannot open file ...".
QStringList readFile(const QString &path);

} // namespace dalko::report

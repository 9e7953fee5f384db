#pragma once

// The register as a spreadsheet opens it.

#include "journal.h"

#include "numbers.h"

namespace dalko::journal {

// The name of a calculator as the register shows it.
QString calculatorTitle(report::Calculator calculator);

// UTF-8 with a byte-order mark (without it spreadsheets take the file for the local code
// page), ";" between fields, a field quoted where it holds ";", a quote or a line break; dates
// and numbers as the regional settings write them.
QByteArray toCsv(const QList<Record> &records, const NumberFormat &format);

} // namespace dalko::journal

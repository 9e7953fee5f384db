#pragma once

// Report files and the pages: which control or quantity each line belongs to, the dialogs,
// and assigning a loaded file so that the change handlers run as the user's edits would.

#include "reportformat.h"

class QFileDialog;
class QWidget;

namespace dalko {
struct Program;
}

namespace dalko::report {

QFileDialog *makeSaveDialog(QWidget *page);

QStringList collect(const Program &program, Calculator calculator);
// Validates the lines, then assigns them in order.
void assign(Program &program, Calculator calculator, const QStringList &lines);

// The actions of the buttons: ask for a name, then write or read.
void save(Program &program, QFileDialog *dialog, Calculator calculator);
void load(Program &program, const QString &path, Calculator calculator);

} // namespace dalko::report

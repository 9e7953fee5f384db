#pragma once

// Report files and the windows: each page hands over the controls and quantities its lines
// belong to, and the writer and the loader walk that table. Loading sets each control as the
// user's edit would, so that the change handlers run.

#include "reportfile/reportformat.h"

#include <QList>

#include <functional>

#include <variant>

class QCheckBox;
class QFileDialog;
class QLineEdit;
class QWidget;

namespace dalko {
class EditableList;
class ErrorReporter;
} // namespace dalko

namespace dalko::report {

// Where the value of one line lives: an edit box (Text, NumericText), a list (ListIndex), a
// check box (Flag) or a quantity (Number).
using LineTarget = std::variant<QLineEdit *, EditableList *, QCheckBox *, double *>;

struct BoundLine {
    LineKind kind;
    LineTarget target;
};
using BoundLines = QList<BoundLine>;

QStringList collect(const BoundLines &bindings, QChar decimal);
// Validates the lines, then assigns them in order; an error of a change handler run by an
// assignment ends the loading there. Returns a note for each line loaded as written but not
// taken as its text says: a number text that does not convert or that the page counts as 0,
// a list index outside its list. An empty line, as older programs wrote, is no note.
QStringList assign(const BoundLines &bindings, Calculator calculator, const QStringList &lines,
                   QChar decimal, ErrorReporter &errors);
// The notes of a load in one message box.
void showLoadNotes(QWidget *parent, const QStringList &notes);

QFileDialog *makeSaveDialog(QWidget *page);
// Asks for a name, then writes the lines; the boiler-house page confirms the save.
void save(QFileDialog *dialog, const QStringList &lines, Calculator calculator);

} // namespace dalko::report

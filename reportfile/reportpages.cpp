#include "reportpages.h"

#include "app/editablelist.h"
#include "app/program.h"
#include "boiler/T_U1.h"
#include "boiler/T_U2.h"
#include "general/Prog_U.h"
#include "general/Prog_U2.h"
#include "general/Prog_U3.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

namespace dalko::report {

namespace {

// One line of a report file: where its value lives. Exactly one member is set, matching the
// line's kind in the layout table.
struct Binding {
    QLineEdit *edit = nullptr;
    EditableList *list = nullptr;
    QCheckBox *flag = nullptr;
    double *number = nullptr;
};

QList<Binding> bindings(const Program &p, Calculator calculator)
{
    if (calculator == Calculator::General) {
        const TProg_F &f1 = *p.TProg_F;
        const TProg_F3 &f3 = *p.TProg_F3;
        QList<Binding> lines{{f1.Edit1}, {f1.Edit5}, {f1.Edit6}, {f1.Edit2},
                             {f1.Edit3}, {f1.Edit4}, {f1.Edit7}};
        for (QLineEdit *consumption : p.TProg_F2->Edits)
            lines.append({consumption});
        for (EditableList *list :
             {f3.ComboBox1, f3.ComboBox2, f3.ComboBox3, f3.ComboBox4, f3.ComboBox5})
            lines.append({nullptr, list});
        lines.append({f3.Edit1});
        return lines;
    }
    const TT_F1 &t1 = *p.TT_F1;
    TT_F2 &t2 = *p.TT_F2;
    boiler::Quantities &q = t2.quantities;
    QList<Binding> lines{{t1.Edit1}, {t1.Edit5}, {t1.Edit6}, {t1.Edit2},
                         {t1.Edit3}, {t1.Edit4}, {t1.Edit7}, {nullptr, nullptr, t1.CheckBox1}};
    for (EditableList *list :
         {t2.ComboBox1, t2.ComboBox2, t2.ComboBox3, t2.ComboBox4, t2.ComboBox5})
        lines.append({nullptr, list});
    for (double *number : {&q.BoilerNorm, &q.CapacityCoef, &q.BoilerKindCoef, &q.FuelCoef,
                           &q.DiagNorm, &q.DiagBoilersCoef, &q.HourlyWage})
        lines.append({nullptr, nullptr, nullptr, number});
    return lines;
}

void assignLine(Program &program, const Binding &binding, const QString &text)
{
    const QChar decimal = program.regional.decimal;
    if (binding.edit)
        binding.edit->setText(text); // runs the box's change handler where the text differs
    else if (binding.list)
        binding.list->setCurrentIndex(textToInteger(text)); // runs nothing; outside: no item
    else if (binding.flag)
        binding.flag->setChecked(text != u"false"); // runs CheckBox1Click where it changes
    else
        *binding.number = textToNumber(text, decimal).store();
}

// Asks for the name to write: ".rvj" appended where missing, and the question about
// replacing asked for the name that will actually be written.
QString chooseSaveName(QFileDialog *dialog)
{
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    const QString path = reportFileName(dialog->selectedFiles().front());
    if (QFileInfo::exists(path)) {
        const auto answer =
            QMessageBox::question(dialog->parentWidget(), ApplicationTitle,
                                  QStringLiteral("Файл \"%1\" уже существует.\nЗаменить его?")
                                      .arg(QDir::toNativeSeparators(path)),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return QString();
    }
    return path;
}

} // namespace

QFileDialog *makeSaveDialog(QWidget *page)
{
    auto *dialog = new QFileDialog(page);
    dialog->setObjectName(QStringLiteral("SaveDialog1"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    return dialog;
}

QStringList collect(const Program &program, Calculator calculator)
{
    const QChar decimal = program.regional.decimal;
    QStringList lines;
    for (const Binding &binding : bindings(program, calculator)) {
        if (binding.edit)
            lines << binding.edit->text();
        else if (binding.list)
            lines << integerToText(binding.list->currentIndex());
        else if (binding.flag)
            lines << QString::fromLatin1(binding.flag->isChecked() ? "true" : "false");
        else
            lines << numberToText(*binding.number, decimal);
    }
    return lines;
}

void assign(Program &program, Calculator calculator, const QStringList &lines)
{
    validate(calculator, lines, program.regional.decimal);
    const QList<Binding> table = bindings(program, calculator);
    for (int number = 1; number <= table.size(); ++number) {
        assignLine(program, table[number - 1], line(lines, number));
        program.errors.rethrowPending();
    }
}

void save(Program &program, QFileDialog *dialog, Calculator calculator)
{
    const QStringList lines = collect(program, calculator);
    const QString path = chooseSaveName(dialog);
    if (path.isEmpty())
        return;
    writeFile(path, lines);
    if (calculator == Calculator::Boiler)
        QMessageBox::information(dialog->parentWidget(), QStringLiteral("Information"),
                                 QStringLiteral("Файл отчета сохранен"));
}

void load(Program &program, const QString &path, Calculator calculator)
{
    assign(program, calculator, readFile(path));
}

} // namespace dalko::report

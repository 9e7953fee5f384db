#include "reportbinding.h"

#include "reportfile/calculation.h"

#include "dialogfolder.h"
#include "editablelist.h"
#include "errorbox.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

namespace dalko::report {

namespace {

template <class... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};

void assignLine(const LineTarget &target, const QString &text, QChar decimal)
{
    std::visit(Overloaded{
                   // Runs the box's change handler where the text differs.
                   [&](QLineEdit *edit) { edit->setText(text); },
                   // Runs nothing; an index outside the list leaves no item.
                   [&](EditableList *list) { list->setCurrentIndex(textToInteger(text)); },
                   // Runs CheckBox1Click where the state changes.
                   [&](QCheckBox *flag) { flag->setChecked(text != u"false"); },
                   [&](double *number) { *number = textToNumber(text, decimal).store(); },
               },
               target);
}

QString lineText(const LineTarget &target, QChar decimal)
{
    return std::visit(Overloaded{
                          [](QLineEdit *edit) { return edit->text(); },
                          [](EditableList *list) { return integerToText(list->currentIndex()); },
                          [](QCheckBox *flag) {
                              return QString::fromLatin1(flag->isChecked() ? "true" : "false");
                          },
                          [&](double *number) { return numberToText(*number, decimal); },
                      },
                      target);
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

QStringList collect(const BoundLines &bindings, QChar decimal)
{
    QStringList lines;
    for (const BoundLine &binding : bindings)
        lines << lineText(binding.target, decimal);
    return lines;
}

QStringList assign(const BoundLines &bindings, Calculator calculator, const QStringList &lines,
                   QChar decimal, ErrorReporter &errors)
{
    validate(calculator, lines, decimal);
    for (int number = 1; number <= bindings.size(); ++number) {
        const BoundLine &binding = bindings[number - 1];
        // A number written under the other decimal separator loads with the current one.
        assignLine(binding.target, loadedText(binding.kind, line(lines, number), decimal), decimal);
        errors.rethrowPending();
    }
    return loadNotes(calculator, lines, decimal);
}

void showLoadNotes(QWidget *parent, const QStringList &notes)
{
    if (!notes.isEmpty())
        QMessageBox::warning(parent, ApplicationTitle,
                             QStringLiteral("Файл отчета загружен, но не всё в нем понятно:\n") +
                                 notes.join(u'\n'));
}

QFileDialog *makeSaveDialog(QWidget *page)
{
    auto *dialog = new QFileDialog(page);
    dialog->setObjectName(QStringLiteral("SaveDialog1"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    setUpFileDialog(dialog);
    return dialog;
}

void save(QFileDialog *dialog, const QStringList &lines, Calculator calculator)
{
    const QString path = chooseSaveName(dialog);
    if (path.isEmpty())
        return;
    writeFile(path, lines);
    if (needsUtf8(lines))
        QMessageBox::information(dialog->parentWidget(), QStringLiteral("Information"),
                                 QStringLiteral("Файл сохранен в кодировке UTF-8: в названиях есть "
                                                "буквы, которых нет в Windows-1251"));
    if (calculator == Calculator::Boiler)
        QMessageBox::information(dialog->parentWidget(), QStringLiteral("Information"),
                                 QStringLiteral("Файл отчета сохранен"));
}

} // namespace dalko::report

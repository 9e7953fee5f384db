#pragma once

// "Журнал смет": the estimates issued, newest first, found by a part of the customer, the
// objects or the number and by a range of dates; each opened again in its calculator, its
// inputs saved as a report file, the list exported for spreadsheets; a number whose issue was
// never confirmed marked void or issued.

#include "journal/journal.h"
#include "journal/journalmodel.h"

#include <QDialog>

#include <memory>
#include <optional>

class QDateEdit;
class QFileDialog;
class QLineEdit;
class QPushButton;
class QTableView;

namespace dalko {

struct Program;

class JournalWindow : public QDialog {
    Q_OBJECT
  public:
    // Opens the user's journal; fails with the reason when it cannot be opened.
    JournalWindow(Program &program, QWidget *parent);
    ~JournalWindow() override;

    // The calculator into which a record was opened.
    std::optional<report::Calculator> opened() const { return m_opened; }
    journal::Filter filter() const;

    QLineEdit *Search;
    QDateEdit *FromDate; // its earliest date stands for no bound
    QDateEdit *ToDate;
    QTableView *Table;
    QPushButton *OpenButton;   // "Открыть расчет"
    QPushButton *SaveButton;   // "Сохранить файл отчета"
    QPushButton *ExportButton; // "Экспорт…"
    // An unconfirmed number settled by the estimator who knows what became of its estimate.
    QPushButton *VoidButton;    // "Аннулировать номер"
    QPushButton *ConfirmButton; // "Подтвердить выдачу"
    QFileDialog *SaveDialog;

  private:
    void refresh();
    int currentRow() const;
    void openRecord();
    void saveRecord();
    void exportList();
    void settleRecord(journal::State state);

    Program &m_program;
    std::unique_ptr<journal::Journal> m_journal;
    // Holds a query of the journal's connection, so it goes first.
    std::unique_ptr<journal::JournalModel> m_model;
    std::optional<report::Calculator> m_opened;
};

// Shows the register over a window of the program; a record opened there is loaded into its
// calculator as "Загрузить данные" loads a file, and the calculator's first page follows.
void openJournal(Program &program, QWidget *from);

} // namespace dalko

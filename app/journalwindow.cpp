#include "journalwindow.h"

#include "Prog_U.h"
#include "T_U1.h"
#include "journal/journalcsv.h"
#include "program.h"
#include "savefile.h"

#include "errorbox.h"
#include "reportbinding.h"

#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>
#include <QVBoxLayout>

namespace dalko {

namespace {

const QDate NoBound(2000, 1, 1);

QDateEdit *addDateEdit(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *edit = new QDateEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(accessibleName);
    edit->setCalendarPopup(true);
    edit->setMinimumDate(NoBound);
    edit->setSpecialValueText(QStringLiteral("—"));
    edit->setDate(NoBound);
    return edit;
}

} // namespace

JournalWindow::JournalWindow(Program &program, QWidget *parent)
    : QDialog(parent), m_program(program),
      m_journal(std::make_unique<journal::Journal>(journal::defaultLocation(),
                                                   journal::Journal::Use::Browse)),
      m_model(std::make_unique<journal::JournalModel>(program.regional))
{
    setObjectName(QStringLiteral("JournalWindow"));
    setWindowTitle(QStringLiteral("Журнал смет"));
    setModal(true);

    Search = new QLineEdit(this);
    Search->setObjectName(QStringLiteral("Search"));
    Search->setPlaceholderText(QStringLiteral("Заказчик, объекты или номер"));
    Search->setClearButtonEnabled(true);
    auto *searchLabel = new QLabel(QStringLiteral("Найти:"), this);
    searchLabel->setBuddy(Search);
    FromDate = addDateEdit(this, "FromDate", QStringLiteral("Дата сметы с"));
    ToDate = addDateEdit(this, "ToDate", QStringLiteral("Дата сметы по"));

    Table = new QTableView(this);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setModel(m_model.get());
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->hide();
    // One line a record, so that a screen shows many.
    Table->setWordWrap(false);
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 6);
    Table->setColumnHidden(journal::Id, true);
    Table->horizontalHeader()->setStretchLastSection(true);
    for (auto [column, width] : {std::pair{journal::Number, 90},
                                 {journal::Date, 90},
                                 {journal::Calculator, 90},
                                 {journal::Customer, 200},
                                 {journal::Objects, 160},
                                 {journal::Total, 100},
                                 {journal::Status, 110}})
        Table->setColumnWidth(column, width);

    OpenButton = new QPushButton(QStringLiteral("Открыть расчет"), this);
    SaveButton = new QPushButton(QStringLiteral("Сохранить файл отчета"), this);
    ExportButton = new QPushButton(QStringLiteral("Экспорт…"), this);
    VoidButton = new QPushButton(QStringLiteral("Аннулировать номер"), this);
    ConfirmButton = new QPushButton(QStringLiteral("Подтвердить выдачу"), this);
    auto *closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    SaveDialog = report::makeSaveDialog(this);

    auto *filters = new QHBoxLayout;
    filters->addWidget(searchLabel);
    filters->addWidget(Search, 1);
    filters->addWidget(new QLabel(QStringLiteral("Дата с"), this));
    filters->addWidget(FromDate);
    filters->addWidget(new QLabel(QStringLiteral("по"), this));
    filters->addWidget(ToDate);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {OpenButton, SaveButton, ExportButton, VoidButton, ConfirmButton})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(Table, 1);
    layout->addLayout(buttons);
    resize(1000, 560);

    auto guarded = [this](void (JournalWindow::*handler)()) {
        return [this, handler] { m_program.errors.run([this, handler] { (this->*handler)(); }); };
    };
    connect(Search, &QLineEdit::textChanged, this, guarded(&JournalWindow::refresh));
    connect(FromDate, &QDateEdit::dateChanged, this, guarded(&JournalWindow::refresh));
    connect(ToDate, &QDateEdit::dateChanged, this, guarded(&JournalWindow::refresh));
    connect(OpenButton, &QPushButton::clicked, this, guarded(&JournalWindow::openRecord));
    connect(Table, &QTableView::doubleClicked, this, guarded(&JournalWindow::openRecord));
    connect(SaveButton, &QPushButton::clicked, this, guarded(&JournalWindow::saveRecord));
    connect(ExportButton, &QPushButton::clicked, this, guarded(&JournalWindow::exportList));
    connect(VoidButton, &QPushButton::clicked, this,
            [this] { m_program.errors.run([this] { settleRecord(journal::State::Void); }); });
    connect(ConfirmButton, &QPushButton::clicked, this,
            [this] { m_program.errors.run([this] { settleRecord(journal::State::Issued); }); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    refresh();
}

JournalWindow::~JournalWindow() = default;

journal::Filter JournalWindow::filter() const
{
    auto bound = [](const QDateEdit *edit) {
        return edit->date() == NoBound ? QDate() : edit->date();
    };
    return {Search->text().trimmed(), bound(FromDate), bound(ToDate)};
}

void JournalWindow::refresh()
{
    m_model->show(*m_journal, filter());
    if (m_model->rowCount() > 0)
        Table->selectRow(0);
}

int JournalWindow::currentRow() const
{
    const QModelIndex index = Table->currentIndex();
    if (!index.isValid())
        throw Error(QStringLiteral("Выберите смету в журнале"));
    return index.row();
}

// The calculation comes back with the date and rate its estimate was issued on, so that issuing
// it again gives the same total; "Параметры сметы…" takes it to today.
void JournalWindow::openRecord()
{
    const int row = currentRow();
    const report::Calculator calculator = m_model->calculator(row);
    m_program.loadReport(calculator, report::decode(m_journal->inputs(m_model->id(row))));
    const QSqlRecord record = m_model->record(row);
    m_program.estimateTerms = termsOfIssue(
        QDate::fromString(record.value(QStringLiteral("estimate_date")).toString(), Qt::ISODate),
        record.value(QStringLiteral("vat_rate")).toDouble());
    QMessageBox::information(
        this, ApplicationTitle,
        QStringLiteral("Расчет сметы № %1 открыт с ее датой и ставкой: %2. Чтобы сформировать "
                       "смету на сегодня, выберите сегодняшнюю дату в «Параметры сметы…».")
            .arg(record.value(QStringLiteral("number")).toString(),
                 vatCaption(m_program.estimateTerms, m_program.regional)));
    m_opened = calculator;
    accept();
}

void JournalWindow::saveRecord()
{
    const int row = currentRow();
    report::save(SaveDialog, report::decode(m_journal->inputs(m_model->id(row))),
                 m_model->calculator(row));
}

void JournalWindow::settleRecord(journal::State state)
{
    const int row = currentRow();
    if (m_model->state(row) != journal::State::Reserved)
        throw Error(QStringLiteral("Отметить можно только смету, выдача которой не подтверждена"));
    const QString number = m_model->index(row, journal::Number).data().toString();
    const QString question =
        state == journal::State::Void
            ? QStringLiteral("Смета № %1 не выдана? Ее номер будет аннулирован и не будет выдан "
                             "снова.")
            : QStringLiteral("Смета № %1 выдана? Ее выдача будет подтверждена.");
    if (QMessageBox::question(this, ApplicationTitle, question.arg(number)) != QMessageBox::Yes)
        return;
    m_journal->settle(m_model->id(row), state,
                      state == journal::State::Issued
                          ? QStringLiteral("Выдача подтверждена в журнале смет")
                          : QString());
    refresh();
}

void JournalWindow::exportList()
{
    QFileDialog dialog(this, QStringLiteral("Экспорт журнала смет"));
    dialog.setObjectName(QStringLiteral("ExportDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("CSV (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QStringLiteral("Журнал смет.csv"));
    if (m_program.errors.execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveFile(dialog.selectedFiles().front(),
             journal::toCsv(m_journal->list(filter()), m_program.regional));
}

void openJournal(Program &program, QWidget *from)
{
    JournalWindow window(program, from);
    // Its handlers report their errors while it is open.
    if (program.errors.execModal(window) != QDialog::Accepted || !window.opened())
        return;
    QWidget *firstPage = *window.opened() == report::Calculator::General
                             ? static_cast<QWidget *>(&program.TProg_F())
                             : &program.TT_F1();
    switchWindow(from, firstPage);
}

} // namespace dalko

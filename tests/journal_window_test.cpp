// "Журнал смет" on the real windows: an estimate issued from the preview is found by a part of
// its customer and opened again with its inputs; the list goes to a spreadsheet file; and
// whatever is wrong with the journal, the estimate is still issued and a message says why it
// was not recorded.

#include "guifixture.h"
#include "worked_examples.h"

#include "Prog_U.h"
#include "Prog_U2.h"
#include "Prog_U3.h"
#include "estimatepreview.h"
#include "journalwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

namespace dalko::test {
namespace {

QString pdfText(const QString &path)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    text.waitForFinished();
    return QString::fromUtf8(text.readAllStandardOutput());
}

class JournalWindowTest : public GuiTest {
  protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        useJournal(dir.filePath(QStringLiteral("журнал/journal.sqlite")));
    }
    void TearDown() override
    {
        settings().remove(QStringLiteral("journal"));
        GuiTest::TearDown();
    }
    static QSettings settings()
    {
        return QSettings(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                             QStringLiteral("/dalko.conf"),
                         QSettings::IniFormat);
    }
    // The journal the settings file names, as a firm sets it.
    void useJournal(const QString &location)
    {
        journal = location;
        settings().setValue(QStringLiteral("journal"), location);
    }

    void enterGeneral(const QString &customer, const QString &fuel = ExampleGas)
    {
        program->TProg_F().Edit1->setText(customer);
        program->TProg_F().Edit6->setText(QStringLiteral("Школа № 5"));
        program->TProg_F2().Edits[0]->setText(fuel);
        activate(&program->TProg_F3());
        // Once the page is active already, as showing the pages again would.
        program->TProg_F2().FormActivate();
        program->TProg_F3().FormActivate();
    }
    // Saves the estimate as PDF from "Просмотр сметы…".
    void issuePdf(const QString &pdf)
    {
        ASSERT_TRUE(withPreview(&program->TProg_F3(), [&](estimate::EstimatePreview &preview) {
            program->errors.run([&] { preview.saveAs(pdf); });
        }));
    }
    // Opens "Журнал смет" from the last page and runs `use` on it while it is open.
    void withJournal(const std::function<void(JournalWindow &)> &use)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto *window = qobject_cast<JournalWindow *>(QApplication::activeModalWidget());
            if (!window)
                return;
            opened = true;
            use(*window);
            if (window->isVisible())
                window->reject();
        });
        click(program->TProg_F3().Button7);
        ASSERT_TRUE(opened);
    }
    QString cell(const JournalWindow &window, int row, journal::Column column)
    {
        return window.Table->model()->index(row, column).data().toString();
    }

    QString journal;
    QTemporaryDir dir;
};

TEST_F(JournalWindowTest, AnIssuedEstimateIsFoundByItsCustomerAndOpenedAgain)
{
    // Issued on a date of the 18 % years: opened again, it gives the same total.
    program->estimateTerms = termsOfIssue(QDate(2018, 12, 31), 0.18);
    enterGeneral(QStringLiteral("ООО «Теплосеть Заречья»"));
    const QString total = program->TProg_F3().Label11->text();
    const QByteArray inputs = report::encode(program->reportLines(report::Calculator::General));
    issuePdf(dir.filePath("смета.pdf"));
    EXPECT_EQ(takeMessages(), QStringList());
    const QString number = QStringLiteral("%1-0001").arg(program->estimateTerms.date.year());
    EXPECT_TRUE(pdfText(dir.filePath("смета.pdf")).contains("СМЕТА № " + number));

    // Another calculation on the pages, and a second estimate of another customer, of today.
    program->estimateTerms = EstimateTerms();
    enterGeneral(QStringLiteral("ИП Сидоров"), QStringLiteral("2902,76"));
    issuePdf(dir.filePath("другая.pdf"));
    ASSERT_NE(program->TProg_F3().Label11->text(), total);

    withJournal([&](JournalWindow &window) {
        ASSERT_EQ(window.Table->model()->rowCount(), 2);
        EXPECT_EQ(cell(window, 0, journal::Customer), "ИП Сидоров") << "newest first";
        type(window.Search, QStringLiteral("заречь"));
        ASSERT_EQ(window.Table->model()->rowCount(), 1);
        EXPECT_EQ(cell(window, 0, journal::Number), number);
        EXPECT_EQ(cell(window, 0, journal::Objects), "Школа № 5");
        EXPECT_EQ(cell(window, 0, journal::Date), "31.12.2018") << "the estimate's own date";
        EXPECT_EQ(cell(window, 0, journal::Calculator), "Общий");
        EXPECT_EQ(cell(window, 0, journal::Total).remove(u' ') + " руб", total);
        EXPECT_EQ(cell(window, 0, journal::Status), "выдана");
        EXPECT_EQ(cell(window, 0, journal::Action),
                  QStringLiteral("Сохранена в файл \"%1\"").arg(dir.filePath("смета.pdf")));
        watcher->fileToChoose = dir.filePath("из журнала.rvj");
        click(window.SaveButton);
        click(window.OpenButton);
    });
    const QStringList said = takeMessages();
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said.front().contains("открыт с ее датой и ставкой: НДС 18 % на 31.12.2018"))
        << said.front().toStdString();
    EXPECT_EQ(program->estimateTerms.date, QDate(2018, 12, 31));
    QFile saved(dir.filePath("из журнала.rvj"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), inputs) << "the inputs as \"Сохранить файл отчета\" wrote them";
    EXPECT_TRUE(program->TProg_F().isVisible()) << "the calculator's first page follows";
    EXPECT_EQ(program->TProg_F().Edit1->text(), "ООО «Теплосеть Заречья»");
    EXPECT_EQ(program->TProg_F2().Edits[0]->text(), ExampleGas);
    activate(&program->TProg_F3());
    EXPECT_EQ(program->TProg_F3().Label11->text(), total);
}

// The user sees the error while the window is open, not once it has closed.
TEST_F(JournalWindowTest, AnErrorInsideTheWindowIsShownWhileItIsOpen)
{
    enterGeneral(QStringLiteral("ООО Ромашка"));
    issuePdf(dir.filePath("смета.pdf"));
    withJournal([&](JournalWindow &window) {
        type(window.Search, QStringLiteral("нет такого заказчика"));
        click(window.OpenButton);
        const QStringList said = takeMessages();
        ASSERT_EQ(said.size(), 1);
        EXPECT_TRUE(window.isVisible());
    });
    EXPECT_EQ(takeMessages(), QStringList());
}

// A number whose estimate was never confirmed (the program was killed) is settled in the window;
// an issued one cannot be.
TEST_F(JournalWindowTest, AnUnconfirmedNumberIsMarkedVoidOrIssued)
{
    enterGeneral(QStringLiteral("ООО Ромашка"));
    journal::Record record;
    record.date = QDate(2026, 3, 2);
    {
        journal::Journal open(journal);
        record.customer = QStringLiteral("ООО Оборванная");
        open.reserve(record);
        record.customer = QStringLiteral("ООО Выданная");
        open.reserve(record);
    }
    watcher->answer = QMessageBox::Yes;
    withJournal([&](JournalWindow &window) {
        ASSERT_EQ(window.Table->model()->rowCount(), 2);
        EXPECT_EQ(cell(window, 0, journal::Status), "не подтверждена");
        click(window.ConfirmButton);
        EXPECT_EQ(cell(window, 0, journal::Status), "выдана");
        window.Table->selectRow(1);
        click(window.VoidButton);
        EXPECT_EQ(cell(window, 1, journal::Status), "аннулирована");
        EXPECT_EQ(takeMessages().size(), 2) << "each asked first";
        click(window.VoidButton);
        EXPECT_EQ(cell(window, 1, journal::Status), "аннулирована");
        const QStringList said = takeMessages();
        ASSERT_EQ(said.size(), 1);
        EXPECT_TRUE(said.front().contains("только смету, выдача которой не подтверждена"))
            << said.front().toStdString();
    });
    EXPECT_EQ(journal::Journal(journal).record(record, [](const QString &) { return QString(); }),
              "2026-0003")
        << "neither number given again";
}

TEST_F(JournalWindowTest, TheFilteredListIsExportedForSpreadsheets)
{
    for (const char *customer : {"АО «Свет; тепло»", "ООО Вода"}) {
        enterGeneral(QString::fromUtf8(customer));
        issuePdf(dir.filePath("смета.pdf"));
    }
    const QString csv = dir.filePath("журнал.csv");
    withJournal([&](JournalWindow &window) {
        type(window.Search, QStringLiteral("свет"));
        watcher->fileToChoose = csv;
        click(window.ExportButton);
    });
    EXPECT_EQ(takeMessages(), QStringList());
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines =
        QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << "the header and the one estimate found";
    EXPECT_TRUE(lines[0].startsWith("Номер;Состояние;Дата;"));
    const QStringList fields = lines[1].split(u';');
    EXPECT_EQ(fields.value(0), QStringLiteral("%1-0001").arg(program->estimateTerms.date.year()));
    EXPECT_EQ(fields.value(5), "\"АО «Свет") << "a field holding \";\" is quoted";
    EXPECT_TRUE(lines[1].contains(";114 469,79;")) << lines[1].toStdString();
}

// Each fault of the journal: the estimate is saved all the same, and the message says why it
// was not recorded.
TEST_F(JournalWindowTest, FaultsOfTheJournalNeverCostTheEstimate)
{
    const QString file = dir.filePath("журнал/journal.sqlite");
    auto prepare = [&](const QByteArray &contents) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile::remove(file);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(contents);
    };
    auto newerSchema = [&] {
        QFile::remove(file);
        journal::Journal(file).list();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "newer");
        db.setDatabaseName(file);
        EXPECT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 3"));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("newer");
    };
    const struct {
        const char *name;
        QString location;
        std::function<void()> prepare;
        QString said;
    } faults[] = {
        {"not a database", file, [&] { prepare(QByteArray("заметки сметчика\n").repeated(300)); },
         QStringLiteral("Смета выдана без номера и не записана в журнал смет. Журнал смет \"%1\" "
                        "поврежден")
             .arg(file)},
        {"schema from the future", file, newerSchema,
         QStringLiteral("Смета выдана без номера и не записана в журнал смет. Журнал смет \"%1\" "
                        "создан более новой версией программы")
             .arg(file)},
        {"folder that cannot be written", QStringLiteral("/proc/dalko/journal.sqlite"), [] {},
         QStringLiteral("Смета выдана без номера и не записана в журнал смет. Журнал смет "
                        "\"/proc/dalko/journal.sqlite\" не открыт: папку \"/proc/dalko\" нельзя "
                        "создать")},
        {"server that is down", QStringLiteral("postgresql://dalko@127.0.0.1:1/journal"), [] {},
         QStringLiteral("Смета выдана без номера и не записана в журнал смет. Журнал смет "
                        "\"postgresql://dalko@127.0.0.1:1/journal\" не открыт: сервер журнала "
                        "недоступен")},
    };
    enterGeneral(QStringLiteral("ООО Ромашка"));
    for (const auto &fault : faults) {
        SCOPED_TRACE(fault.name);
        fault.prepare();
        useJournal(fault.location);
        const QString pdf = dir.filePath(QString::fromUtf8(fault.name) + ".pdf");
        issuePdf(pdf);
        EXPECT_TRUE(pdfText(pdf).contains(GeneralTotal)) << "the estimate is saved";
        const QStringList said = takeMessages();
        ASSERT_EQ(said.size(), 1);
        EXPECT_TRUE(said.front().startsWith("НП ДАЛКО - Vivazuzudud|" + fault.said))
            << said.front().toStdString();
    }
}

TEST_F(JournalWindowTest, AJournalLockedByAnotherEstimatorCostsOnlyTheNumber)
{
    enterGeneral(QStringLiteral("ООО Ромашка"));
    journal::Journal(journal).list();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
    db.setDatabaseName(journal);
    ASSERT_TRUE(db.open());
    QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
    issuePdf(dir.filePath("смета.pdf"));
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("holder");
    EXPECT_TRUE(pdfText(dir.filePath("смета.pdf")).contains("СМЕТА №"));
    const QStringList said = takeMessages();
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said.front().contains("журнал занят записью другой сметы дольше 5 с"))
        << said.front().toStdString();
}

} // namespace
} // namespace dalko::test

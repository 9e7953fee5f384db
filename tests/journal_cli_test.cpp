// dalko-calc recording estimates as processes do in a firm: many after another, two at the same
// moment, one killed in the middle. On a SQLite file, and on a PostgreSQL server when the test
// run names one (DALKO_TEST_POSTGRESQL, set by postgresql_test.sh).

#include "journal/journal.h"
#include "reportfile/reportformat.h"

#include "qstring_print.h"
#include "report_samples.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using namespace dalko;

QProcessEnvironment environment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "ru_RU.UTF-8");
    env.insert("XDG_DATA_HOME", "/nonexistent/dalko-tests/data");
    env.insert("XDG_CONFIG_HOME", "/nonexistent/dalko-tests/config");
    env.remove("QT_QPA_PLATFORM");
    return env;
}

struct Outcome {
    int status = -1;
    QStringList out;
    QString err;
};

Outcome calc(const QStringList &args, const QProcessEnvironment &env = environment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(DALKO_CALC, args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
            QString::fromUtf8(process.readAllStandardError())};
}

QString valueOf(const QStringList &out, const QString &name)
{
    for (const QString &line : out)
        if (line.startsWith(name + u'\t'))
            return line.mid(name.size() + 1);
    return QStringLiteral("<none>");
}

// "2026-0001" … for the year of today's estimates.
QStringList consecutive(int count)
{
    QStringList numbers;
    for (int n = 1; n <= count; ++n)
        numbers
            << QStringLiteral("%1-%2").arg(QDate::currentDate().year()).arg(n, 4, 10, QChar(u'0'));
    return numbers;
}

class Recording : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override
    {
        if (GetParam()) {
            journal = qEnvironmentVariable("DALKO_TEST_POSTGRESQL");
            if (journal.isEmpty())
                GTEST_SKIP() << "no server: run through postgresql_test.sh";
            // Each test starts from an empty journal.
            dropServerTables();
        } else {
            journal = dir.filePath("journal.sqlite");
        }
        QStringList general = test::GeneralDefaults;
        general[0] = "ООО «Заказчик»";
        general[2] = "Школа № 5";
        report::writeFile(dir.filePath("g.rvj"), general);
        report::writeFile(dir.filePath("b.rvj"), test::BoilerDefaults);
    }

    void dropServerTables()
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "cleanup");
        const QUrl url(journal);
        db.setHostName(url.host());
        db.setPort(url.port());
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec("DROP TABLE IF EXISTS estimates, journal_schema, numbering");
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("cleanup");
    }

    QStringList record(const QString &report)
    {
        return {"--journal", journal, "--record", "--odt", dir.filePath("смета.odt"), report};
    }
    // The journal's lines after the header.
    QStringList listed()
    {
        const Outcome list = calc({"--journal", journal, "--journal-list"});
        EXPECT_EQ(list.status, 0) << list.err.toStdString();
        EXPECT_EQ(list.out.value(0),
                  "number\tdate\tcalculator\tcustomer\tobjects\ttotal\tstate\taction");
        return list.out.mid(1);
    }
    QStringList numbers()
    {
        QStringList all;
        for (const QString &line : listed())
            all << line.section(u'\t', 0, 0);
        return all;
    }

    QString journal;
    QTemporaryDir dir;
};

TEST_P(Recording, ThirtyEstimatesAreListedWithTheirTotalsAndNumbers)
{
    EXPECT_EQ(listed(), QStringList()) << "an empty journal lists its header only";
    QString generalTotal, boilerTotal;
    for (int n = 1; n <= 30; ++n) {
        const Outcome r = calc(record(dir.filePath(n % 3 == 0 ? "b.rvj" : "g.rvj")));
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(valueOf(r.out, "JournalNumber"), consecutive(n).last());
        (n % 3 == 0 ? boilerTotal : generalTotal) =
            journal::moneyText(QLocale(QLocale::Russian).toDouble(valueOf(r.out, "#сумм10&")), u',')
                .remove(u' ');
    }
    const QStringList lines = listed();
    ASSERT_EQ(lines.size(), 30);
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const QString odt = dir.filePath("смета.odt");
    // Totals as money: "118 350,13".
    EXPECT_EQ(
        QString(lines[0]).remove(u' '),
        QStringList({consecutive(1)[0], today, "general", "ООО«Заказчик»", "Школа№5", generalTotal,
                     "выдана", QStringLiteral("Сохраненавфайл\"%1\"").arg(odt).remove(u' ')})
            .join(u'\t'));
    EXPECT_EQ(QString(lines[2]).remove(u' '),
              QStringList({consecutive(3)[2], today, "boiler", "незадано", "незадано", boilerTotal,
                           "выдана", QStringLiteral("Сохраненавфайл\"%1\"").arg(odt).remove(u' ')})
                  .join(u'\t'));
    EXPECT_EQ(numbers(), consecutive(30));

    // The same journal for a spreadsheet, newest first, as the window's "Экспорт…" writes it.
    const QString csv = dir.filePath("журнал.csv");
    const Outcome exported = calc({"--journal", journal, "--journal-export", csv});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList rows = QString::fromUtf8(bytes.mid(3)).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 31);
    EXPECT_TRUE(rows[1].startsWith(consecutive(30).last() + ";выдана;")) << rows[1].toStdString();
}

TEST_P(Recording, TwoProcessesAtOnceGetDistinctConsecutiveNumbers)
{
    // Two estimators, fifty estimates each, at the same moment.
    QProcess estimators[2];
    for (QProcess &estimator : estimators) {
        estimator.setProcessEnvironment(environment());
        estimator.start("bash",
                        {"-c", "for n in $(seq 50); do \"$0\" \"$@\" >/dev/null || exit 1; done",
                         DALKO_CALC, "--journal", journal, "--record", "--odt",
                         dir.filePath(QStringLiteral("%1.odt").arg(&estimator - estimators)),
                         dir.filePath("g.rvj")});
    }
    for (QProcess &estimator : estimators) {
        ASSERT_TRUE(estimator.waitForFinished(300000));
        EXPECT_EQ(estimator.exitCode(), 0) << estimator.readAllStandardError().toStdString();
    }
    EXPECT_EQ(numbers(), consecutive(100));
}

TEST_P(Recording, AProcessKilledWhileRecordingLeavesNoHalfRecord)
{
    // A run takes a few tenths of a second, the record at its end: some runs die before it,
    // some in it, some after. The seed is printed so that a failure can be replayed.
    const quint32 seed = qEnvironmentVariableIsSet("DALKO_TEST_SEED")
                             ? qEnvironmentVariableIntValue("DALKO_TEST_SEED")
                             : QRandomGenerator::system()->generate();
    SCOPED_TRACE("DALKO_TEST_SEED=" + std::to_string(seed));
    QRandomGenerator random(seed);
    for (int n = 0; n < 20; ++n) {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(DALKO_CALC, record(dir.filePath("g.rvj")));
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(random.bounded(100, 500));
        ::kill(process.processId(), SIGKILL);
        process.waitForFinished();
    }
    // A run killed after its reservation leaves its number unconfirmed, never free.
    const QStringList numbered = numbers();
    EXPECT_EQ(numbered, consecutive(numbered.size())) << "no gap, no number twice";
    for (const QString &line : listed())
        EXPECT_EQ(line.split(u'\t').size(), 8) << line.toStdString();
    if (!GetParam()) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName(journal);
        ASSERT_TRUE(db.open());
        {
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec("PRAGMA integrity_check"));
            ASSERT_TRUE(query.next());
            EXPECT_EQ(query.value(0).toString(), "ok");
            ASSERT_TRUE(query.exec("SELECT COUNT(*) FROM estimates WHERE length(inputs) = 0 OR "
                                   "(action = '' AND state = 'issued') OR customer = ''"));
            ASSERT_TRUE(query.next());
            EXPECT_EQ(query.value(0).toInt(), 0);
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("check");
    }
    // The journal goes on where it stopped.
    ASSERT_EQ(calc(record(dir.filePath("g.rvj"))).status, 0);
    EXPECT_EQ(numbers(), consecutive(numbered.size() + 1));
}

TEST_P(Recording, AJournalThatCannotBeReachedCostsTheNumberNotTheEstimate)
{
    const QString unreachable = GetParam() ? QStringLiteral("postgresql://nobody@127.0.0.1:1/dalko")
                                           : QStringLiteral("/proc/dalko-journal/journal.sqlite");
    const QString odt = dir.filePath("без номера.odt");
    const Outcome r =
        calc({"--journal", unreachable, "--record", "--odt", odt, dir.filePath("g.rvj")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Смета выдана без номера и не записана в журнал "
                                                "смет. Журнал смет \"%1\" не открыт")
                                     .arg(unreachable)))
        << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(odt).size() > 0) << "the estimate is written all the same";
    EXPECT_EQ(valueOf(r.out, "JournalNumber"), "<none>");
}

TEST_P(Recording, AWrongPasswordCostsTheNumberNotTheEstimate)
{
    if (!GetParam())
        GTEST_SKIP() << "a file has no password";
    QProcessEnvironment env = environment();
    env.insert("PGPASSWORD", "wrong");
    const QString odt = dir.filePath("смета.odt");
    const Outcome r = calc(record(dir.filePath("g.rvj")), env);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("не открыт: сервер журнала недоступен или не принял вход"))
        << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(odt).size() > 0) << "the estimate is written all the same";
    EXPECT_EQ(numbers(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Journal, Recording, ::testing::Values(false, true),
                         [](const auto &test) { return test.param ? "Server" : "File"; });

TEST(JournalOptions, WrongUsesAreRefused)
{
    for (const QStringList &args :
         {QStringList{"--record", "g.rvj"}, QStringList{"--journal-list", "g.rvj"},
          QStringList{"--journal", "", "--journal-list"},
          QStringList{"--check-template", "general", "--record"}}) {
        const Outcome r = calc(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
}

// A journal's name never costs another file: each is refused before anything is written.
TEST(JournalOptions, ANameThatIsNoJournalIsRefusedAndLeftAlone)
{
    QTemporaryDir dir;
    const QString notes = dir.filePath("заметки.txt");
    const QString report = dir.filePath("g.rvj");
    const QString pdf = dir.filePath("смета.pdf");
    report::writeFile(report, test::GeneralDefaults);
    QFile text(notes);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Позвонить заказчику во вторник.\n");
    text.close();
    auto bytes = [&] {
        QStringList all;
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            file.open(QIODevice::ReadOnly);
            all << name + ':' + QString::fromLatin1(file.readAll().toHex());
        }
        return all;
    };
    const QStringList before = bytes();
    for (const QStringList &args :
         {QStringList{"--journal", notes, "--journal-list"},
          QStringList{"--journal", notes, "--record", "--pdf", pdf, report},
          QStringList{"--journal", report, "--record", "--pdf", pdf, report},
          QStringList{"--journal", pdf, "--record", "--pdf", pdf, report}}) {
        const Outcome r = calc(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_EQ(bytes(), before) << args.join(' ').toStdString();
    }
}

} // namespace

// dalko_bench: the timings of what a user waits for, measured on the real windows and the
// real files, headless. Every benchmark checks that the work it timed was actually done
// (the change handler ran, the estimate was filled, the file was written) and reports an
// error otherwise, so that a fast figure never comes from a path that did nothing.

#include "Logo_U.h"
#include "Prog_U2.h"
#include "Prog_U3.h"
#include "T_U2.h"
#include "application.h"
#include "estimate/filler.h"
#include "estimate/generalestimate.h"
#include "estimatepreview.h"
#include "estimateprint.h"
#include "journal/journal.h"
#include "journalwindow.h"
#include "numbers.h"
#include "program.h"
#include "reportfile/reportformat.h"
#include "savefile.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <memory>

namespace {

using namespace dalko;

// One program for all page benchmarks, as the running program has one.
Program *program = nullptr;
QStringList errorTexts;
QTemporaryDir *workDir = nullptr;
// A benchmark whose work was not done ends the run with a failure: its figure means nothing.
bool anyFailed = false;

// Two general report files that differ in every edit box, so that loading one after the
// other runs every change handler each time.
const QStringList GeneralFileA{
    QStringLiteral("не задано"), QStringLiteral("не задано"), QStringLiteral("не задано"),
    QStringLiteral("30000"),     QStringLiteral("35"),        QStringLiteral("35"),
    QStringLiteral("15"),        QStringLiteral("1000"),      QStringLiteral("100"),
    QStringLiteral("0"),         QStringLiteral("0"),         QStringLiteral("0"),
    QStringLiteral("0"),         QStringLiteral("0"),         QStringLiteral("0"),
    QStringLiteral("0"),         QStringLiteral("0"),         QStringLiteral("0"),
    QStringLiteral("0"),         QStringLiteral("0"),         QStringLiteral("0"),
    QStringLiteral("1000")};
const QStringList GeneralFileB{QStringLiteral("ООО «Заказчик»"),
                               QStringLiteral("г. Тверь"),
                               QStringLiteral("2 здания"),
                               QStringLiteral("32000"),
                               QStringLiteral("30"),
                               QStringLiteral("30"),
                               QStringLiteral("20"),
                               QStringLiteral("1200,5"),
                               QStringLiteral("150"),
                               QStringLiteral("10"),
                               QStringLiteral("5"),
                               QStringLiteral("1"),
                               QStringLiteral("2"),
                               QStringLiteral("3"),
                               QStringLiteral("4"),
                               QStringLiteral("6"),
                               QStringLiteral("1"),
                               QStringLiteral("1"),
                               QStringLiteral("1"),
                               QStringLiteral("1"),
                               QStringLiteral("1"),
                               QStringLiteral("1500")};

QString workPath(const QString &name) { return workDir->filePath(name); }

// Fails the benchmark when an error box would have been shown or a check does not hold.
bool passes(benchmark::State &state, bool check, const char *what)
{
    if (!errorTexts.isEmpty()) {
        state.SkipWithError(errorTexts.join(u"; ").toStdString().c_str());
        errorTexts.clear();
        anyFailed = true;
        return false;
    }
    if (!check) {
        state.SkipWithError(what);
        anyFailed = true;
        return false;
    }
    return true;
}

void loadGeneral(const QStringList &lines)
{
    program->errors.run([&] { program->loadReport(report::Calculator::General, lines); });
}

// The general calculation as dalko-calc leaves it: file A loaded, both pages activated.
void prepareGeneral()
{
    loadGeneral(GeneralFileB); // so that every handler runs while A is assigned
    loadGeneral(GeneralFileA);
    program->errors.run([] {
        program->TProg_F2().FormActivate();
        program->TProg_F3().FormActivate();
    });
}

// --- The number rules -------------------------------------------------------------------

const std::array<QString, 6> NumberTexts{QStringLiteral("0"),
                                         QStringLiteral("35"),
                                         QStringLiteral("30000"),
                                         QStringLiteral("1200,5"),
                                         QStringLiteral("0,000123456789012345"),
                                         QStringLiteral("1,5E+12")};

void BM_ParseNumber(benchmark::State &state)
{
    long double sum = 0;
    for (auto _ : state)
        for (const QString &text : NumberTexts) {
            const std::optional<long double> value = parseNumber(text, u',');
            benchmark::DoNotOptimize(value);
            sum += value.value_or(-1e30L);
        }
    state.SetItemsProcessed(state.iterations() * NumberTexts.size());
    passes(state, sum > 0, "a number text did not convert");
}
BENCHMARK(BM_ParseNumber);

void BM_TextToNumber(benchmark::State &state)
{
    bool failed = false;
    for (auto _ : state)
        for (const QString &text : NumberTexts) {
            try {
                benchmark::DoNotOptimize(textToNumber(text, u',').value());
            } catch (const Error &) {
                failed = true;
            }
        }
    state.SetItemsProcessed(state.iterations() * NumberTexts.size());
    passes(state, !failed, "a number text did not convert");
}
BENCHMARK(BM_TextToNumber);

void BM_NumberToText(benchmark::State &state)
{
    const std::array<long double, 6> values{0, 35, 30000, 1200.5L, 1.0L / 3, 123456789.125L};
    qsizetype length = 0;
    for (auto _ : state)
        for (long double value : values) {
            const QString text = numberToText(value, u',');
            length += text.size();
            benchmark::DoNotOptimize(text.constData());
        }
    state.SetItemsProcessed(state.iterations() * values.size());
    passes(state, length > 0 && numberToText(1200.5L, u',') == u"1200,5", "wrong number text");
}
BENCHMARK(BM_NumberToText);

// --- The pages --------------------------------------------------------------------------

// A keystroke in the first consumption box: its change handler recomputes the row, the
// total, both labels and the base norm. The text goes between two values so that every
// setText changes it (and so runs the handler).
void BM_Keystroke_TProg_F2(benchmark::State &state)
{
    prepareGeneral();
    TProg_F2 &page = program->TProg_F2();
    QLineEdit *edit = page.Edits[0];
    const std::array<QString, 2> texts{QStringLiteral("1000"), QStringLiteral("10000")};
    std::array<QString, 2> totals;
    std::array<double, 2> norms{};
    int i = 0;
    for (auto _ : state) {
        edit->setText(texts[i & 1]);
        ++i;
    }
    for (int k = 0; k < 2; ++k) {
        edit->setText(texts[k]);
        totals[k] = page.Label40->text();
        norms[k] = page.fuel.BaseNorm;
    }
    passes(state, totals[0] != totals[1] && norms[0] > 0 && norms[1] > norms[0],
           "the change handler did not recompute the total and the norm");
}
BENCHMARK(BM_Keystroke_TProg_F2)->Unit(benchmark::kMicrosecond);

// The recomputation of the cost, as showing page 3 or changing one of its lists runs it.
void BM_CostRecompute_TProg_F3(benchmark::State &state)
{
    prepareGeneral();
    TProg_F3 &page = program->TProg_F3();
    for (auto _ : state)
        program->errors.run([&] { page.FormActivate(); });
    passes(state, page.quantities.CostWithVat > 0 && page.Label11->text() != u"0 руб.",
           "no cost was computed");
}
BENCHMARK(BM_CostRecompute_TProg_F3)->Unit(benchmark::kMicrosecond);

void BM_Recalculate_TT_F2(benchmark::State &state)
{
    TT_F2 &page = program->TT_F2();
    program->errors.run([&] { page.FormActivate(); });
    for (auto _ : state)
        program->errors.run([&] { page.Recalculate(); });
    passes(state, page.quantities.TotalCost > 0 && page.Label11->text() != u"0 руб.",
           "no cost was computed");
}
BENCHMARK(BM_Recalculate_TT_F2)->Unit(benchmark::kMicrosecond);

// --- Report files -----------------------------------------------------------------------

// Reading a report file and assigning it to the pages, every change handler included; the
// two files are loaded by turns.
void BM_LoadReport(benchmark::State &state)
{
    const std::array<QString, 2> paths{workPath(QStringLiteral("a.rvj")),
                                       workPath(QStringLiteral("b.rvj"))};
    report::writeFile(paths[0], GeneralFileA);
    report::writeFile(paths[1], GeneralFileB);
    int i = 0;
    for (auto _ : state) {
        program->errors.run([&] {
            program->loadReport(report::Calculator::General, report::readFile(paths[i & 1]));
        });
        ++i;
    }
    program->errors.run(
        [&] { program->loadReport(report::Calculator::General, report::readFile(paths[1])); });
    const QStringList loaded = program->reportLines(report::Calculator::General);
    const double totalB = program->TProg_F2().fuel.ReferenceFuelTotal;
    loadGeneral(GeneralFileA);
    passes(state, loaded == GeneralFileB && totalB != program->TProg_F2().fuel.ReferenceFuelTotal,
           "the loaded file did not reach the pages");
}
BENCHMARK(BM_LoadReport)->Unit(benchmark::kMicrosecond);

void BM_SaveReport(benchmark::State &state)
{
    prepareGeneral();
    const QString path = workPath(QStringLiteral("saved.rvj"));
    for (auto _ : state)
        program->errors.run(
            [&] { report::writeFile(path, program->reportLines(report::Calculator::General)); });
    QStringList read;
    program->errors.run([&] { read = report::readFile(path); });
    passes(state, read.mid(0, GeneralFileA.size()) == GeneralFileA, "the saved file differs");
}
BENCHMARK(BM_SaveReport)->Unit(benchmark::kMicrosecond);

// --- The estimate -----------------------------------------------------------------------

QList<estimate::Replacement> generalReplacements()
{
    prepareGeneral();
    QList<estimate::Replacement> replacements;
    program->errors.run([&] { replacements = program->TProg_F3().estimateReplacements(); });
    return replacements;
}

void BM_EstimateFill(benchmark::State &state)
{
    const QList<estimate::Replacement> replacements = generalReplacements();
    const QString templatePath = dalko::Program::installDir() + u'/' + estimate::GeneralTemplate;
    QString text;
    for (auto _ : state) {
        program->errors.run([&] {
            estimate::DocumentFiller filler;
            filler.open(templatePath);
            filler.fill(replacements);
            text = filler.plainText();
        });
    }
    bool filled = !replacements.isEmpty() && !text.isEmpty();
    for (const estimate::Replacement &r : replacements)
        filled = filled && !text.contains(r.placeholder);
    passes(state, filled, "a placeholder is left in the estimate");
}
BENCHMARK(BM_EstimateFill)->Unit(benchmark::kMillisecond);

// What "Печать сметы" does up to the printer: fill the template and render it, here to PDF.
void BM_EstimatePdf(benchmark::State &state)
{
    const QList<estimate::Replacement> replacements = generalReplacements();
    const QString path = workPath(QStringLiteral("estimate.pdf"));
    for (auto _ : state)
        program->errors.run([&] {
            estimate::DocumentFiller filler;
            filler.open(dalko::Program::installDir() + u'/' + estimate::GeneralTemplate);
            filler.fill(replacements);
            saveFile(path, filler.pdfBytes());
        });
    passes(state, QFileInfo(path).size() > 1000, "no PDF was written");
}
BENCHMARK(BM_EstimatePdf)->Unit(benchmark::kMillisecond);

// "Просмотр сметы…": from the click until the preview's pages are laid out.
void BM_EstimatePreview(benchmark::State &state)
{
    const QList<estimate::Replacement> replacements = generalReplacements();
    int pages = 0;
    for (auto _ : state) {
        estimate::DocumentFiller filler;
        filler.open(dalko::Program::installDir() + u'/' + estimate::GeneralTemplate);
        filler.fill(replacements);
        estimate::EstimatePreview preview(filler, program->errors, nullptr);
        preview.preview()->updatePreview();
        pages = preview.preview()->pageCount();
    }
    passes(state, pages > 0, "the preview laid out no page");
}
BENCHMARK(BM_EstimatePreview)->Unit(benchmark::kMillisecond);

// "Сохранить смету…" as OpenDocument, from the filled document to the file.
void BM_EstimateOdt(benchmark::State &state)
{
    const QList<estimate::Replacement> replacements = generalReplacements();
    estimate::DocumentFiller filler;
    filler.open(dalko::Program::installDir() + u'/' + estimate::GeneralTemplate);
    filler.fill(replacements);
    const QString path = workPath(QStringLiteral("estimate.odt"));
    for (auto _ : state)
        saveFile(path, filler.odtBytes());
    passes(state, QFileInfo(path).size() > 1000, "no ODT was written");
}
BENCHMARK(BM_EstimateOdt)->Unit(benchmark::kMillisecond);

// --- The register of estimates -------------------------------------------------------------

// What recording adds to issuing an estimate on the user's SQLite journal: opening it, taking
// the number and storing the record with its inputs (the output itself is left out).
void BM_JournalRecord(benchmark::State &state)
{
    prepareGeneral();
    const journal::Record record = program->TProg_F3().estimateRecord();
    const QString path = workPath(QStringLiteral("record/journal.sqlite"));
    QString number;
    for (auto _ : state)
        number = journal::issueRecorded(path, record, [](const QString &) {
                     return journal::savedAs(QStringLiteral("/tmp/смета.pdf"));
                 }).number;
    passes(state, !number.isEmpty() && !record.inputs.isEmpty(), "no estimate was recorded");
}
BENCHMARK(BM_JournalRecord)->Unit(benchmark::kMillisecond);

constexpr int LargeJournal = 100000;

// A journal of 100,000 estimates, "ООО «Заказчик n»" each, named by the settings as a firm's
// would be.
void prepareLargeJournal()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    const QString path = workPath(QStringLiteral("large/journal.sqlite"));
    journal::Journal(path).list();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "large");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        query.exec(QStringLiteral("BEGIN"));
        query.prepare(QStringLiteral(
            "INSERT INTO estimates (year, serial, number, estimate_date, issued, calculator, "
            "customer, place, objects, total_kopecks, state, vat_rate, action, inputs, search) "
            "VALUES (2026, ?, ?, '2026-03-02', '2026-03-02T10:00:00', 'general', ?, 'г. Тверь', "
            "'Школа', 11446979, 'issued', 0.2, 'Сохранена в файл', ?, ?)"));
        const QByteArray inputs = report::encode(GeneralFileB);
        for (int n = 1; n <= LargeJournal; ++n) {
            const QString number = QStringLiteral("2026-%1").arg(n, 4, 10, QChar(u'0'));
            const QString customer = QStringLiteral("ООО «Заказчик %1»").arg(n);
            for (const QVariant &value :
                 {QVariant(n), QVariant(number), QVariant(customer), QVariant(inputs),
                  QVariant((number + u'\n' + customer).toLower())})
                query.addBindValue(value);
            query.exec();
        }
        query.exec(QStringLiteral("COMMIT"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("large"));
    QSettings(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                  QStringLiteral("/dalko.conf"),
              QSettings::IniFormat)
        .setValue(QStringLiteral("journal"), path);
}

// "Журнал смет" opened over a journal of 100,000 estimates, until its first rows are there.
void BM_JournalWindowOpen(benchmark::State &state)
{
    prepareLargeJournal();
    QString newest;
    for (auto _ : state) {
        program->errors.run([&] {
            JournalWindow window(*program, nullptr);
            window.show();
            QCoreApplication::processEvents();
            newest = window.Table->model()->index(0, journal::Number).data().toString();
        });
    }
    passes(state, newest == QStringLiteral("2026-%1").arg(LargeJournal),
           "the newest estimate is not shown first");
}
BENCHMARK(BM_JournalWindowOpen)->Unit(benchmark::kMillisecond);

// A part of a customer typed into the register's search box, until the rows found are there.
void BM_JournalFilter(benchmark::State &state)
{
    prepareLargeJournal();
    std::unique_ptr<JournalWindow> window;
    program->errors.run([&] { window = std::make_unique<JournalWindow>(*program, nullptr); });
    if (!window) {
        passes(state, false, "the journal did not open");
        return;
    }
    int rare = 0;
    int n = 0;
    for (auto _ : state) {
        // A customer found once, near the oldest end: the whole journal is searched.
        window->Search->setText(QStringLiteral("заказчик %1»").arg(++n % 50 + 1));
        rare = window->Table->model()->rowCount();
    }
    passes(state, rare == 1, "the filter did not find exactly the one customer");
}
BENCHMARK(BM_JournalFilter)->Unit(benchmark::kMillisecond);

// --- Start-up ---------------------------------------------------------------------------

// The part of the start that is the program's own: the seven windows with their pictures.
void BM_CreateWindows(benchmark::State &state)
{
    bool created = true;
    for (auto _ : state) {
        auto fresh = std::make_unique<Program>();
        fresh->createWindows();
        fresh->TLogo_F().Timer1->stop();
        created = created && fresh->TT_F2().Label11 != nullptr;
    }
    passes(state, created, "the windows were not created");
}
BENCHMARK(BM_CreateWindows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[])
{
    // Headless, with the Russian regional settings: a decimal comma.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "ru_RU.UTF-8");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fputs("dalko_bench: no temporary folder\n", stderr);
        return 1;
    }
    // Settings, data and the journal of the run (Qt's own settings too), never the user's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    setUpApplication();

    workDir = &dir;
    Program shared;
    shared.createWindows();
    shared.TLogo_F().Timer1->stop();
    shared.errors.setSink([](const QString &text) { errorTexts << text; });
    program = &shared;
    if (shared.regional.decimal != u',') {
        std::fputs("dalko_bench: the regional settings give no decimal comma\n", stderr);
        return 1;
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    program = nullptr;
    return anyFailed ? 1 : 0;
}

// dalko-calc run as a process on report files of both kinds.

#include "reportfile/reportformat.h"
#include "worked_examples.h"

#include "calc_process.h"
#include "estimate/templatefiles.h"
#include "qstring_print.h"
#include "report_samples.h"
#include "version.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace dalko;
using namespace dalko::test;
using dalko::test::BoilerDefaults;
using dalko::test::GeneralDefaults;
using dalko::test::Outcome;
using dalko::test::run;
using dalko::test::workedExample;

class Calc : public ::testing::Test {
  protected:
    QString file(const QString &name, const QStringList &lines)
    {
        const QString path = dir.filePath(name);
        report::writeFile(path, lines);
        return path;
    }
    Outcome calc(const QStringList &args, const char *locale = "ru_RU.UTF-8")
    {
        return run(DALKO_CALC, args, locale);
    }
    QTemporaryDir dir;
};

TEST_F(Calc, GeneralWorkedExample)
{
    const Outcome r = calc({"--date", "2018-12-31", file("g.rvj", workedExample())});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.value("#ЧИСЛО&"), "31.12.2018");
    ASSERT_EQ(r.out.size(), 9 + 2 + 14 + 2 + 41);
    EXPECT_TRUE(r.out[0].startsWith("ReferenceFuel1\t"));
    EXPECT_EQ(r.value("ReferenceFuelTotal"), "100");
    EXPECT_EQ(r.value("BaseNorm"), "200");
    EXPECT_EQ(r.value("LabourCost"), "42856,8");
    EXPECT_EQ(r.value("ProfitSum"), "20249,84");
    EXPECT_EQ(r.value("CostWithVat"), "105990,55");
    EXPECT_EQ(r.value("ExpertiseSum"), "8479,24");
    EXPECT_EQ(r.value("Label7"), "105,99 руб/кв.м");
    EXPECT_EQ(r.value("Label11"), GeneralTotal + " руб");
    EXPECT_EQ(r.out[27], "#номер&\t");
    EXPECT_EQ(r.out[28].section(u'\t', 0, 0), "#ЧИСЛО&");
    EXPECT_EQ(r.value("#сумма4&"), "17964,5");
    EXPECT_EQ(r.value("#форма&"), "ООО «Заказчик»");
    EXPECT_EQ(r.value("#ЭксТ&"), "Сметорий. Кэ=8% Таблица 1");
    EXPECT_EQ(r.out.last(),
              "#прописью&\tСто четырнадцать тысяч четыреста шестьдесят девять рублей 79 копеек");
}

TEST_F(Calc, BoilerDefaults)
{
    const Outcome r = calc({"--vat-rate", "18", file("b.rvj", BoilerDefaults)});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_EQ(r.out.size(), 19 + 36);
    EXPECT_EQ(r.value("#Nds&"), "18%");
    EXPECT_EQ(r.out[0], "BoilerNorm\t90");
    EXPECT_EQ(r.value("ProfitSum"), "10247,27");
    EXPECT_EQ(r.value("TotalCost"), BoilerTotal);
    EXPECT_EQ(r.value("Label11"), BoilerTotal);
    EXPECT_EQ(r.value("#сумм1&"), "6508,88");
    EXPECT_EQ(r.value("#ЭксТ&"), "Сметорий. Кэ=8% Таблица №1");
    EXPECT_EQ(r.value("#сумм10&"), BoilerTotal);
    EXPECT_EQ(r.out.last(),
              "#прописью&\tПятьдесят семь тысяч девятьсот двадцать шесть рублей 51 копейка");
}

TEST_F(Calc, TheRateFollowsTheDateUnlessFixed)
{
    struct Case {
        QStringList options;
        const char *vatRate, *vatSum;
        QString total;
        const char *date;
    };
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    const QString general = file("g.rvj", workedExample());
    for (const Case &c : {
             Case{{"--date", "2026-01-01"}, "0,22", "19760,95", GeneralTotal2026, "01.01.2026"},
             Case{{"--date", "2025-12-31"}, "0,2", "17964,5", "116409,96", "31.12.2025"},
             Case{{"--vat-rate", "18"}, "0,18", "16168,05", GeneralTotal, nullptr},
             Case{{"--date", "2018-12-31", "--vat-rate", "22,0"},
                  "0,22",
                  "19760,95",
                  GeneralTotal2026,
                  "31.12.2018"},
             Case{{"--vat-rate", "12.5"}, "0,125", "11227,81", "109134,33", nullptr},
         }) {
        const Outcome r = calc(c.options + QStringList{general});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.value("VatRate"), c.vatRate) << c.options.join(' ').toStdString();
        EXPECT_EQ(r.value("VatSum"), c.vatSum);
        EXPECT_EQ(r.value("#суммаИНДСЭКС&"), c.total);
        EXPECT_EQ(r.value("#ЧИСЛО&"), c.date ? QString::fromUtf8(c.date) : today);
    }
    const Outcome boiler = calc({"--date", "2026-01-05", file("b.rvj", BoilerDefaults)});
    EXPECT_EQ(boiler.value("#Nds&"), "22%");
    EXPECT_EQ(boiler.value("#сумм10&"), BoilerTotal2026);
    EXPECT_EQ(boiler.out.last(),
              "#прописью&\tПятьдесят девять тысяч восемьсот девяносто рублей 13 копеек");
}

TEST_F(Calc, MalformedDateOrRateIsAUsageError)
{
    const QString general = file("g.rvj", workedExample());
    for (const QStringList &options :
         {QStringList{"--date", "10.12.2026"}, QStringList{"--date", "2026-02-30"},
          QStringList{"--date", ""}, QStringList{"--vat-rate", "100"},
          QStringList{"--vat-rate", "-5"}, QStringList{"--vat-rate", "двадцать"}}) {
        const Outcome r = calc(options + QStringList{general});
        EXPECT_EQ(r.status, 2) << options.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(options.front())) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(Calc, SaveGivesBackTheSameBytes)
{
    for (const QStringList &lines : {workedExample(), BoilerDefaults}) {
        const QString in = file("in.rvj", lines);
        const QString out = dir.filePath("out.rvj");
        EXPECT_EQ(calc({"--save", out, in}).status, 0);
        QFile a(in), b(out);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll());
    }
}

TEST_F(Calc, PdfHoldsEveryValue)
{
    const QString pdf = dir.filePath("смета.pdf");
    const Outcome r = calc({"--pdf", pdf, file("g.rvj", workedExample())});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished());
    QString printed = QString::fromUtf8(text.readAllStandardOutput());
    printed.remove(QRegularExpression("\\s"));
    for (const QString &line : r.out.mid(27)) {
        QString value = line.section(u'\t', 1);
        value.remove(QRegularExpression("\\s"));
        EXPECT_TRUE(printed.contains(value)) << line.toStdString();
    }
}

// Every quantity of an outcome as a number, whatever the decimal separator it was printed with.
QMap<QString, double> quantitiesOf(const Outcome &r)
{
    QMap<QString, double> numbers;
    for (const QString &line : r.out) {
        bool ok = false;
        const double value = line.section(u'\t', 1).replace(u',', u'.').toDouble(&ok);
        if (ok && !line.startsWith(u'#'))
            numbers[line.section(u'\t', 0, 0)] = value;
    }
    return numbers;
}

// A report file keeps its meaning under either decimal separator: written under Russian
// settings, computed under English ones (and saved and loaded again there), it gives the same
// quantities; a text that converts neither way behaves alike under both.
TEST_F(Calc, ReportFilesGiveTheSameQuantitiesUnderEitherSeparator)
{
    QStringList general = workedExample();
    general[3] = "31500,5";  // salary
    general[7] = "1250,5";   // electricity, thousand kWh
    general[21] = "1500,75"; // floor area
    QStringList boiler = BoilerDefaults;
    boiler[14] = "0,6";
    QStringList neither = workedExample();
    neither[8] = "1,2,3"; // heat: counts as 0 under both
    for (const QStringList &lines : {general, boiler, neither}) {
        const QString path = file("ru.rvj", lines);
        const Outcome russian = calc({path}, "ru_RU.UTF-8");
        ASSERT_EQ(russian.status, 0) << russian.err.toStdString();
        const QString saved = dir.filePath("en.rvj");
        const Outcome english = calc({"--save", saved, path}, "en_US.UTF-8");
        ASSERT_EQ(english.status, 0) << english.err.toStdString();
        EXPECT_EQ(quantitiesOf(english), quantitiesOf(russian)) << lines.join('|').toStdString();
        EXPECT_GT(quantitiesOf(russian).value("HourlyWage"), 0);
        const Outcome reloaded = calc({saved}, "en_US.UTF-8");
        EXPECT_EQ(quantitiesOf(reloaded), quantitiesOf(russian)) << lines.join('|').toStdString();
    }
    // A salary that converts neither way is named on loading, then fails at its step.
    QStringList broken = BoilerDefaults;
    broken[3] = "1,2,3";
    for (const char *locale : {"ru_RU.UTF-8", "en_US.UTF-8"}) {
        const Outcome r = calc({file("broken.rvj", broken)}, locale);
        EXPECT_EQ(r.status, 1) << locale;
        EXPECT_EQ(r.err, "Предупреждение (файл отчета): строка 4, \"1,2,3\": не число\n"
                         "'1,2,3' is not a valid floating point value.\n")
            << locale;
    }
}

TEST_F(Calc, PdfAndOdtAtOnce)
{
    const QString pdf = dir.filePath("смета.pdf");
    const QString odt = dir.filePath("смета.odt");
    const Outcome r = calc({"--odt", odt, "--pdf", pdf, file("b.rvj", BoilerDefaults)});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile pdfFile(pdf), odtFile(odt);
    ASSERT_TRUE(pdfFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(odtFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdfFile.read(5) == "%PDF-");
    EXPECT_TRUE(odtFile.readAll().contains("application/vnd.oasis.opendocument.text"));
}

// A firm's own copy of a template in its data folder is the one filled.
TEST_F(Calc, TheUsersOwnTemplateComesFirst)
{
    const QString shipped = QFileInfo(QStringLiteral(DALKO_CALC)).absolutePath() + "/dalko-t.rv";
    QFile original(shipped);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QByteArray html = original.readAll();
    html.replace("<body", "<p>СВОЙ-БЛАНК-ФИРМЫ</p><body");
    ASSERT_TRUE(QDir(dir.path()).mkpath("data/dalko"));
    QFile own(dir.filePath("data/dalko/dalko-t.rv"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write(html);
    own.close();
    const QString pdf = dir.filePath("своя.pdf");
    const Outcome r = run(DALKO_CALC, {"--pdf", pdf, file("b.rvj", BoilerDefaults)}, "ru_RU.UTF-8",
                          dir.filePath("data"));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished());
    EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains("СВОЙ-БЛАНК-ФИРМЫ"));
}

// With no template in any of the places it is looked for, an estimate fails with the message
// naming them, and the quantities are still given.
TEST_F(Calc, NoTemplateAnywhere)
{
    if (QFileInfo::exists(estimate::systemTemplateFolder() + "/dalko-en.rv"))
        GTEST_SKIP() << "the templates are installed in "
                     << estimate::systemTemplateFolder().toStdString();
    // A copy of the program in a folder of its own, with no template beside it.
    ASSERT_TRUE(QDir(dir.path()).mkpath("bin"));
    const QString calc = dir.filePath("bin/dalko-calc");
    ASSERT_TRUE(QFile::copy(DALKO_CALC, calc));
    const QString report = file("g.rvj", workedExample());
    Outcome r = run(calc, {"--date", "2018-12-31", "--pdf", dir.filePath("смета.pdf"), report},
                    "ru_RU.UTF-8");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Не найден шаблон сметы \"dalko-en.rv\". Искали:\n"
                     "/nonexistent/dalko-tests/data/dalko/dalko-en.rv\n"
                     "/etc/dalko/dalko-en.rv\n" +
                         dir.filePath("bin/dalko-en.rv") + ".\n");
    EXPECT_EQ(r.value("Label11"), GeneralTotal + " руб");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("смета.pdf")));

    r = run(calc, {report}, "ru_RU.UTF-8");
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
}

TEST_F(Calc, CheckTemplate)
{
    Outcome r = calc({"--check-template", "general"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringList{"Шаблон: " + QFileInfo(QStringLiteral(DALKO_CALC)).absolutePath() +
                                 "/dalko-en.rv"});

    const QString shipped = QFileInfo(QStringLiteral(DALKO_CALC)).absolutePath() + "/dalko-t.rv";
    QFile original(shipped);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QByteArray html = original.readAll();
    ASSERT_TRUE(html.contains("#к6&"));
    html.replace("#к6&", "#k6&"); // a Latin k
    QFile edited(dir.filePath("правка.rv"));
    ASSERT_TRUE(edited.open(QIODevice::WriteOnly));
    edited.write(html);
    edited.close();
    r = calc({"--check-template", "boiler", edited.fileName()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.front(), "Шаблон: " + edited.fileName());
    EXPECT_EQ(r.out.filter("#к6&").size(), 1) << r.out.join('\n').toStdString();
    EXPECT_EQ(r.out.filter("#k6&").size(), 1) << r.out.join('\n').toStdString();

    r = calc({"--check-template", "general", dir.filePath("нет.rv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("нет.rv")) << r.err.toStdString();
    EXPECT_EQ(calc({"--check-template", "котельная"}).status, 2);
}

TEST_F(Calc, ErrorsAndExitCodes)
{
    Outcome r = calc({dir.filePath("нет.rvj")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith("Cannot open file")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());

    r = calc({"--kind", "general", file("b.rvj", BoilerDefaults)});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("котельной")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());

    // A failing recomputation: the quantities as they stand, no replacements.
    QStringList lines = workedExample();
    lines[5] = "";
    r = calc({"--pdf", dir.filePath("x.pdf"), file("p.rvj", lines)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "'' is not a valid floating point value.\n");
    EXPECT_EQ(r.out.size(), 27);
    EXPECT_EQ(r.value("OverheadSum"), "14999,88");
    EXPECT_EQ(r.value("ProfitSum"), "0");
    EXPECT_EQ(r.value("Label11"), "0 руб.");
    EXPECT_FALSE(QFile::exists(dir.filePath("x.pdf")));

    r = calc({"--print", file("b.rvj", BoilerDefaults)});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("принтер")) << r.err.toStdString();

    EXPECT_EQ(calc({}).status, 2);
    EXPECT_EQ(calc({"--kind", "house", "a.rvj"}).status, 2);
    EXPECT_EQ(calc({"--bogus", "a.rvj"}).status, 2);
    r = calc({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.join('\n').contains("dalko-calc"));
}

// A value holding a NUL keeps its line: the NUL shows as U+FFFD and the next name starts the
// next line.
TEST_F(Calc, NulInAValueKeepsOneLinePerName)
{
    QStringList lines = workedExample();
    lines[0] = "ООО #Заказчик";
    QByteArray bytes = report::encode(lines);
    bytes.replace('#', '\0');
    const QString path = dir.filePath("nul.rvj");
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    const Outcome r = calc({path});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_EQ(r.out.size(), 9 + 2 + 14 + 2 + 41);
    for (const QString &line : r.out)
        EXPECT_EQ(line.count(u'\t'), 1) << line.toStdString();
    EXPECT_EQ(r.value("#форма&"), QStringLiteral("ООО \uFFFDЗаказчик"));
    EXPECT_EQ(r.value("#РайК&"), "15");
}

TEST_F(Calc, UsageErrorsExitWithTwoAndWriteNothing)
{
    const QString report = file("g.rvj", workedExample());
    const QString written = dir.filePath("written");
    const QStringList wrong[] = {
        {"--save", "", report},
        {"--pdf", "", report},
        {"--odt", "", report},
        {"--save", written, "--pdf", "", report},
        {"--pdf", written, report, report},
        {"--kind", report},
        {"--check-template", "house"},
        {"--check-template", "general", "--pdf", written},
        {"--check-template", "boiler", "a.rv", "b.rv"},
    };
    for (const QStringList &args : wrong) {
        const Outcome r = calc(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains("dalko-calc --help")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(written));
    }
}

// Qt's own texts follow the user's language; the program's are Russian in any.
TEST_F(Calc, HelpAndVersion)
{
    Outcome r = calc({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringList{"dalko-calc " DALKO_VERSION});

    r = calc({"--help"});
    EXPECT_EQ(r.status, 0);
    const QString russian = r.out.join('\n');
    for (const char *text : {"Использование:", "--kind <general|boiler>", "--odt <OUT.odt>",
                             "--check-template <general|boiler>", "Записать файл отчета"})
        EXPECT_TRUE(russian.contains(QString::fromUtf8(text))) << text;

    // --help-all adds Qt's own options to the program's.
    r = calc({"--help-all"});
    EXPECT_EQ(r.status, 0);
    const QString all = r.out.join('\n');
    EXPECT_TRUE(all.contains("--check-template") && all.contains("-platform")) << all.toStdString();

    r = calc({"--help"}, "C.UTF-8");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.join('\n').startsWith("Usage:"));
    EXPECT_TRUE(r.out.join('\n').contains("Записать файл отчета"));
    r = calc({"--bogus", "a.rvj"}, "C.UTF-8");
    EXPECT_TRUE(r.err.contains("Unknown option 'bogus'")) << r.err.toStdString();
    r = calc({"--bogus", "a.rvj"});
    EXPECT_TRUE(r.err.contains("Неизвестный параметр «bogus»")) << r.err.toStdString();
}

// The window program answers --help and --version without a display (help2man needs no
// desktop), and refuses wrong arguments before it would need one.
TEST(Dalko, CommandLineWithoutADisplay)
{
    Outcome r = run(DALKO, {"--version"}, "ru_RU.UTF-8");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringList{"dalko " DALKO_VERSION});
    r = run(DALKO, {"--help"}, "ru_RU.UTF-8");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.join('\n').contains("ФАЙЛ.rvj"));
    r = run(DALKO, {"--help-all"}, "ru_RU.UTF-8");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.join('\n').contains("-platform")) << r.out.join('\n').toStdString();
    EXPECT_EQ(run(DALKO, {"a.rvj", "b.rvj"}, "ru_RU.UTF-8").status, 2);
    EXPECT_EQ(run(DALKO, {"--bogus"}, "ru_RU.UTF-8").status, 2);
    r = run(DALKO, {"a.rvj"}, "ru_RU.UTF-8");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("нет графического дисплея")) << r.err.toStdString();
}

} // namespace

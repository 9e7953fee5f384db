#include "estimate/boilerestimate.h"
#include "estimate/filler.h"
#include "estimate/generalestimate.h"
#include "estimate/templatecheck.h"
#include "estimate/templatefiles.h"
#include "vatlaw.h"
#include "worked_examples.h"

#include "error_message.h"
#include "qstring_print.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QUrl>
#include <private/qzipreader_p.h>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace dalko;
using namespace dalko::test;
using namespace dalko::estimate;

namespace {

QStringList values(const QList<Replacement> &list)
{
    QStringList texts;
    for (const Replacement &r : list)
        texts << r.value;
    return texts;
}

QString valueOf(const QList<Replacement> &list, const QString &placeholder)
{
    const auto found = std::find_if(list.begin(), list.end(), [&](const Replacement &r) {
        return r.placeholder == placeholder;
    });
    EXPECT_NE(found, list.end()) << placeholder.toStdString();
    return found != list.end() ? found->value : QString();
}

// The method's worked example, by default dated in the years of its 18 %.
GeneralInputs generalExample(const QDate &date = MethodDate)
{
    GeneralInputs in;
    in.first = {"ООО «Заказчик»", "г. Зарбинск", "Школа", ExampleFinancial};
    in.fuelTotal = 100;
    in.baseNorm = 200;
    general::CostInputs cost;
    cost.financial = ExampleFinancial;
    cost.baseNorm = 200;
    cost.fuelTotal = 100;
    cost.area = "1000";
    cost.decimal = u',';
    cost.vatRate = EstimateTerms{date, std::nullopt}.vatRate();
    general::CostDisplay shown;
    general::recomputeCost(cost, in.cost, shown);
    in.format.decimal = u',';
    in.format.shortDateFormat = "dd.MM.yyyy";
    in.date = date;
    return in;
}

TEST(GeneralEstimate, WorkedExample)
{
    const QList<Replacement> list = generalReplacements(generalExample());
    ASSERT_EQ(list.size(), 41);
    EXPECT_EQ(list[0].placeholder, "#номер&");
    EXPECT_EQ(list[1].placeholder, "#ЧИСЛО&");
    EXPECT_EQ(list[39].placeholder, "#РайК&");
    EXPECT_EQ(list[40].placeholder, "#прописью&");
    // The number is the register's to give.
    const QStringList expected{"",
                               "31.12.2018",
                               "8982,25",
                               "8982,25",
                               "26946,75",
                               "17964,5",
                               "13473,38",
                               "13473,38",
                               "89822,5",
                               "НДС",
                               " ",
                               "18%",
                               "16168,05",
                               "105990,55",
                               "8%",
                               "8479,24",
                               GeneralTotal,
                               "ООО «Заказчик»",
                               "42856,8",
                               "100",
                               "200",
                               "1,2",
                               "1",
                               "1",
                               "178,57",
                               "14999,88",
                               "57856,68",
                               "20249,84",
                               "78106,52",
                               "11715,98",
                               "89822,5",
                               "НДС",
                               "105990,55",
                               GeneralTotal,
                               "Сметорий. Кэ=8% Таблица 1",
                               "Школа",
                               "г. Зарбинск",
                               "35",
                               "35",
                               "15",
                               "Сто четырнадцать тысяч четыреста шестьдесят девять рублей "
                               "79 копеек"};
    EXPECT_EQ(values(list), expected);
}

TEST(GeneralEstimate, WorkedExampleDated2026)
{
    const QList<Replacement> list = generalReplacements(generalExample(QDate(2026, 12, 10)));
    EXPECT_EQ(valueOf(list, "#ЧИСЛО&"), "10.12.2026");
    EXPECT_EQ(valueOf(list, "#НДС%&"), "22%");
    EXPECT_EQ(valueOf(list, "#НДС&"), "19760,95");
    EXPECT_EQ(valueOf(list, "#суммаИНДС&"), "109583,45");
    EXPECT_EQ(valueOf(list, "#ЭКС&"), "8766,68");
    EXPECT_EQ(valueOf(list, "#суммаИНДСЭКС&"), GeneralTotal2026);
    EXPECT_EQ(valueOf(list, "#прописью&"),
              "Сто восемнадцать тысяч триста пятьдесят рублей 13 копеек");
}

TEST(GeneralEstimate, WithoutVatAndWithoutExpertise)
{
    GeneralInputs in = generalExample();
    in.cost.VatRate = 0;
    in.cost.VatSum = 0;
    QList<Replacement> list = generalReplacements(in);
    EXPECT_EQ(valueOf(list, "#НДС+текст&"), "НДС (не облагается)");
    EXPECT_EQ(valueOf(list, "#НДС+т&"), "НДС (не облагается)");
    EXPECT_EQ(valueOf(list, "#НС&"), "НДС (не облагается)");
    EXPECT_EQ(valueOf(list, "#НДС%&"), "0%");
    EXPECT_EQ(valueOf(list, "#НДС&"), "0");

    in = generalExample();
    in.cost.ExpertiseRate = 0;
    in.cost.ExpertiseSum = 0;
    list = generalReplacements(in);
    EXPECT_EQ(valueOf(list, "#ЭКС%&"), "0%");
    EXPECT_EQ(valueOf(list, "#ЭКС&"), "0");
    EXPECT_EQ(valueOf(list, "#суммаИНДСЭКС&"), valueOf(list, "#суммаИНДС&"));
    EXPECT_EQ(valueOf(list, "#сумм10&"), valueOf(list, "#суммаИНДС&"));
    EXPECT_EQ(valueOf(list, "#ЭксТ&"), "Не подлежит экспертизе");

    in.cost.ExpertiseRate = 0.075;
    list = generalReplacements(in);
    EXPECT_EQ(valueOf(list, "#ЭКС%&"), "7,5%");
    EXPECT_EQ(valueOf(list, "#ЭксТ&"), "Сметорий. Кэ=7,5% Таблица 1");
    in.first.financial.overheads = "035,0";
    EXPECT_EQ(valueOf(generalReplacements(in), "#НакР&"), "035,0");
}

// The page's defaults, by default dated in the years of the method's 18 %.
BoilerInputs boilerDefaults(const QDate &date = MethodDate)
{
    BoilerInputs in;
    in.first = {"не задано", "не задано", "не задано", ExampleFinancial};
    in.boilerCount = "1";
    in.boilerKind = "Котельная с водогрейными котлами";
    in.capacity = "менее 0,5 Гкал/час";
    in.firingModes = "1";
    boiler::setDefaultFactors(in.cost);
    boiler::RecalcInputs recalc;
    recalc.financial = ExampleFinancial;
    recalc.decimal = u',';
    recalc.vatRate = EstimateTerms{date, std::nullopt}.vatRate();
    boiler::recalculate(recalc, in.cost);
    in.format.decimal = u',';
    in.date = date;
    return in;
}

TEST(BoilerEstimate, DefaultInputs)
{
    const QList<Replacement> list = boilerReplacements(boilerDefaults());
    ASSERT_EQ(list.size(), 36);
    const QStringList expected{"",
                               "31.12.2018",
                               "не задано",
                               "не задано",
                               "не задано",
                               "1",
                               "Котельная с водогрейными котлами",
                               "менее 0,5 Гкал/час",
                               "90",
                               "0,5",
                               "0,9",
                               "0,9",
                               "178,57",
                               "6508,88",
                               "1",
                               "85",
                               "1",
                               "15178,45",
                               "21687,33",
                               "35",
                               "7590,57",
                               "29277,9",
                               "35",
                               "10247,27",
                               "39525,17",
                               "15",
                               "5928,78",
                               "45453,95",
                               "НДС",
                               "18%",
                               "8181,71",
                               "53635,66",
                               "Сметорий. Кэ=8% Таблица №1",
                               "4290,85",
                               BoilerTotal,
                               "Пятьдесят семь тысяч девятьсот двадцать шесть рублей 51 копейка"};
    EXPECT_EQ(values(list), expected);
    EXPECT_EQ(list[19].placeholder, "#NakR&");
    EXPECT_EQ(list.last().placeholder, "#прописью&");
}

TEST(BoilerEstimate, DefaultInputsDated2026)
{
    const QList<Replacement> list = boilerReplacements(boilerDefaults(QDate(2026, 1, 5)));
    EXPECT_EQ(valueOf(list, "#ЧИСЛО&"), "05.01.2026");
    EXPECT_EQ(valueOf(list, "#Nds&"), "22%");
    EXPECT_EQ(valueOf(list, "#НДС&"), "9999,87");
    EXPECT_EQ(valueOf(list, "#сумм9&"), "55453,82");
    EXPECT_EQ(valueOf(list, "#сумм10&"), BoilerTotal2026);
}

TEST(BoilerEstimate, SplitLabourCanDifferByAKopeck)
{
    BoilerInputs in = boilerDefaults();
    boiler::chooseBoilerCount(1, in.cost);
    boiler::chooseCapacity(0, in.cost);
    boiler::RecalcInputs recalc;
    recalc.financial = ExampleFinancial;
    recalc.decimal = u',';
    recalc.vatRate = 0.18;
    boiler::recalculate(recalc, in.cost);
    const QList<Replacement> list = boilerReplacements(in);
    EXPECT_EQ(valueOf(list, "#сумм1&"), "21696,26");
    EXPECT_EQ(valueOf(list, "#сумм2&"), "27321,21");
    EXPECT_EQ(valueOf(list, "#сумм11&"), "49017,46");
}

TEST(BoilerEstimate, PercentagesAreConvertedBeforeAnythingIsFilled)
{
    BoilerInputs in = boilerDefaults();
    in.first.financial.profit = "35,0";
    EXPECT_EQ(valueOf(boilerReplacements(in), "#SmetP&"), "35");
    in.first.financial.overheads = "";
    EXPECT_EQ(errorBoxText(test::errorMessage([&] { boilerReplacements(in); })),
              "'' is not a valid floating point value.");
    in = boilerDefaults();
    in.cost.VatRate = 0;
    in.cost.ExpertiseRate = 0.07;
    const QList<Replacement> list = boilerReplacements(in);
    EXPECT_EQ(valueOf(list, "#NdsT&"), "НДС не облагается");
    EXPECT_EQ(valueOf(list, "#Nds&"), "0%");
    EXPECT_EQ(valueOf(list, "#ЭксТ&"), "Сметорий. Кэ=7% Таблица №1");
}

class Filler : public ::testing::Test {
  protected:
    QString fixture(const QByteArray &html)
    {
        const QString path = dir.filePath("template.rv");
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("<html><head><meta charset=\"utf-8\"></head><body>" + html + "</body></html>");
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(Filler, ReplacesEveryOccurrenceAndOnlyWholePlaceholders)
{
    const QString path = fixture(
        "<p>#сумм1& и #сумм10&</p><table><tr><td>#сумм1&</td><td>#сумм1&#сумм1&</td></tr></table>");
    QFile original(path);
    original.open(QIODevice::ReadOnly);
    const QByteArray before = original.readAll();
    DocumentFiller filler;
    filler.open(path);
    filler.replaceAll("#сумм1&", "1");
    EXPECT_TRUE(filler.plainText().contains("#сумм10&"));
    filler.replaceAll("#сумм10&", "10");
    filler.replaceAll("#нет&", "x");
    const QString text = filler.plainText();
    EXPECT_TRUE(text.startsWith("1 и 10")) << text.toStdString();
    EXPECT_EQ(text.count("1"), 5);
    EXPECT_FALSE(text.contains("#"));
    original.seek(0);
    EXPECT_EQ(original.readAll(), before);
}

// A value is final: what it brings in is never taken for a placeholder, whatever the order.
TEST_F(Filler, ValuesAreInsertedNeverSearched)
{
    DocumentFiller filler;
    filler.open(fixture("<p>[#a&][#b&][#c&] ##b& #a#c& #b</p>"));
    const QStringList missing =
        filler.fill({{"#a&", "#b&"}, {"#b&", "B"}, {"#c&", ""}, {"#a&", "#a&#a&"}, {"#нет&", "x"}});
    EXPECT_EQ(filler.plainText(), "[#b&][B][] #B #a #b");
    EXPECT_EQ(missing, QStringList{"#нет&"});
}

// For ordinary values, whose texts hold no placeholder, the one pass makes the very document
// that replacing one placeholder after another made, so the printed estimate stays the same.
TEST_F(Filler, OrdinaryEstimatesAreFilledAsBefore)
{
    const std::pair<const char *, QList<Replacement>> estimates[] = {
        {"dalko-en.rv", generalReplacements(generalExample())},
        {"dalko-t.rv", boilerReplacements(boilerDefaults())},
    };
    for (const auto &[name, replacements] : estimates) {
        const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(name);
        DocumentFiller onePass, oneByOne;
        onePass.open(path);
        EXPECT_EQ(onePass.fill(replacements), QStringList()) << name;
        oneByOne.open(path);
        for (const Replacement &replacement : replacements)
            oneByOne.replaceAll(replacement.placeholder, replacement.value);
        EXPECT_EQ(onePass.document().toHtml(), oneByOne.document().toHtml()) << name;
    }
}

TEST_F(Filler, TemplateWithoutAnyPlaceholderIsRefused)
{
    DocumentFiller filler;
    const QString path = fixture("<p>Смета</p>");
    filler.open(path);
    const QString message = test::errorMessage([&] { filler.fill({{"#a&", "1"}, {"#b&", "2"}}); });
    EXPECT_EQ(message, QStringLiteral("В шаблоне сметы \"%1\" нет ни одной метки этой сметы (#a& "
                                      "и других): смета вышла бы пустой. Проверьте, тот ли это "
                                      "шаблон")
                           .arg(path));
}

TEST_F(Filler, KeepsTheFormatOfThePlaceholder)
{
    DocumentFiller filler;
    filler.open(fixture("<p>обычный <b><span style=\"font-size:20pt\">#итог&</span></b></p>"));
    filler.replaceAll("#итог&", BoilerTotal);
    const QTextCursor found = filler.document().find(BoilerTotal);
    ASSERT_FALSE(found.isNull());
    EXPECT_EQ(found.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(found.charFormat().fontPointSize(), 20);
}

TEST_F(Filler, MissingTemplateIsNamedInFull)
{
    DocumentFiller filler;
    const QString message = test::errorMessage([&] { filler.open(dir.filePath("нет.rv")); });
    EXPECT_TRUE(message.contains(dir.filePath("нет.rv"))) << message.toStdString();
}

// The text of a program's standard output, or a null text when the program cannot run.
QString output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool installed(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
    return path;
}

TEST_F(Filler, WritesPdfAndOdtWithEveryValue)
{
    DocumentFiller filler;
    filler.open(fixture("<h1>Смета</h1><table border=\"1\"><tr><td>Итого</td><td>#итог& "
                        "руб.</td></tr></table><p style=\"page-break-before:always\">#итог&</p>"));
    filler.replaceAll("#итог&", BoilerTotal);
    const QByteArray pdf = filler.pdfBytes();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(filler.document().pageCount(), 2);
    const QByteArray odt = filler.odtBytes();
    EXPECT_TRUE(odt.startsWith("PK\x03\x04"));

    if (!installed("pdftotext"))
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const QString printed = output("pdftotext", {writeFile(dir.filePath("смета.pdf"), pdf), "-"});
    EXPECT_TRUE(printed.contains(BoilerTotal + " руб.")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("Смета"));
    EXPECT_EQ(printed.count(u'\f'), 2); // one form feed after each page
}

// The ODT's own text, as a word processor reads it: the page, each paragraph's and run's
// format, tables with the widths of the print, header rows, spans, pictures.
TEST_F(Filler, OdtCarriesThePrintsLayout)
{
    QImage logo(96, 48, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(dir.filePath("logo.png")));
    DocumentFiller filler;
    filler.open(fixture(
        "<p align=\"center\" style=\"font-family:'Times New Roman', serif; font-size:16pt\">"
        "<b>СМЕТА</b> З<sub>мес</sub> м<sup>2</sup> #два&</p>"
        "<table width=\"100%\" border=\"1\" cellpadding=\"2\" style=\"border-color:#000000\">"
        "<thead><tr><td width=\"25%\" valign=\"top\">№</td><td width=\"75%\">Имя</td></tr></thead>"
        "<tr><td colspan=\"2\" valign=\"middle\">#итог&</td></tr></table>"
        "<p style=\"page-break-before:always\"><img src=\"logo.png\" width=\"96\"></p>"));
    filler.replaceAll("#итог&", BoilerTotal);
    filler.replaceAll("#два&", "а  б"); // blanks a word processor would collapse
    const QByteArray odt = filler.odtBytes();
    QBuffer buffer;
    buffer.setData(odt);
    QZipReader zip(&buffer);
    ASSERT_EQ(zip.status(), QZipReader::NoError);
    EXPECT_EQ(zip.fileData("mimetype"), "application/vnd.oasis.opendocument.text");
    const QString content = QString::fromUtf8(zip.fileData("content.xml"));
    const QString styles = QString::fromUtf8(zip.fileData("styles.xml"));

    // A4 with the print's margins (15 mm and the document's own 4 px).
    EXPECT_TRUE(styles.contains(R"(fo:page-width="210.000mm" fo:page-height="297.000mm")"));
    EXPECT_TRUE(styles.contains(R"(fo:margin-top="16.058mm")")) << styles.toStdString();
    EXPECT_TRUE(styles.contains(R"(style:font-name="Times New Roman" fo:font-size="11.00pt")"));
    // The template's face and size, bold, alignment; sub- and superscript raised and lowered,
    // and nothing else.
    EXPECT_TRUE(content.contains(R"(style:font-name="Times New Roman" fo:font-size="16.00pt" )"
                                 R"(fo:font-weight="bold")"));
    EXPECT_TRUE(content.contains(R"(svg:font-family="'Times New Roman'" )"
                                 R"(style:font-family-generic="roman")"));
    EXPECT_TRUE(content.contains(R"(fo:text-align="center")"));
    EXPECT_EQ(content.count("style:text-position"), 2) << content.toStdString();
    EXPECT_TRUE(content.contains(R"(style:text-position="sub 58%")"));
    EXPECT_TRUE(content.contains(R"(style:text-position="super 58%")"));
    EXPECT_TRUE(content.contains(R"(а<text:s text:c="2"/>б)"));
    // Columns of a quarter and three quarters of the 180 mm between the margins (less the
    // borders), in millimetres; the header row; the spanning cell and the one it covers; borders;
    // the cells' own vertical alignment.
    static const QRegularExpression column(QStringLiteral(R"(style:column-width="([\d.]+)mm")"));
    QList<double> widths;
    for (const QRegularExpressionMatch &m : column.globalMatch(content))
        widths << m.captured(1).toDouble();
    ASSERT_EQ(widths.size(), 2) << content.toStdString();
    EXPECT_NEAR(widths[0] + widths[1], 178, 3);
    EXPECT_NEAR(widths[1] / widths[0], 3, 0.1);
    EXPECT_FALSE(content.contains(QRegularExpression(R"(width="[\d.]+%")")));
    EXPECT_TRUE(content.contains("<table:table-header-rows><table:table-row>"));
    EXPECT_TRUE(content.contains(R"(table:number-columns-spanned="2")"));
    EXPECT_TRUE(content.contains("<table:covered-table-cell/>"));
    EXPECT_TRUE(content.contains(R"(fo:border-top="0.265mm solid #000000")"));
    EXPECT_TRUE(content.contains(R"(style:vertical-align="top")"));
    EXPECT_TRUE(content.contains(R"(style:vertical-align="middle")"));
    EXPECT_TRUE(content.contains(BoilerTotal));
    // The page break, and the picture inside the file at its size (96 px: 25.4 mm).
    EXPECT_TRUE(content.contains(R"(fo:break-before="page")"));
    EXPECT_TRUE(content.contains(R"(svg:width="25.400mm" svg:height="12.700mm")"))
        << content.toStdString();
    const QImage stored = QImage::fromData(zip.fileData("Pictures/1.png"));
    EXPECT_EQ(stored.size(), logo.size());
    EXPECT_TRUE(QString::fromUtf8(zip.fileData("META-INF/manifest.xml"))
                    .contains(R"(manifest:full-path="Pictures/1.png")"));
}

TEST_F(Filler, RelativeFontSizesFollowTheBodyFontNotTheWindows)
{
    if (!installed("pdftotext"))
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    // A word processor writes sizes relative to the document's font; the window's is 11 px.
    ASSERT_EQ(QGuiApplication::font().pixelSize(), 11);
    DocumentFiller filler;
    filler.open(fixture("<p><font size=\"2\">мелкий</font> обычный</p>"));
    const QString pdf = writeFile(dir.filePath("sizes.pdf"), filler.pdfBytes());
    const QString boxes = output("pdftotext", {"-bbox", pdf, "-"});
    static const QRegularExpression word(
        R"re(<word xMin="[\d.]+" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">(\S+)</word>)re");
    QMap<QString, double> heights; // points
    for (const QRegularExpressionMatch &m : word.globalMatch(boxes))
        heights[m.captured(3)] = m.captured(2).toDouble() - m.captured(1).toDouble();
    ASSERT_EQ(heights.size(), 2) << boxes.toStdString();
    EXPECT_GT(heights["мелкий"], 7) << boxes.toStdString();
    EXPECT_LT(heights["мелкий"], heights["обычный"]);
    // Times New Roman at 11 pt: a line box of about 12.5 pt.
    EXPECT_NEAR(heights["обычный"], 12.5, 1);
}

TEST_F(Filler, PicturesAreFoundBesideTheTemplateWhateverTheWorkingFolder)
{
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(QDir().mkpath(dir.filePath("forms")));
    ASSERT_TRUE(logo.save(dir.filePath("forms/logo.png")));
    // A picture of the same name in the working folder must not be taken instead.
    QImage other(10, 10, QImage::Format_RGB32);
    other.fill(Qt::blue);
    ASSERT_TRUE(other.save(dir.filePath("logo.png")));
    const QString working = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const auto restore = qScopeGuard([&] { QDir::setCurrent(working); });
    const QString path = writeFile(dir.filePath("forms/template.rv"),
                                   "<html><body><p><img src=\"logo.png\">#итог&</p></body></html>");

    DocumentFiller filler;
    filler.open(path);
    const QVariant picture =
        filler.document().resource(QTextDocument::ImageResource, QUrl("logo.png"));
    EXPECT_EQ(picture.value<QImage>().size(), QSize(40, 20));
    EXPECT_TRUE(filler.pdfBytes().startsWith("%PDF"));
}

TEST_F(Filler, RefusedResourcesGiveAnEmptyPictureAndNeverBlock)
{
    const QString fifo = dir.filePath("pipe.png");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString sheet = dir.filePath("pipe.css");
    ASSERT_EQ(mkfifo(QFile::encodeName(sheet).constData(), 0600), 0);
    writeFile(dir.filePath("broken.png"), "not a picture");
    DocumentFiller filler;
    // Without the guard each of these would block in open() or read for ever.
    filler.open(fixture("<link rel=\"stylesheet\" href=\"pipe.css\"><p><img src=\"pipe.png\">"
                        "<img src=\"" +
                        fifo.toUtf8() +
                        "\"><img src=\"file:///dev/zero\"><img src=\"/dev/urandom\">"
                        "<img src=\"broken.png\"><img src=\"missing.png\">#итог&</p>"));
    filler.replaceAll("#итог&", BoilerTotal);
    EXPECT_TRUE(filler.pdfBytes().startsWith("%PDF"));
    for (const char *name : {"pipe.png", "/dev/zero", "broken.png", "missing.png"}) {
        const QVariant picture =
            filler.document().resource(QTextDocument::ImageResource, QUrl(name));
        EXPECT_EQ(picture.value<QImage>().size(), QSize(1, 1)) << name;
    }
}

TEST_F(Filler, LayoutsBeyondAnyPageEndWithAMessage)
{
    const QByteArray hostile[] = {
        "<table style=\"margin: 2147483647px\"><tr><td>#итог&</td></tr></table>",
        "<table><tr><td style=\"padding: 2147483647px\">#итог&</td></tr></table>",
        "<p>a</p><p style=\"margin-top: 2147483647px\">#итог&</p>",
        "<p style=\"font-size: 2147483647px\">#итог&</p>",
        "<p style=\"text-indent: 1e300px\">#итог&</p>",
        "<table><tr><td colspan=\"2147483647\">#итог&</td></tr></table>",
        "<p><img src=\"none.png\" width=\"2147483647\" height=\"2147483647\">#итог&</p>",
        // Fits no page budget: every paragraph on a page of its own.
        QByteArray("<p style=\"page-break-before:always\">#итог&</p>").repeated(60),
    };
    for (const QByteArray &html : hostile) {
        const QString path = fixture(html);
        const QString message = test::errorMessage([&] {
            DocumentFiller filler;
            filler.open(path);
            filler.pdfBytes();
        });
        EXPECT_TRUE(message.contains(path))
            << "laid out or refused without the name: " << html.left(80).toStdString()
            << message.toStdString();
    }
}

TEST_F(Filler, ManyOccurrencesInOneParagraph)
{
    // Searching the paragraph anew for each occurrence took minutes here.
    constexpr int Occurrences = int(MaxPlaceholderTexts);
    const QByteArray paragraph = "<p>" + QByteArray("#a& ").repeated(Occurrences) + "</p>";
    DocumentFiller filler;
    filler.open(fixture(paragraph));
    filler.replaceAll("#a&", "1,5");
    EXPECT_EQ(filler.plainText(), QString("1,5 ").repeated(Occurrences));
    filler.open(fixture(paragraph));
    filler.fill({{"#a&", "1,5"}});
    EXPECT_EQ(filler.plainText(), QString("1,5 ").repeated(Occurrences));
}

} // namespace

namespace {

QString shippedTemplate(const QString &name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

QStringList texts(const QList<TemplateFinding> &findings)
{
    QStringList all;
    for (const TemplateFinding &finding : findings)
        all << finding.text;
    return all;
}

TEST(TemplateCheck, ShippedTemplatesHoldExactlyTheirPlaceholders)
{
    const struct {
        QString name;
        Estimate estimate;
        qsizetype placeholders;
    } shipped[] = {{GeneralTemplate, Estimate::General, 41},
                   {BoilerTemplate, Estimate::Boiler, 36}};
    for (const auto &s : shipped) {
        EXPECT_EQ(estimatePlaceholders(s.estimate).size(), s.placeholders);
        EXPECT_EQ(estimatePlaceholders(s.estimate).last(), "#прописью&");
        const TemplateCheck check = checkTemplate(shippedTemplate(s.name), s.estimate);
        EXPECT_TRUE(check.passed()) << check.lines().join(u'\n').toStdString();
        EXPECT_EQ(check.lines(), QStringList()) << s.name.toStdString();
    }
}

TEST(TemplateCheck, NamesWhatTheFillerWouldMissOrLeave)
{
    QFile shipped(shippedTemplate(GeneralTemplate));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QByteArray html = shipped.readAll();
    QTemporaryDir dir;
    auto checked = [&](const QByteArray &changed) {
        const QString path = dir.filePath("dalko-en.rv");
        QFile copy(path);
        EXPECT_TRUE(copy.open(QIODevice::WriteOnly | QIODevice::Truncate));
        copy.write(changed);
        copy.close();
        return checkTemplate(path, Estimate::General);
    };

    TemplateCheck check = checkTemplate(shippedTemplate(GeneralTemplate), Estimate::Boiler);
    EXPECT_FALSE(check.passed());
    EXPECT_TRUE(texts(check.missing).contains("#NakR&"));
    EXPECT_TRUE(texts(check.unknown).contains("#суммаИНДСЭКС&"));

    check = checkTemplate(shippedTemplate(GeneralTemplate), Estimate::General);
    ASSERT_TRUE(check.passed());

    check = checked(QByteArray(html).replace("#Нв&", ""));
    EXPECT_FALSE(check.passed());
    EXPECT_EQ(texts(check.missing), QStringList{"#Нв&"});
    EXPECT_EQ(check.lines().size(), 1);

    // A firm's template older than the register of estimates: it prints without the number.
    check = checked(QByteArray(html).replace("#номер&", ""));
    EXPECT_TRUE(check.passed());
    EXPECT_EQ(check.lines(),
              QStringList{"#номер& — нет в тексте шаблона: смета печатается без номера из "
                          "журнала смет"});

    // Markup in the middle: found, but the value would take the bold of the last letters.
    check = checked(QByteArray(html).replace("#сумм1&", "#сум<b>м1</b>&"));
    EXPECT_FALSE(check.passed());
    EXPECT_EQ(texts(check.mixedFormat), QStringList{"#сумм1&"});
    EXPECT_TRUE(check.missing.isEmpty());

    // An entity is read as its character; a misspelled placeholder and a boiler-house one
    // are no placeholders of this estimate.
    check = checked(QByteArray(html)
                        .replace("#сумм7&", "#сумм7&amp;")
                        .replace("#сумм8&", "#сумм08&")
                        .replace("#НакР&", "#NakR&"));
    EXPECT_EQ(texts(check.missing), QStringList({"#сумм8&", "#НакР&"}));
    EXPECT_EQ(texts(check.unknown), QStringList({"#NakR&", "#сумм08&"}));
    EXPECT_TRUE(check.unknown[0].explanation.contains("другой сметы"));
    EXPECT_TRUE(check.unknown[1].explanation.contains("ни одной сметы"));
}

} // namespace

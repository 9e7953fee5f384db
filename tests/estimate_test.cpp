#include "estimate/boilerestimate.h"
#include "estimate/filler.h"
#include "estimate/generalestimate.h"

#include "qstring_print.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCursor>

#include <gtest/gtest.h>

using namespace dalko;
using namespace dalko::estimate;

namespace {

QStringList values(const QList<Replacement> &list)
{
    QStringList texts;
    for (const Replacement &r : list)
        texts << r.value;
    return texts;
}

GeneralInputs generalExample()
{
    GeneralInputs in;
    in.first = {"ООО «Заказчик»", "г. Зарбинск", "Школа", {"30000", "35", "35", "15"}};
    in.fuelTotal = 100;
    in.baseNorm = 200;
    general::CostInputs cost;
    cost.financial = {"30000", "35", "35", "15"};
    cost.baseNorm = 200;
    cost.fuelTotal = 100;
    cost.area = "1000";
    cost.decimal = u',';
    general::CostDisplay shown;
    general::recomputeCost(cost, in.cost, shown);
    in.format.decimal = u',';
    in.format.shortDateFormat = "dd.MM.yyyy";
    in.date = QDate(2026, 12, 10);
    return in;
}

TEST(GeneralEstimate, WorkedExample)
{
    const QList<Replacement> list = generalReplacements(generalExample());
    ASSERT_EQ(list.size(), 39);
    EXPECT_EQ(list[0].placeholder, "#ЧИСЛО&");
    EXPECT_EQ(list[38].placeholder, "#РайК&");
    const QStringList expected{"10.12.2026",
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
                               "114469,79",
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
                               "114469,79",
                               "Сметорий. Кэ=8% Таблица 1",
                               "Школа",
                               "г. Зарбинск",
                               "35",
                               "35",
                               "15"};
    EXPECT_EQ(values(list), expected);
}

TEST(GeneralEstimate, WithoutVatAndWithoutExpertise)
{
    GeneralInputs in = generalExample();
    in.cost.VatRate = 0;
    in.cost.VatSum = 0;
    QStringList v = values(generalReplacements(in));
    EXPECT_EQ(v[8], "НДС (не облагается)");
    EXPECT_EQ(v[9], "НДС (не облагается)");
    EXPECT_EQ(v[30], "НДС (не облагается)");
    EXPECT_EQ(v[10], "0%");
    EXPECT_EQ(v[11], "0");

    in = generalExample();
    in.cost.ExpertiseRate = 0;
    in.cost.ExpertiseSum = 0;
    v = values(generalReplacements(in));
    EXPECT_EQ(v[13], "0%");
    EXPECT_EQ(v[14], "0");
    EXPECT_EQ(v[15], v[12]);
    EXPECT_EQ(v[32], v[12]);
    EXPECT_EQ(v[33], "Не подлежит экспертизе");

    in.cost.ExpertiseRate = 0.075;
    v = values(generalReplacements(in));
    EXPECT_EQ(v[13], "7,5%");
    EXPECT_EQ(v[33], "Сметорий. Кэ=7,5% Таблица 1");
    in.first.financial.overheads = "035,0";
    EXPECT_EQ(values(generalReplacements(in))[36], "035,0");
}

BoilerInputs boilerDefaults()
{
    BoilerInputs in;
    in.first = {"не задано", "не задано", "не задано", {"30000", "35", "35", "15"}};
    in.boilerCount = "1";
    in.boilerKind = "Котельная с водогрейными котлами";
    in.capacity = "менее 0,5 Гкал/час";
    in.firingModes = "1";
    boiler::setDefaultFactors(in.cost);
    boiler::RecalcInputs recalc;
    recalc.financial = {"30000", "35", "35", "15"};
    recalc.decimal = u',';
    boiler::recalculate(recalc, in.cost);
    in.format.decimal = u',';
    in.date = QDate(2026, 1, 5);
    return in;
}

TEST(BoilerEstimate, DefaultInputs)
{
    const QList<Replacement> list = boilerReplacements(boilerDefaults());
    ASSERT_EQ(list.size(), 34);
    const QStringList expected{"05.01.2026",
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
                               "57926,51"};
    EXPECT_EQ(values(list), expected);
    EXPECT_EQ(list[18].placeholder, "#NakR&");
}

TEST(BoilerEstimate, SplitLabourCanDifferByAKopeck)
{
    BoilerInputs in = boilerDefaults();
    boiler::chooseBoilerCount(1, in.cost);
    boiler::chooseCapacity(0, in.cost);
    boiler::RecalcInputs recalc;
    recalc.financial = {"30000", "35", "35", "15"};
    recalc.decimal = u',';
    boiler::recalculate(recalc, in.cost);
    const QStringList v = values(boilerReplacements(in));
    EXPECT_EQ(v[12], "21696,26");
    EXPECT_EQ(v[16], "27321,21");
    EXPECT_EQ(v[17], "49017,46");
}

TEST(BoilerEstimate, PercentagesAreConvertedBeforeAnythingIsFilled)
{
    BoilerInputs in = boilerDefaults();
    in.first.financial.profit = "35,0";
    EXPECT_EQ(values(boilerReplacements(in))[21], "35");
    in.first.financial.overheads = "";
    try {
        boilerReplacements(in);
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(errorBoxText(e.message()), "'' is not a valid floating point value.");
    }
    in = boilerDefaults();
    in.cost.VatRate = 0;
    in.cost.ExpertiseRate = 0.07;
    const QStringList v = values(boilerReplacements(in));
    EXPECT_EQ(v[27], "НДС не облагается");
    EXPECT_EQ(v[28], "0%");
    EXPECT_EQ(v[31], "Сметорий. Кэ=7% Таблица №1");
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

TEST_F(Filler, LaterReplacementsActOnEarlierValues)
{
    DocumentFiller filler;
    filler.open(fixture("<p>[#a&][#b&][#c&]</p>"));
    filler.fill({{"#a&", "#b&"}, {"#b&", "B"}, {"#c&", ""}, {"#a&", "#a&#a&"}});
    EXPECT_EQ(filler.plainText(), "[B][B][]");
}

TEST_F(Filler, KeepsTheFormatOfThePlaceholder)
{
    DocumentFiller filler;
    filler.open(fixture("<p>обычный <b><span style=\"font-size:20pt\">#итог&</span></b></p>"));
    filler.replaceAll("#итог&", "57926,51");
    const QTextCursor found = filler.document().find("57926,51");
    ASSERT_FALSE(found.isNull());
    EXPECT_EQ(found.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(found.charFormat().fontPointSize(), 20);
}

TEST_F(Filler, MissingTemplateIsNamedInFull)
{
    DocumentFiller filler;
    try {
        filler.open(dir.filePath("нет.rv"));
        FAIL();
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(dir.filePath("нет.rv"))) << e.message().toStdString();
    }
}

TEST_F(Filler, WritesAPdfWhoseTextHoldsTheValues)
{
    if (QProcess::execute("pdftotext", {"-v"}) < 0)
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    DocumentFiller filler;
    filler.open(fixture(
        "<h1>Смета</h1><table border=\"1\"><tr><td>Итого</td><td>#итог& руб.</td></tr></table>"));
    filler.replaceAll("#итог&", "57926,51");
    const QString pdf = dir.filePath("смета.pdf");
    filler.writePdf(pdf);
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished());
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains("57926,51 руб.")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("Смета"));
}

} // namespace

// dalko-calc computes without windows, through the same core functions the pages call. Every
// report file of the test corpus, and a table of awkward ones, goes through both: the loaded
// pages and the process must print the same quantities, labels, replacements and saved lines.

#include "guifixture.h"
#include "worked_examples.h"

#include "Prog_U2.h"
#include "Prog_U3.h"
#include "T_U2.h"
#include "report_samples.h"
#include "reportfile/calculation.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>

namespace dalko::test {
namespace {

struct Output {
    QStringList lines;
    int status = 0;
};

class CalcAgreement : public GuiTest {
  protected:
    // What the pages show after loading the file and showing the last page, printed as
    // dalko-calc prints it.
    Output throughThePages(const QString &path)
    {
        Output out;
        const NumberFormat &format = program->regional;
        program->errors.setSink([&out](const QString &) { out.status = 1; });
        QStringList file;
        report::Calculator kind = report::Calculator::General;
        bool loaded = false;
        program->errors.run([&] {
            file = report::readFile(path);
            kind = report::calculatorOf(file);
            program->loadReport(kind, file);
            loaded = true;
        });
        if (!loaded)
            return out;
        auto print = [&](const QList<report::NamedQuantity> &quantities) {
            for (const auto &[name, value] : quantities)
                out.lines << name + u'\t' + numberToText(value, format.decimal);
        };
        bool computed = false;
        CostPage *last = nullptr;
        if (kind == report::Calculator::General) {
            TProg_F2 &f2 = program->TProg_F2();
            TProg_F3 &f3 = program->TProg_F3();
            program->errors.run([&] { f2.FormActivate(); });
            program->errors.run([&] {
                f3.FormActivate();
                computed = true;
            });
            print(report::namedQuantities(report::GeneralResult{f2.fuel.ReferenceFuel,
                                                                f2.fuel.ReferenceFuelTotal,
                                                                f2.fuel.BaseNorm,
                                                                f3.quantities,
                                                                {}}));
            out.lines << "Label7\t" + f3.Label7->text() << "Label11\t" + f3.Label11->text();
            last = &f3;
        } else {
            TT_F2 &t2 = program->TT_F2();
            program->errors.run([&] {
                t2.FormActivate();
                computed = true;
            });
            print(report::namedQuantities(t2.quantities));
            out.lines << "Label11\t" + t2.Label11->text();
            last = &t2;
        }
        if (computed)
            program->errors.run([&] {
                for (const estimate::Replacement &r : last->estimateReplacements())
                    out.lines << r.placeholder + u'\t' + r.value;
            });
        out.lines << "saved:" << program->reportLines(kind);
        return out;
    }

    Output throughDalkoCalc(const QString &path)
    {
        const QString saved = dir.filePath("saved.rvj");
        QFile::remove(saved);
        QProcess calc;
        calc.start(DALKO_CALC, {"--date", "2018-12-31", "--save", saved, path});
        EXPECT_TRUE(calc.waitForFinished(30000));
        Output out;
        out.status = calc.exitCode();
        out.lines =
            QString::fromUtf8(calc.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        if (QFile::exists(saved))
            out.lines << "saved:" << report::readFile(saved);
        return out;
    }

    void expectAgreement(const QString &path)
    {
        const Output calc = throughDalkoCalc(path);
        const Output pages = throughThePages(path);
        EXPECT_EQ(calc.status, pages.status) << path.toStdString();
        EXPECT_EQ(calc.lines, pages.lines) << path.toStdString();
        takeMessages();
    }

    QString file(const QStringList &lines)
    {
        const QString path = dir.filePath(QStringLiteral("case%1.rvj").arg(++m_files));
        report::writeFile(path, lines);
        return path;
    }

    QTemporaryDir dir;

  private:
    int m_files = 0;
};

TEST_F(CalcAgreement, EveryReportFileOfTheCorpus)
{
    const QDir corpus(QStringLiteral(DALKO_REPORT_CORPUS));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 10);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        expectAgreement(corpus.filePath(name));
        SetUp(); // a fresh program for the next file, as a fresh dalko-calc
    }
}

// Lines that load but leave a step failing, lists without an item, texts a page counts as 0.
TEST_F(CalcAgreement, AwkwardFiles)
{
    auto general = [](std::initializer_list<std::pair<int, const char *>> changes) {
        QStringList lines = GeneralDefaults;
        lines[7] = ExampleGas;
        for (const auto &[number, text] : changes)
            lines[number - 1] = QString::fromUtf8(text);
        return lines;
    };
    auto boiler = [](std::initializer_list<std::pair<int, const char *>> changes) {
        QStringList lines = BoilerDefaults;
        for (const auto &[number, text] : changes)
            lines[number - 1] = QString::fromUtf8(text);
        return lines;
    };
    const QList<QStringList> files{
        general({{1, "ООО «Заказчик»"}, {22, "1000"}}),
        general({{17, "99"}}),
        general(
            {{17, "49"},
             {18, "7"},
             {19, "2"}}), // one past each list: no item // no branch: the cost stops with a message
        general({{21, "1"}, {20, "1"}, {22, "-5"}}),
        general({{5, ""}}), // overheads do not convert
        general({{8, "1 234,5"}, {9, "abc"}, {10, "1e18"}}),
        general({{8, "2000000"}}), // outside the norm table
        boiler({{9, "10"}, {10, "0"}, {11, "2"}, {12, "1"}, {13, "1"}}),
        boiler({{9, "-1"}, {18, "3"}, {17, "0,75"}}),
        boiler({{9, "11"}, {10, "3"}, {12, "2"}, {13, "2"}}),
        boiler({{4, "abc"}}), // the salary does not convert
        boiler({{8, "false"}, {1, "ООО «Котельная»"}}),
    };
    for (const QStringList &lines : files) {
        SCOPED_TRACE(lines.join(u'|').toStdString());
        expectAgreement(file(lines));
        SetUp();
    }
}

} // namespace
} // namespace dalko::test

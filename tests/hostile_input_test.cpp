// Hostile texts in every numeric field of both calculators, set as a paste or a report file
// would set them (the keystroke filter never sees them). The last page of the calculator then
// either computes finite amounts that its labels show, or shows exactly one error box with
// the message of the step that failed; no label ever shows an infinity or a NaN.

#include "guifixture.h"
#include "report_samples.h"

#include "Logo_U.h"
#include "Prog_U.h"
#include "Prog_U2.h"
#include "Prog_U3.h"
#include "T_U1.h"
#include "T_U2.h"
#include "errorbox.h"
#include "reportfile/codepage.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cmath>
#include <string>
#include <vector>

namespace dalko::test {
namespace {

// What the last page makes of a hostile text; the whole table of texts is checked on the
// arithmetic itself, these cases check that the pages carry it to the screen.
enum class Outcome {
    Computes,     // finite amounts, no box
    NotConverted, // "'text' is not a valid floating point value."
    Invalid,      // Round out of the 64-bit range: "Invalid floating point operation."
    Overflow,     // beyond the extended range: "Floating point overflow."
};

QString expectedBox(Outcome outcome, const QString &text)
{
    switch (outcome) {
    case Outcome::NotConverted:
        return BoxTitle + errorBoxText(messages::notAFloat(text));
    case Outcome::Invalid:
        return BoxTitle + errorBoxText(messages::invalidOperation());
    case Outcome::Overflow:
        return BoxTitle + errorBoxText(messages::overflow());
    case Outcome::Computes:
        break;
    }
    return {};
}

// A hostile text in one field of a first or middle page, and what the cost page makes of it.
struct FieldCase {
    const char *field;
    QLineEdit *(*edit)(Program &);
    const char *text;
    Outcome outcome;
};

class Hostile : public GuiTest {
  protected:
    // No label of any window shows an infinity or a NaN.
    void expectNoInfiniteLabels(const std::string &context)
    {
        const QList<QWidget *> windows{&program->TProg_F(), &program->TProg_F2(),
                                       &program->TProg_F3(), &program->TT_F1(), &program->TT_F2()};
        for (QWidget *window : windows)
            for (QLabel *label : window->findChildren<QLabel *>())
                EXPECT_FALSE(label->text().contains(u"inf", Qt::CaseInsensitive) ||
                             label->text().contains(u"nan", Qt::CaseInsensitive))
                    << context << ": " << label->objectName().toStdString() << " shows "
                    << label->text().toStdString();
    }

    // Either the expected single box, or none; a box that does appear is answered.
    void expectOutcome(Outcome outcome, const QString &text, const std::string &context)
    {
        const QStringList boxes = takeMessages();
        if (outcome == Outcome::Computes)
            EXPECT_EQ(boxes, QStringList()) << context;
        else
            EXPECT_EQ(boxes, QStringList{expectedBox(outcome, text)}) << context;
    }

    void expectGeneralShowsItsQuantities(const std::string &context)
    {
        const TProg_F2 &f2 = program->TProg_F2();
        for (int row = 0; row < general::ResourceCount; ++row) {
            ASSERT_TRUE(std::isfinite(f2.fuel.ReferenceFuel[row])) << context;
            EXPECT_EQ(f2.ResultLabels[row]->text(),
                      numberToText(f2.fuel.ReferenceFuel[row], u',') + " т.у.т.")
                << context;
        }
        EXPECT_EQ(f2.Label40->text(), numberToText(f2.fuel.ReferenceFuelTotal, u',') + " т.у.т.")
            << context;
        const general::CostQuantities &q = program->TProg_F3().quantities;
        for (double amount :
             {q.HourlyWage, q.LabourCost, q.OverheadSum, q.ProfitSum, q.SubtotalCost, q.RegionalSum,
              q.VatSum, q.CostWithVat, q.ExpertiseSum})
            ASSERT_TRUE(std::isfinite(amount)) << context;
        EXPECT_EQ(program->TProg_F3().Label11->text(),
                  numberToText(R2(q.totalCost()).value(), u',') + " руб")
            << context;
    }

    void expectBoilerShowsItsQuantities(const std::string &context)
    {
        const boiler::Quantities &q = program->TT_F2().quantities;
        for (double amount : {q.HourlyWage, q.LabourCost, q.OverheadSum, q.ProfitSum, q.RegionalSum,
                              q.CostNoVat, q.VatSum, q.CostWithVat, q.ExpertiseSum, q.TotalCost})
            ASSERT_TRUE(std::isfinite(amount)) << context;
        EXPECT_EQ(program->TT_F2().Label11->text(), numberToText(q.TotalCost, u',')) << context;
    }

    // A fresh program for each case, so that no case starts from another's failure.
    void restart()
    {
        program.reset();
        // A box that comes late still shows up in the next case's takeMessages.
        program = std::make_unique<Program>();
        program->createWindows();
        program->TLogo_F().Timer1->stop();
    }
};

TEST_F(Hostile, GeneralCalculatorFields)
{
    const FieldCase cases[] = {
        {"TProg_F Edit2", [](Program &p) { return p.TProg_F().Edit2; }, "", Outcome::NotConverted},
        {"TProg_F Edit3", [](Program &p) { return p.TProg_F().Edit3; }, "1E300", Outcome::Invalid},
        {"TProg_F Edit7", [](Program &p) { return p.TProg_F().Edit7; }, "1E4931",
         Outcome::Overflow},
        {"TProg_F2 Edit3", [](Program &p) { return p.TProg_F2().Edits[2]; }, "1E4000",
         Outcome::Computes},
        {"TProg_F3 Edit1", [](Program &p) { return p.TProg_F3().Edit1; }, "abc", Outcome::Computes},
    };
    for (const FieldCase &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const std::string context = std::string(c.field) + " = '" + c.text + "'";
        restart();
        program->TProg_F2().Edits[0]->setText("1000");
        QLineEdit *edit = c.edit(*program);
        edit->setText(text);
        EXPECT_EQ(edit->text(), text) << context;
        const QString totalBefore = program->TProg_F3().Label11->text();
        activate(&program->TProg_F3());
        expectOutcome(c.outcome, text, context);
        if (c.outcome == Outcome::Computes)
            expectGeneralShowsItsQuantities(context);
        else
            EXPECT_EQ(program->TProg_F3().Label11->text(), totalBefore) << context;
        expectNoInfiniteLabels(context);
    }
    EXPECT_EQ(program->TProg_F2().fuel.ReferenceFuel[2], 0);
    EXPECT_EQ(program->TProg_F3().Label7->text(), "0 руб/кв.м");
}

TEST_F(Hostile, ConsumptionBeyondTheNormTableIsRefusedOnTheCostPage)
{
    for (const char *text : {"1E16", "2000000", "-1000"}) {
        const std::string context = std::string("TProg_F2 Edit1 = '") + text + "'";
        restart();
        program->TProg_F2().Edits[0]->setText(text);
        activate(&program->TProg_F3());
        const double total = program->TProg_F2().fuel.ReferenceFuelTotal;
        ASSERT_TRUE(std::isfinite(total)) << context;
        EXPECT_FALSE(general::normDefined(total)) << context;
        EXPECT_TRUE(program->TProg_F2().NormWarning->isVisibleTo(&program->TProg_F2())) << context;
        EXPECT_EQ(program->TProg_F2().Label40->text(), numberToText(total, u',') + " т.у.т.")
            << context;
        EXPECT_EQ(takeMessages(),
                  QStringList{BoxTitle + errorBoxText(general::normUndefinedMessage(total, u','))})
            << context;
        EXPECT_EQ(program->TProg_F3().Label11->text(), "0 руб.") << context;
        expectNoInfiniteLabels(context);
    }
}

TEST_F(Hostile, BoilerCalculatorFields)
{
    const FieldCase cases[] = {
        {"TT_F1 Edit2", [](Program &p) { return p.TT_F1().Edit2; }, "1E300", Outcome::Invalid},
        {"TT_F1 Edit4", [](Program &p) { return p.TT_F1().Edit4; }, "12.5", Outcome::NotConverted},
        {"TT_F1 Edit7", [](Program &p) { return p.TT_F1().Edit7; }, "-0", Outcome::Computes},
    };
    for (const FieldCase &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const std::string context = std::string(c.field) + " = '" + c.text + "'";
        restart();
        c.edit(*program)->setText(text);
        const QString totalBefore = program->TT_F2().Label11->text();
        activate(&program->TT_F2());
        expectOutcome(c.outcome, text, context);
        if (c.outcome == Outcome::Computes) {
            expectBoilerShowsItsQuantities(context);
        } else {
            EXPECT_EQ(program->TT_F2().Label11->text(), totalBefore) << context;
        }
        expectNoInfiniteLabels(context);
    }
}

// The seven quantities of a boiler-house report file are numbers; a hostile one is refused
// while loading, or loads and then fails or computes on the cost page.
TEST_F(Hostile, BoilerReportFileQuantities)
{
    struct Case {
        int number; // 14 to 19: the norms and coefficients (20, the wage, is computed again)
        const char *text;
        Outcome atLoad;
        Outcome onCostPage; // when it loads
    };
    const Case cases[] = {
        {14, "1 2", Outcome::NotConverted, Outcome::Computes},
        {15, "0,5\t", Outcome::NotConverted, Outcome::Computes},
        {16, "1E4000", Outcome::Overflow, Outcome::Computes}, // too large for a double
        {17, "1E300", Outcome::Computes, Outcome::Invalid},
        {18, "-1E300", Outcome::Computes, Outcome::Invalid},
        {19, "1E-300", Outcome::Computes, Outcome::Computes},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Case &c : cases) {
        const int number = c.number;
        const QString text = QString::fromUtf8(c.text);
        const std::string context = "line " + std::to_string(number) + " = '" + c.text + "'";
        restart();
        QStringList lines = BoilerDefaults;
        lines[number - 1] = text;
        const QString path = dir.filePath(QStringLiteral("hostile.rvj"));
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            for (const QString &line : lines)
                file.write(report::toWindows1251(line) + "\r\n");
        }
        activate(&program->TT_F1());
        // Chosen before the dialog shows: once it is up with its name field focused,
        // selectFile no longer fills that field and the watcher's accept would not close it.
        program->TT_F1().OpenDialog1->selectFile(path);
        watcher->fileToChoose = path;
        click(program->TT_F1().Button2);
        expectOutcome(c.atLoad, text, context + " (loading)");
        const QString totalBefore = program->TT_F2().Label11->text();
        activate(&program->TT_F2());
        const Outcome onCostPage = c.atLoad == Outcome::Computes ? c.onCostPage : Outcome::Computes;
        expectOutcome(onCostPage, text, context);
        if (onCostPage == Outcome::Computes) {
            expectBoilerShowsItsQuantities(context);
        } else {
            EXPECT_EQ(program->TT_F2().Label11->text(), totalBefore) << context;
        }
        expectNoInfiniteLabels(context);
    }
}

} // namespace
} // namespace dalko::test

#include "guifixture.h"
#include "worked_examples.h"

#include "Prog_U.h"
#include "Prog_U2.h"
#include "Prog_U3.h"
#include "T_U1.h"
#include "T_U2.h"
#include "estimatepreview.h"

#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace dalko::test {
namespace {

// Without a print server of the test's own, the program sees no printer at all.
class Printing : public GuiTest {};

TEST_F(Printing, WithoutAPrinterNothingIsPrintedAndTheUserIsTold)
{
    if (qEnvironmentVariableIsSet("DALKO_PRINT_JOB"))
        GTEST_SKIP() << "a print server is running for the end-to-end test";
    program->TProg_F2().Edits[0]->setText(ExampleGas);
    activate(&program->TProg_F3());
    click(program->TProg_F3().Button1);
    const QStringList seen = takeMessages();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].startsWith(BoxTitle + "В системе не установлен ни один принтер"))
        << seen[0].toStdString();
}

TEST_F(Printing, AnUnconvertiblePercentageStopsTheBoilerEstimateFirst)
{
    program->TT_F1().Edit3->setText("");
    activate(&program->TT_F2());
    EXPECT_EQ(takeMessages(), QStringList{BoxTitle + "'' is not a valid floating point value."});
    click(program->TT_F2().Button1);
    EXPECT_EQ(takeMessages(),
              QStringList{BoxTitle + "Расчет стоимости не завершен, смета не сформирована. "
                                     "'' is not a valid floating point value."});
}

// Run by print_test.sh with a private cupsd whose default printer writes to DALKO_PRINT_JOB.
class PrintEndToEnd : public GuiTest {
  protected:
    void SetUp() override
    {
        job = qEnvironmentVariable("DALKO_PRINT_JOB");
        if (job.isEmpty())
            GTEST_SKIP() << "needs the print server of tests/print_test.sh";
        GuiTest::SetUp();
    }

    // Presses the button, waits for the job file and gives its text.
    QString print(QPushButton *button)
    {
        QFile::remove(job);
        click(button);
        EXPECT_TRUE(takeMessages().isEmpty());
        const bool printed = QTest::qWaitFor(
            [&] {
                QProcess jobs;
                jobs.start("lpstat", {"-o"});
                jobs.waitForFinished();
                return QFileInfo(job).size() > 0 &&
                       jobs.readAllStandardOutput().trimmed().isEmpty();
            },
            60000);
        EXPECT_TRUE(printed) << "no job arrived in " << job.toStdString();
        QProcess text;
        text.start("pdftotext", {job, "-"});
        text.waitForFinished();
        return QString::fromUtf8(text.readAllStandardOutput());
    }

    void expectEveryValue(const QString &printed, const QList<estimate::Replacement> &replacements)
    {
        // pdftotext joins a wrapped line with a break: compare without blanks.
        QString flat = printed;
        flat.remove(QRegularExpression("\\s"));
        for (const estimate::Replacement &r : replacements) {
            QString value = r.value;
            value.remove(QRegularExpression("\\s"));
            EXPECT_TRUE(flat.contains(value))
                << r.placeholder.toStdString() << " = " << r.value.toStdString();
        }
        EXPECT_FALSE(printed.contains(QRegularExpression("#[^\\s#&]+&"))) << printed.toStdString();
    }

    QString job;
};

TEST_F(PrintEndToEnd, GeneralEstimateReachesThePrinter)
{
    program->TProg_F().CheckBox1->setChecked(false);
    program->TProg_F().Edit1->setText("ООО «Теплосеть»");
    program->TProg_F().Edit6->setText("Котельная №3 и тепловые сети");
    program->TProg_F2().Edits[0]->setText(ExampleGas);
    program->TProg_F3().Edit1->setText("1000");
    activate(&program->TProg_F3());
    const QString printed = print(program->TProg_F3().Button1);
    expectEveryValue(printed, program->TProg_F3().estimateReplacements());
    EXPECT_TRUE(printed.contains(GeneralTotal));
}

TEST_F(PrintEndToEnd, BoilerEstimateReachesThePrinter)
{
    activate(&program->TT_F2());
    const QString printed = print(program->TT_F2().Button1);
    expectEveryValue(printed, program->TT_F2().estimateReplacements());
    EXPECT_TRUE(printed.contains(BoilerTotal));
}

TEST_F(PrintEndToEnd, ThePrintCarriesTheDateAndRateChosen)
{
    activate(&program->TT_F2());
    ASSERT_TRUE(chooseEstimateTerms(program->TT_F2(), QDate(2026, 1, 5)));
    const QString printed = print(program->TT_F2().Button1);
    expectEveryValue(printed, program->TT_F2().estimateReplacements());
    for (const QString &value : QStringList{"05.01.2026", "22%", BoilerTotal2026})
        EXPECT_TRUE(printed.contains(value)) << value.toStdString();
}

// The preview prints nothing by itself: closed, no job; printed through its print dialog, the
// estimate reaches the printer chosen there (the default, as the dialog opens).
TEST_F(PrintEndToEnd, ThePreviewPrintsOnlyThroughThePrintDialog)
{
    activate(&program->TT_F2());
    QFile::remove(job);
    QTimer::singleShot(0, [] {
        if (auto *preview =
                qobject_cast<estimate::EstimatePreview *>(QApplication::activeModalWidget()))
            preview->reject();
    });
    click(program->TT_F2().Button5);
    QTest::qWait(1000);
    EXPECT_FALSE(QFileInfo::exists(job)) << "closing the preview printed";

    QTimer::singleShot(0, [] {
        auto *preview =
            qobject_cast<estimate::EstimatePreview *>(QApplication::activeModalWidget());
        if (!preview)
            return;
        QTimer::singleShot(200, [] {
            if (auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        preview->printAction()->trigger();
        preview->reject();
    });
    const QString printed = print(program->TT_F2().Button5);
    expectEveryValue(printed, program->TT_F2().estimateReplacements());
}

} // namespace
} // namespace dalko::test

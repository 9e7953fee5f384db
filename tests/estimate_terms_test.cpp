// "Параметры сметы" on both last pages: the estimate's date and its VAT rate, by the law on
// that date or fixed by the firm.

#include "guifixture.h"
#include "worked_examples.h"

#include "Prog_U2.h"
#include "Prog_U3.h"
#include "T_U2.h"
#include "estimatepreview.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace dalko::test {
namespace {

class EstimateTermsTest : public GuiTest {
  protected:
    QString replacement(CostPage &page, const QString &placeholder)
    {
        for (const estimate::Replacement &r : page.estimateReplacements())
            if (r.placeholder == placeholder)
                return r.value;
        return QStringLiteral("<none>");
    }
    // The text of the estimate "Просмотр сметы…" shows, saved from the preview as PDF.
    QString previewText(CostPage &page)
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("смета.pdf");
        QTimer::singleShot(0, [&] {
            if (auto *preview =
                    qobject_cast<estimate::EstimatePreview *>(QApplication::activeModalWidget())) {
                program->errors.run([&] { preview->saveAs(pdf); });
                preview->reject();
            }
        });
        click(page.Button5);
        QProcess text;
        text.start("pdftotext", {pdf, "-"});
        EXPECT_TRUE(text.waitForFinished());
        return QString::fromUtf8(text.readAllStandardOutput());
    }
};

TEST_F(EstimateTermsTest, TheDateChosenSetsTheRateAndRecomputesAtOnce)
{
    TT_F2 &page = program->TT_F2();
    activate(&page);
    EXPECT_EQ(page.VatCaption->text(), "НДС 18 % на 31.12.2018");
    EXPECT_EQ(page.Label11->text(), BoilerTotal);

    ASSERT_TRUE(chooseEstimateTerms(page, QDate(2026, 1, 5)));
    EXPECT_EQ(page.VatCaption->text(), "НДС 22 % на 05.01.2026");
    EXPECT_EQ(page.Label11->text(), BoilerTotal2026);
    EXPECT_EQ(replacement(page, "#ЧИСЛО&"), "05.01.2026");
    EXPECT_EQ(replacement(page, "#Nds&"), "22%");

    TProg_F3 &general = program->TProg_F3();
    program->TProg_F2().Edits[0]->setText(ExampleGas);
    activate(&general);
    EXPECT_EQ(general.VatCaption->text(), "НДС 22 % на 05.01.2026");
    EXPECT_EQ(general.Label11->text(), GeneralTotal2026 + " руб");
    ASSERT_TRUE(chooseEstimateTerms(general, QDate(2025, 12, 31)));
    EXPECT_EQ(general.VatCaption->text(), "НДС 20 % на 31.12.2025");
    EXPECT_EQ(general.Label11->text(), "116409,96 руб");
    EXPECT_EQ(replacement(general, "#НДС%&"), "20%");
    EXPECT_EQ(takeMessages(), QStringList());
}

// The preview shows, and saves, the estimate of the date and rate chosen.
TEST_F(EstimateTermsTest, ThePreviewCarriesTheNewFiguresAndDate)
{
    TT_F2 &page = program->TT_F2();
    activate(&page);
    ASSERT_TRUE(chooseEstimateTerms(page, QDate(2026, 1, 5)));
    const QString printed = previewText(page);
    for (const QString &value : QStringList{"05.01.2026", "22%", "9999,87", BoilerTotal2026})
        EXPECT_TRUE(printed.contains(value)) << value.toStdString();
    EXPECT_FALSE(printed.contains(BoilerTotal));
    EXPECT_EQ(takeMessages(), QStringList());
}

// A program left open overnight: the estimate bears the day it is formed, and that day's rate,
// unless its date was chosen on purpose. Choosing today's date is not choosing a day.
TEST_F(EstimateTermsTest, AnEstimateNotDatedOnPurposeBearsTheDayItIsFormed)
{
    TT_F2 &page = program->TT_F2();
    activate(&page);
    ASSERT_EQ(page.VatCaption->text(), "НДС 18 % на 31.12.2018");
    program->estimateTerms.dateChosen = false; // as if computed on that day, now past

    const QDate today = QDate::currentDate();
    const QString todayText = dateText(today, program->regional);
    const QString rate = QString::number(legalVatPercent(today));
    const QString printed = previewText(page);
    EXPECT_TRUE(printed.contains(todayText)) << printed.toStdString();
    EXPECT_TRUE(printed.contains(rate + '%')) << printed.toStdString();
    EXPECT_FALSE(printed.contains("31.12.2018"));
    EXPECT_EQ(page.VatCaption->text(), "НДС " + rate + " % на " + todayText);

    ASSERT_TRUE(chooseEstimateTerms(page, today));
    EXPECT_FALSE(program->estimateTerms.dateChosen);
    ASSERT_TRUE(chooseEstimateTerms(page, QDate(2026, 1, 5)));
    EXPECT_TRUE(program->estimateTerms.dateChosen);
    EXPECT_TRUE(previewText(page).contains("05.01.2026"));
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(EstimateTermsTest, AFixedRateSurvivesARestartTheDateDoesNot)
{
    TT_F2 &page = program->TT_F2();
    activate(&page);
    ASSERT_TRUE(chooseEstimateTerms(page, QDate(2019, 3, 1), "20"));
    EXPECT_EQ(page.VatCaption->text(), "НДС 20 % (установлена)");
    EXPECT_EQ(replacement(page, "#Nds&"), "20%");
    EXPECT_EQ(replacement(page, "#ЧИСЛО&"), "01.03.2019");

    program.reset();
    program = std::make_unique<Program>();
    EXPECT_EQ(program->estimateTerms.date, QDate::currentDate());
    EXPECT_EQ(program->estimateTerms.fixedVatPercent, 20);
    program->createWindows();
    activate(&program->TT_F2());
    EXPECT_EQ(program->TT_F2().VatCaption->text(), "НДС 20 % (установлена)");

    // Back to the law: nothing fixed at the next start.
    ASSERT_TRUE(chooseEstimateTerms(program->TT_F2(), QDate(2026, 1, 5)));
    EXPECT_EQ(program->TT_F2().VatCaption->text(), "НДС 22 % на 05.01.2026");
    EXPECT_EQ(Program().estimateTerms.fixedVatPercent, std::nullopt);
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(EstimateTermsTest, ARateThatIsNoRateIsRefusedAndChangesNothing)
{
    TT_F2 &page = program->TT_F2();
    activate(&page);
    for (const char *typed : {"150", " ", "двадцать", "-3", "22%"}) {
        EXPECT_FALSE(chooseEstimateTerms(page, QDate(2026, 1, 5), QString::fromUtf8(typed)))
            << typed;
        EXPECT_EQ(takeMessages(),
                  QStringList{"Параметры сметы|Ставка НДС — число процентов от 0 до 99, "
                              "например 20 или 22."});
    }
    EXPECT_EQ(page.VatCaption->text(), "НДС 18 % на 31.12.2018");
    EXPECT_EQ(page.Label11->text(), BoilerTotal);
}

} // namespace
} // namespace dalko::test

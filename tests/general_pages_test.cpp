#include "guifixture.h"
#include "worked_examples.h"

#include "Prog_U.h"
#include "Prog_U2.h"
#include "Prog_U3.h"
#include "editablelist.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace dalko::test {
namespace {

class GeneralPages : public GuiTest {
  protected:
    TProg_F &f1() { return program->TProg_F(); }
    TProg_F2 &f2() { return program->TProg_F2(); }
    TProg_F3 &f3() { return program->TProg_F3(); }

    // A total of exactly 100 т.у.т., whose norm is 200.
    void consumeHundredTonnes() { f2().Edits[0]->setText(ExampleGas); }
};

TEST_F(GeneralPages, CustomerNotGivenLocksTheThreeFields)
{
    QLineEdit *customer[] = {f1().Edit1, f1().Edit5, f1().Edit6};
    for (QLineEdit *edit : customer) {
        EXPECT_FALSE(edit->isEnabled());
        EXPECT_EQ(edit->text(), "не задано");
    }
    EXPECT_TRUE(f1().CheckBox1->isChecked());
    EXPECT_EQ(f1().financialTexts().salary, "30000");

    activate(&f1());
    click(f1().CheckBox1);
    for (QLineEdit *edit : customer) {
        EXPECT_TRUE(edit->isEnabled());
        EXPECT_EQ(edit->text(), "не задано");
    }
    f1().Edit1->clear();
    type(f1().Edit1, QStringLiteral("ООО «Тепло»"));
    EXPECT_EQ(f1().Edit1->text(), "ООО «Тепло»");
    click(f1().CheckBox1);
    EXPECT_EQ(f1().Edit1->text(), "не задано");
    EXPECT_FALSE(f1().Edit1->isEnabled());
}

TEST_F(GeneralPages, KeystrokeFilterAllowsOneSeparatorPerBox)
{
    activate(&f1());
    QLineEdit *salary = f1().Edit2;
    salary->clear();
    type(salary, QStringLiteral("12.5"));
    EXPECT_EQ(salary->text(), "12,5");
    type(salary, QStringLiteral(",.-+ eЯ7"));
    EXPECT_EQ(salary->text(), "12,57");
    // The check looks at the box's own text, also when all of it is selected.
    salary->selectAll();
    type(salary, QStringLiteral(","));
    EXPECT_EQ(salary->text(), "12,57");
    f1().Edit3->clear();
    type(f1().Edit3, QStringLiteral(".5"));
    EXPECT_EQ(f1().Edit3->text(), ",5");
    QTest::keyClick(f1().Edit3, Qt::Key_Backspace);
    EXPECT_EQ(f1().Edit3->text(), ",");
    // Delete and Tab are commands, not characters.
    f1().Edit3->setText(QStringLiteral("12"));
    f1().Edit3->setFocus();
    f1().Edit3->setCursorPosition(0);
    QTest::keyClick(f1().Edit3, Qt::Key_Delete);
    EXPECT_EQ(f1().Edit3->text(), "2");
    QTest::keyClick(f1().Edit3, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), f1().Edit4);
    // Customer fields take anything; pasted text stays in a numeric box.
    f1().Edit4->setText(QStringLiteral("abc"));
    EXPECT_EQ(f1().Edit4->text(), "abc");
}

TEST_F(GeneralPages, EveryKeystrokeRecomputesConsumption)
{
    activate(&f2());
    QLineEdit *electricity = f2().Edits[0];
    electricity->clear();
    EXPECT_EQ(f2().ResultLabels[0]->text(), "0 т.у.т.");
    type(electricity, QStringLiteral("1"));
    EXPECT_EQ(f2().ResultLabels[0]->text(), "0,34 т.у.т.");
    type(electricity, QStringLiteral("0"));
    EXPECT_EQ(f2().ResultLabels[0]->text(), "3,44 т.у.т."); // 3.445 goes to the even hundredth
    type(electricity, QStringLiteral("00"));
    EXPECT_EQ(f2().ResultLabels[0]->text(), "344,5 т.у.т.");
    f2().Edits[1]->setText(QStringLiteral("100"));
    EXPECT_EQ(f2().ResultLabels[1]->text(), "14,86 т.у.т.");
    EXPECT_EQ(f2().Label40->text(), "359,36 т.у.т.");
    EXPECT_EQ(f2().fuel.ReferenceFuelTotal, 359.36);
    EXPECT_DOUBLE_EQ(f2().fuel.BaseNorm, 286.808);
    EXPECT_EQ(f2().NormLowerRow, 48);
    EXPECT_EQ(f2().NormUpperRow, 49);

    f2().Edits[1]->setText(QStringLiteral("сто"));
    EXPECT_EQ(f2().ResultLabels[1]->text(), "0 т.у.т.");
    EXPECT_EQ(f2().Label40->text(), "344,5 т.у.т.");
    EXPECT_FALSE(f2().NormWarning->isVisible());
    f2().ComboBox1->setCurrentIndex(0);
    EXPECT_EQ(f2().Label40->text(), "344,5 т.у.т.");
}

TEST_F(GeneralPages, TotalOutsideTheNormTableIsNeverPriced)
{
    activate(&f2());
    consumeHundredTonnes();
    EXPECT_EQ(f2().fuel.BaseNorm, 200);
    f2().Edits[2]->setText(QStringLiteral("500000")); // natural gas: 577000 т.у.т.
    EXPECT_EQ(f2().Label40->text(), "577100 т.у.т.");
    EXPECT_EQ(f2().fuel.BaseNorm, 0);
    EXPECT_TRUE(f2().NormWarning->isVisible());

    click(f2().Button1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher->messages.isEmpty(); }));
    const QStringList seen = takeMessages();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(
        seen[0].startsWith("НП ДАЛКО - Vivazuzudud|Суммарное потребление ТЭР 577100 т.у.т."))
        << seen[0].toStdString();
    EXPECT_EQ(f3().Label11->text(), "0 руб.");
    EXPECT_EQ(f3().quantities.LabourCost, 0);
}

TEST_F(GeneralPages, WorkedExampleOnTheCostPage)
{
    consumeHundredTonnes();
    f3().Edit1->setText(QStringLiteral("1000"));
    activate(&f3());
    const general::CostQuantities &q = f3().quantities;
    EXPECT_EQ(q.HourlyWage, 178.57);
    EXPECT_EQ(q.LabourCost, 42856.8);
    EXPECT_EQ(q.CostWithVat, 105990.55);
    EXPECT_EQ(q.ExpertiseSum, 8479.24);
    EXPECT_EQ(f3().Label7->text(), "105,99 руб/кв.м");
    EXPECT_EQ(f3().Label11->text(), GeneralTotal + " руб");
    EXPECT_EQ(QApplication::focusWidget(), f3().Button1);
}

TEST_F(GeneralPages, UserPickRecomputesAndReturnsFocusToPrint)
{
    consumeHundredTonnes();
    activate(&f3());
    f3().ComboBox5->setFocus();
    QTest::keyClick(f3().ComboBox5, Qt::Key_Down); // "без НДС"
    EXPECT_EQ(f3().ComboBox5->currentIndex(), 1);
    EXPECT_EQ(f3().quantities.VatSum, 0);
    EXPECT_EQ(f3().Label11->text(), "97008,3 руб");
    EXPECT_EQ(QApplication::focusWidget(), f3().Button1);

    f3().ComboBox4->setFocus();
    QTest::keyClick(f3().ComboBox4, Qt::Key_Down); // "без учета стоимости экспертизы"
    EXPECT_EQ(f3().quantities.ExpertiseSum, 0);
    EXPECT_EQ(f3().Label11->text(), "89822,5 руб");

    // Selecting from code runs nothing.
    f3().ComboBox3->setCurrentIndex(1);
    EXPECT_EQ(f3().quantities.MeteringCoef, 1.0);
    f3().ComboBox1->setCurrentIndex(29);
    EXPECT_EQ(f3().quantities.IndustryCoef, 1.2);
}

TEST_F(GeneralPages, TypingTheAreaChangesOnlyTheCostPerMetre)
{
    consumeHundredTonnes();
    activate(&f3());
    EXPECT_EQ(f3().Label7->text(), "0 руб/кв.м");
    f3().Edit1->clear();
    type(f3().Edit1, QStringLiteral("1000"));
    EXPECT_EQ(f3().Label7->text(), "105,99 руб/кв.м");
    f1().Edit2->setText(QStringLiteral("60000"));
    type(f3().Edit1, QStringLiteral("0"));
    EXPECT_EQ(f3().Label7->text(), "10,6 руб/кв.м");
    EXPECT_EQ(f3().Label11->text(), GeneralTotal + " руб");
    f3().Edit1->setText(QStringLiteral("abc"));
    EXPECT_EQ(f3().Label7->text(), "0 руб/кв.м");
}

TEST_F(GeneralPages, TypedListTextAsksForABranch)
{
    consumeHundredTonnes();
    activate(&f3());
    f3().ComboBox1->lineEdit()->selectAll();
    type(f3().ComboBox1->lineEdit(), QStringLiteral("Прочее"));
    EXPECT_EQ(f3().ComboBox1->currentIndex(), -1);
    EXPECT_EQ(f3().ComboBox1->currentText(), "Прочее");
    const QStringList seen = takeMessages();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.back(),
              "НП ДАЛКО - Vivazuzudud|Выберите отраслевую принадлежность объекта из списка.");
    EXPECT_EQ(f3().Label11->text(), GeneralTotal + " руб");
}

TEST_F(GeneralPages, UnconvertibleFieldShowsTheErrorAndKeepsEarlierSteps)
{
    consumeHundredTonnes();
    f1().Edit4->setText(QStringLiteral("35%"));
    activate(&f3());
    EXPECT_EQ(takeMessages(),
              QStringList{"НП ДАЛКО - Vivazuzudud|'35%' is not a valid floating point value."});
    EXPECT_EQ(f3().quantities.OverheadSum, 14999.88); // step 7 done
    EXPECT_EQ(f3().quantities.ProfitSum, 0);          // step 8 failed
    EXPECT_EQ(f3().Label11->text(), "0 руб.");
    EXPECT_NE(QApplication::focusWidget(), f3().Button1);
}

TEST_F(GeneralPages, ReturningFromTheErrorBoxDoesNotRecomputeAgain)
{
    consumeHundredTonnes();
    f1().Edit4->setText(QStringLiteral("35%"));
    activate(&f3());
    EXPECT_EQ(takeMessages().size(), 1);
    // The window system gives the page back its activation when the box closes.
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(&f3(), &activation);
    EXPECT_TRUE(takeMessages().isEmpty());
    // A later activation is the user's again.
    QApplication::sendEvent(&f3(), &activation);
    EXPECT_EQ(takeMessages().size(), 1);
}

TEST_F(GeneralPages, TextsOfTheLists)
{
    EXPECT_EQ(f3().ComboBox1->count(), 49);
    EXPECT_EQ(f3().ComboBox1->itemText(31), "Производство резинотехнических  изделий");
    EXPECT_EQ(f3().ComboBox2->count(), 8);
    EXPECT_EQ(f3().ComboBox3->itemText(0), "не менее 50% от общего потребления ");
    EXPECT_EQ(f3().ComboBox4->itemText(1), "без учета стоимости экспертизы");
    EXPECT_EQ(f2().ComboBox1->currentText(), "2011 год");
    for (EditableList *list :
         {f3().ComboBox1, f3().ComboBox2, f3().ComboBox3, f3().ComboBox4, f3().ComboBox5})
        EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(f1().Label4->text(), "Средний уровень зароботной платы организации руб/мес.");
    EXPECT_EQ(f2().Label1->text(),
              "Определение стоимости работ в области энергетического обследования");
    EXPECT_EQ(f2().Label2->text(), "Расчет выполнен на основании Рекомендаций «Сметорий», "
                                   "утвержденных СРО НП «Далко», Зарбинск.- 2011 г. ");
}

} // namespace
} // namespace dalko::test

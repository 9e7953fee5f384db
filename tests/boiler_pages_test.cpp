#include "guifixture.h"
#include "worked_examples.h"

#include "T_U1.h"
#include "T_U2.h"
#include "editablelist.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace dalko::test {
namespace {

class BoilerPages : public GuiTest {
  protected:
    TT_F1 &t1() { return program->TT_F1(); }
    TT_F2 &t2() { return program->TT_F2(); }

    void pick(EditableList *list, int steps)
    {
        list->setFocus();
        for (int i = 0; i < std::abs(steps); ++i)
            QTest::keyClick(list, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    }
};

TEST_F(BoilerPages, StartsLikeTheGeneralFirstPage)
{
    for (QLineEdit *edit : {t1().Edit1, t1().Edit5, t1().Edit6}) {
        EXPECT_FALSE(edit->isEnabled());
        EXPECT_EQ(edit->text(), "не задано");
    }
    EXPECT_EQ(t1().financialTexts().salary, "30000");
    EXPECT_EQ(t1().financialTexts().regional, "15");
    EXPECT_EQ(t2().Label11->text(), "0 руб.");
    EXPECT_EQ(t2().quantities.HourlyWage, 178.57);
    EXPECT_EQ(t2().quantities.BoilerKindCoef, 0.9);
    EXPECT_EQ(t2().ComboBox2->currentText(), "менее 0,5 Гкал/час");
    EXPECT_EQ(t2().ComboBox1->itemText(10), "11 и более");
    EXPECT_EQ(t2().Label3->text(), "Количество  работающих котлоагрегатов в котельной:");
}

TEST_F(BoilerPages, EveryPickRecalculatesAtOnce)
{
    activate(&t2());
    EXPECT_EQ(t2().Label11->text(), BoilerTotal);
    EXPECT_EQ(QApplication::focusWidget(), t2().Button1);
    pick(t2().ComboBox5, 1); // без НДС
    EXPECT_EQ(t2().Label11->text(), "49090,27");
    pick(t2().ComboBox5, -1);
    pick(t2().ComboBox4, 1); // без учета стоимости экспертизы
    EXPECT_EQ(t2().Label11->text(), "53635,66");
    pick(t2().ComboBox4, -1);

    // The largest boiler house: "11 и более", 10 Gcal/h and more, steam, liquid fuel, 5 modes.
    pick(t2().ComboBox1, 10);
    pick(t2().ComboBox2, -2);
    pick(t2().ComboBox3, -1);
    pick(t2().ComboBox6, -2);
    pick(t2().ComboBox7, 4);
    EXPECT_EQ(t2().quantities.BoilerNorm, 505);
    EXPECT_EQ(t2().quantities.DiagNorm, 230);
    EXPECT_EQ(t2().quantities.ExpertiseRate, 0.07);
    EXPECT_EQ(t2().Label11->text(), "651634,27");
}

TEST_F(BoilerPages, FactorsChangeOnlyThroughTheirLists)
{
    activate(&t2());
    t2().ComboBox1->setCurrentIndex(5); // from code: no handler
    t2().Recalculate();
    EXPECT_EQ(t2().quantities.BoilerNorm, 90);
    EXPECT_EQ(t2().Label11->text(), BoilerTotal);

    pick(t2().ComboBox1, 1); // the user's pick: 7 boilers
    EXPECT_EQ(t2().quantities.BoilerNorm, 355);
    const QString total = t2().Label11->text();

    t2().ComboBox1->lineEdit()->selectAll();
    type(t2().ComboBox1->lineEdit(), QStringLiteral("двенадцать"));
    EXPECT_EQ(t2().ComboBox1->currentIndex(), -1);
    EXPECT_EQ(t2().quantities.BoilerNorm, 355);
    EXPECT_EQ(t2().quantities.DiagBoilersCoef, 3.8);
    EXPECT_EQ(t2().Label11->text(), total);
}

TEST_F(BoilerPages, EmptySalaryShowsTheErrorOnTheFirstVisit)
{
    activate(&t1());
    t1().Edit2->clear();
    click(t1().Button1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher->messages.isEmpty(); }));
    EXPECT_TRUE(t2().isVisible());
    EXPECT_FALSE(t1().isVisible());
    EXPECT_EQ(takeMessages(),
              QStringList{"НП ДАЛКО - Vivazuzudud|'' is not a valid floating point value."});
    EXPECT_EQ(t2().Label11->text(), "0 руб.");
    EXPECT_EQ(t2().quantities.HourlyWage, 178.57); // the failing step assigned nothing
}

} // namespace
} // namespace dalko::test

#include "guifixture.h"
#include "worked_examples.h"

#include "Logo_U.h"
#include "Prog_U.h"
#include "Prog_U2.h"
#include "Prog_U3.h"
#include "Prog_UL2.h"
#include "T_U1.h"
#include "T_U2.h"
#include "report_samples.h"
#include "version.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <new>
#include <stdexcept>

namespace dalko::test {
namespace {

QList<QWidget *> windowsOf(const Program &p)
{
    return {&p.TLogo_F(),   &p.TProg_F(), &p.TProg_F2(), &p.TProg_F3(),
            &p.TProg_FL2(), &p.TT_F1(),   &p.TT_F2()};
}

class Flow : public GuiTest {
  protected:
    QList<QWidget *> visibleWindows() const
    {
        QList<QWidget *> visible;
        for (QWidget *w : windowsOf(*program))
            if (w->isVisible())
                visible << w;
        return visible;
    }
    // Runs the event loop until the program ends; false if it is still running after 3 s.
    static bool programEnds()
    {
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(7); });
        watchdog.start(3000);
        return QApplication::exec() == 0;
    }
};

TEST_F(Flow, WindowsAreCreatedHiddenWithTheirCaptionsAndSizes)
{
    struct Expected {
        QWidget *window;
        const char *caption;
        QSize size;
        bool fixed;
    };
    const char *general = "Определение стоимости работ в области энергетического обследования";
    const char *withStop = "Определение стоимости работ в области энергетического обследования.";
    const Expected table[] = {
        {&program->TLogo_F(), "Logo_F", {560, 341}, true},
        {&program->TProg_FL2(), general, {770, 249}, false},
        {&program->TProg_F(), withStop, {1084, 672}, true},
        {&program->TProg_F2(), general, {1084, 672}, true},
        {&program->TProg_F3(), general, {1084, 672}, true},
        {&program->TT_F1(), withStop, {1084, 672}, true},
        {&program->TT_F2(), general, {1084, 672}, true},
    };
    for (const Expected &e : table) {
        EXPECT_FALSE(e.window->isVisible());
        EXPECT_EQ(e.window->windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(e.window->size(), e.size) << e.caption;
        EXPECT_EQ(e.window->minimumSize() == e.window->maximumSize(), e.fixed) << e.caption;
    }
    EXPECT_TRUE(program->TLogo_F().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(program->TLogo_F().Label1->text(), "v." DALKO_VERSION);
    EXPECT_EQ(program->TProg_FL2().Button1->text(),
              "Определение стоимости работ по энергетическому обследованию ");
}

TEST_F(Flow, SplashGivesWayToTheChoiceWhenItsTimerFires)
{
    {
        // As the program starts: the splash's one-shot timer of 4 s runs from its creation.
        Program starting;
        starting.createWindows();
        const QTimer &timer = *starting.TLogo_F().Timer1;
        EXPECT_TRUE(timer.isActive());
        EXPECT_TRUE(timer.isSingleShot());
        EXPECT_EQ(timer.interval(), 4000);
    }
    program->TLogo_F().show();
    EXPECT_EQ(visibleWindows(), QList<QWidget *>{&program->TLogo_F()});
    program->TLogo_F().Timer1->start(0); // fired at once rather than waited for
    ASSERT_TRUE(QTest::qWaitFor([&] { return program->TProg_FL2().isVisible(); }, 5000));
    EXPECT_EQ(visibleWindows(), QList<QWidget *>{&program->TProg_FL2()});
    EXPECT_TRUE(QTest::qWaitForWindowActive(&program->TProg_FL2()));
    EXPECT_FALSE(program->TLogo_F().Timer1->isActive());
}

TEST_F(Flow, GeneralCalculatorForwardAndBackKeepsValues)
{
    activate(&program->TProg_FL2());
    click(program->TProg_FL2().Button1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program->TProg_F()));
    EXPECT_EQ(visibleWindows(), QList<QWidget *>{&program->TProg_F()});
    program->TProg_F().Edit2->setText("40000");

    click(program->TProg_F().Button1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program->TProg_F2()));
    EXPECT_EQ(QApplication::focusWidget(), program->TProg_F2().Edits[0]);
    program->TProg_F2().Edits[0]->setText("1000");

    click(program->TProg_F2().Button2); // back
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program->TProg_F()));
    EXPECT_EQ(program->TProg_F().Edit2->text(), "40000");
    click(program->TProg_F().Button1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program->TProg_F2()));
    EXPECT_EQ(program->TProg_F2().Edits[0]->text(), "1000");
    EXPECT_EQ(program->TProg_F2().ResultLabels[0]->text(), "344,5 т.у.т.");
    EXPECT_EQ(QApplication::focusWidget(), program->TProg_F2().Edits[0]);

    click(program->TProg_F2().Button1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program->TProg_F3()));
    EXPECT_EQ(visibleWindows(), QList<QWidget *>{&program->TProg_F3()});
    EXPECT_EQ(QApplication::focusWidget(), program->TProg_F3().Button1);
    EXPECT_NE(program->TProg_F3().Label11->text(), "0 руб.");
    click(program->TProg_F3().Button2);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program->TProg_F2()));
}

TEST_F(Flow, BoilerCalculatorForwardAndBack)
{
    activate(&program->TProg_FL2());
    click(program->TProg_FL2().Button2);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program->TT_F1()));
    click(program->TT_F1().Button1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program->TT_F2()));
    EXPECT_EQ(visibleWindows(), QList<QWidget *>{&program->TT_F2()});
    EXPECT_EQ(program->TT_F2().Label11->text(), BoilerTotal);
    EXPECT_EQ(QApplication::focusWidget(), program->TT_F2().Button1);
    click(program->TT_F2().Button2);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program->TT_F1()));
    EXPECT_EQ(visibleWindows(), QList<QWidget *>{&program->TT_F1()});
}

TEST_F(Flow, ComingBackFromAnotherProgramRunsFormActivate)
{
    QWidget other;
    other.resize(200, 100);
    activate(&program->TProg_F3());
    EXPECT_EQ(program->TProg_F3().Label11->text(), "0 руб"); // no consumption: every amount 0
    activate(&other);
    program->TProg_F2().Edits[0]->setText("1000"); // changes the norm behind the page's back
    activate(&program->TProg_F3());
    EXPECT_EQ(program->TProg_F3().Label11->text(), "161287,92 руб");
    EXPECT_EQ(QApplication::focusWidget(), program->TProg_F3().Button1);

    activate(&program->TT_F2());
    activate(&other);
    program->TT_F1().Edit2->setText("60000");
    activate(&program->TT_F2());
    EXPECT_EQ(program->TT_F2().quantities.HourlyWage, 357.14);
    EXPECT_NE(program->TT_F2().Label11->text(), BoilerTotal);
}

TEST_F(Flow, SplashIsCentred)
{
    program->start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((program->TLogo_F().frameGeometry().center() - screen.center()).manhattanLength(), 1);
    EXPECT_EQ(visibleWindows(), QList<QWidget *>{&program->TLogo_F()});
}

// `dalko FILE.rvj`: the splash as usual, then the first page of the file's calculator, loaded.
TEST_F(Flow, ReportFileGivenAtStartOpensItsCalculatorAfterTheSplash)
{
    QStringList general = GeneralDefaults;
    general[0] = "ООО «Заказчик»";
    general[7] = "1000"; // TProg_F2.Edit1
    general[16] = "5";   // TProg_F3.ComboBox1
    QStringList boiler = BoilerDefaults;
    boiler[0] = "Котельная №1";
    boiler[7] = "false";
    boiler[8] = "3"; // TT_F2.ComboBox1
    const struct {
        QStringList lines;
        report::Calculator calculator;
        QWidget *(*firstPage)(const Program &);
    } cases[] = {
        {general, report::Calculator::General,
         [](const Program &p) -> QWidget * { return &p.TProg_F(); }},
        {boiler, report::Calculator::Boiler,
         [](const Program &p) -> QWidget * { return &p.TT_F1(); }},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        const QString path = dir.filePath(QStringLiteral("отчет.rvj"));
        report::writeFile(path, c.lines);
        program = std::make_unique<Program>();
        program->createWindows();
        program->TLogo_F().Timer1->start(300);
        program->start(path);
        EXPECT_EQ(visibleWindows(), QList<QWidget *>{&program->TLogo_F()});
        QWidget *page = c.firstPage(*program);
        ASSERT_TRUE(QTest::qWaitFor([&] { return page->isVisible(); }, 2000));
        EXPECT_EQ(visibleWindows(), QList<QWidget *>{page});
        EXPECT_TRUE(QTest::qWaitForWindowActive(page));
        EXPECT_EQ(program->reportLines(c.calculator), c.lines);
    }
    EXPECT_EQ(program->TT_F1().Edit1->text(), "Котельная №1");
    EXPECT_TRUE(program->TT_F1().Edit1->isEnabled());
}

TEST_F(Flow, RefusedReportFileAtStartLeavesTheChoiceAfterTheBox)
{
    QTemporaryDir dir;
    QStringList badIndex = GeneralDefaults;
    badIndex[16] = "abc";
    report::writeFile(dir.filePath("bad.rvj"), badIndex);
    const struct {
        QString path;
        const char *message;
    } cases[] = {
        {dir.filePath("нет.rvj"), "Cannot open file"},
        {dir.filePath("bad.rvj"), "''abc'' is not a valid integer value."},
    };
    for (const auto &c : cases) {
        program = std::make_unique<Program>();
        program->createWindows();
        program->TLogo_F().Timer1->start(100);
        program->start(c.path);
        ASSERT_TRUE(QTest::qWaitFor([&] { return program->TProg_FL2().isVisible(); }, 2000));
        const QStringList messages = takeMessages();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QString::fromUtf8(c.message)))
            << messages[0].toStdString();
        EXPECT_EQ(visibleWindows(), QList<QWidget *>{&program->TProg_FL2()});
        EXPECT_EQ(program->reportLines(report::Calculator::General), GeneralDefaults);
    }
}

// Any exception ends its handler and reaches the box, and the reporter stays ready for the
// next error: none is parked for ever behind one it did not know.
TEST(ErrorReporter, EveryExceptionIsShownAndTheNextErrorToo)
{
    ErrorReporter errors;
    QStringList shown;
    errors.setSink([&](const QString &text) { shown << text; });
    errors.run([] { throw std::runtime_error("broken"); });
    errors.run([] { throw std::bad_alloc(); });
    errors.run([] { throw 42; });
    errors.run([] { throw Error("Floating point overflow"); });
    // A nested handler's failure ends the outer one at its next rethrowPending.
    bool outerWentOn = false;
    errors.run([&] {
        errors.run([] { throw std::length_error("too long"); });
        errors.rethrowPending();
        outerWentOn = true;
    });
    EXPECT_FALSE(outerWentOn);
    EXPECT_EQ(shown, (QStringList{"Внутренняя ошибка программы: broken.",
                                  "Недостаточно памяти: действие прервано.",
                                  "Внутренняя ошибка программы.", "Floating point overflow.",
                                  "Внутренняя ошибка программы: too long."}));
}

TEST_F(Flow, ClosingAnyWindowEndsTheProgram)
{
    for (int index = 0; index < 7; ++index) {
        program = std::make_unique<Program>();
        program->createWindows();
        QWidget *window = windowsOf(*program)[index];
        present(window);
        QTimer::singleShot(50, window, [window] { window->close(); });
        EXPECT_TRUE(programEnds()) << window->windowTitle().toStdString();
        EXPECT_FALSE(window->isVisible());
    }
}

TEST_F(Flow, ExitButtonsEndTheProgram)
{
    for (QPushButton *exit : {program->TProg_F3().Button3, program->TT_F2().Button3}) {
        present(exit->window());
        QTimer::singleShot(50, exit, [exit] { exit->click(); });
        EXPECT_TRUE(programEnds());
    }
}

} // namespace
} // namespace dalko::test

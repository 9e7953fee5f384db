#include "guifixture.h"
#include "report_samples.h"

#include "Prog_U.h"
#include "Prog_U2.h"
#include "Prog_U3.h"
#include "T_U1.h"
#include "T_U2.h"
#include "editablelist.h"
#include "reportfile/codepage.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace dalko::test {
namespace {

QByteArray windowsLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += report::toWindows1251(line) + "\r\n";
    return bytes;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Each calculator's table of bound lines follows its file layout line for line, and each line
// is bound to the kind of target its kind needs.
TEST(ReportBindings, FollowTheFileLayout)
{
    Program program;
    program.createWindows();
    for (const report::Calculator calculator :
         {report::Calculator::General, report::Calculator::Boiler}) {
        const report::BoundLines bindings = program.lastPage(calculator).reportBindings();
        const auto layout = report::layout(calculator);
        ASSERT_EQ(bindings.size(), qsizetype(layout.size()));
        for (qsizetype i = 0; i < bindings.size(); ++i) {
            const report::LineKind kind = bindings[i].kind;
            EXPECT_EQ(kind, layout[i]) << "line " << i + 1;
            const std::size_t expectedTarget = kind == report::LineKind::ListIndex ? 1
                                               : kind == report::LineKind::Flag    ? 2
                                               : kind == report::LineKind::Number  ? 3
                                                                                   : 0;
            EXPECT_EQ(bindings[i].target.index(), expectedTarget) << "line " << i + 1;
            std::visit([&](auto *target) { EXPECT_NE(target, nullptr) << "line " << i + 1; },
                       bindings[i].target);
        }
    }
    EXPECT_EQ(std::get<QLineEdit *>(
                  program.lastPage(report::Calculator::General).reportBindings()[7].target),
              program.TProg_F2().Edits[0]);
    EXPECT_EQ(std::get<double *>(
                  program.lastPage(report::Calculator::Boiler).reportBindings()[19].target),
              &program.TT_F2().quantities.HourlyWage);
}

class ReportPages : public GuiTest {
  protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    void saveGeneralAs(const QString &name)
    {
        watcher->fileToChoose = path(name);
        click(program->TProg_F3().Button4);
    }
    void saveBoilerAs(const QString &name)
    {
        watcher->fileToChoose = path(name);
        click(program->TT_F2().Button4);
    }
    void loadGeneral(const QString &name)
    {
        watcher->fileToChoose = path(name);
        click(program->TProg_F().Button2);
    }
    void loadBoiler(const QString &name)
    {
        watcher->fileToChoose = path(name);
        click(program->TT_F1().Button2);
    }
    QStringList generalState() const
    {
        const Program &p = *program;
        QStringList state;
        for (QLineEdit *e :
             {p.TProg_F().Edit1, p.TProg_F().Edit5, p.TProg_F().Edit6, p.TProg_F().Edit2,
              p.TProg_F().Edit3, p.TProg_F().Edit4, p.TProg_F().Edit7, p.TProg_F3().Edit1})
            state << e->text();
        for (int n = 0; n < 9; ++n)
            state << p.TProg_F2().Edits[n]->text() << p.TProg_F2().ResultLabels[n]->text();
        for (EditableList *l :
             {p.TProg_F3().ComboBox1, p.TProg_F3().ComboBox2, p.TProg_F3().ComboBox3,
              p.TProg_F3().ComboBox4, p.TProg_F3().ComboBox5})
            state << QString::number(l->currentIndex());
        return state << p.TProg_F2().Label40->text() << QString::number(p.TProg_F2().fuel.BaseNorm);
    }

    QTemporaryDir dir;
};

TEST_F(ReportPages, FilesSavedRightAfterStartUp)
{
    saveGeneralAs("общий");
    EXPECT_EQ(contents(path("общий.rvj")), windowsLines(GeneralDefaults));
    EXPECT_TRUE(takeMessages().isEmpty());

    saveBoilerAs("котельная");
    EXPECT_EQ(contents(path("котельная.rvj")), windowsLines(BoilerDefaults));
    EXPECT_EQ(takeMessages(), QStringList{"Information|Файл отчета сохранен"});
}

TEST_F(ReportPages, NamesAndReplacingAnExistingFile)
{
    writeBytes(path("отчет.rvj"), "old\r\n");
    watcher->answer = QMessageBox::No;
    saveGeneralAs("отчет"); // would replace отчет.rvj: asked, refused
    QStringList seen = takeMessages();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].contains("отчет.rvj\" уже существует")) << seen[0].toStdString();
    EXPECT_EQ(contents(path("отчет.rvj")), "old\r\n");

    watcher->answer = QMessageBox::Yes;
    saveGeneralAs("отчет.rvj"); // the name the user chose is the name written
    EXPECT_EQ(takeMessages().size(), 1);
    EXPECT_EQ(contents(path("отчет.rvj")), windowsLines(GeneralDefaults));
    EXPECT_FALSE(QFile::exists(path("отчет.rvj.rvj")));

    watcher->fileToChoose.clear(); // cancel: nothing written, nothing said
    click(program->TT_F2().Button4);
    EXPECT_EQ(watcher->fileDialogs, 3);
    EXPECT_TRUE(takeMessages().isEmpty());
}

TEST_F(ReportPages, SaveThatCannotBeCreatedSaysSo)
{
    saveBoilerAs("нет такой папки/отчет");
    const QStringList seen = takeMessages();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].startsWith(BoxTitle + "Cannot create file \"" +
                                   path("нет такой папки/отчет.rvj") + "\". "))
        << seen[0].toStdString();
}

// A name with letters Windows-1251 lacks is saved in UTF-8, said once, and loads back whole.
TEST_F(ReportPages, LettersWindows1251LacksAreKept)
{
    const QString tatar = QStringLiteral("ООО «Җәүһәр»");
    program->TProg_F().CheckBox1->setChecked(false);
    program->TProg_F().Edit1->setText(tatar);
    saveGeneralAs("татарский");
    EXPECT_EQ(takeMessages(), QStringList{"Information|Файл сохранен в кодировке UTF-8: в "
                                          "названиях есть буквы, которых нет в Windows-1251"});
    EXPECT_TRUE(contents(path("татарский.rvj")).startsWith("\xEF\xBB\xBF" + tatar.toUtf8()));
    program->TProg_F().Edit1->setText("x");
    loadGeneral("татарский.rvj");
    EXPECT_EQ(program->TProg_F().Edit1->text(), tatar);
    EXPECT_TRUE(takeMessages().isEmpty());
}

// A number no page can read is loaded as written and counted as the page's rule says, and the
// user is told in one box; empty lines, as older programs wrote them, say nothing.
TEST_F(ReportPages, LinesNotTakenAsWrittenAreNamed)
{
    QStringList lines = GeneralDefaults;
    lines[7] = "1 234,5";
    lines[10] = "1e18";
    lines[19] = "99";
    writeBytes(path("странный.rvj"), windowsLines(lines));
    loadGeneral("странный.rvj");
    EXPECT_EQ(program->TProg_F2().Edits[0]->text(), "1 234,5");
    EXPECT_EQ(program->TProg_F2().fuel.ReferenceFuel[0], 0);
    EXPECT_EQ(program->TProg_F2().fuel.ReferenceFuel[3], 0);
    EXPECT_EQ(program->TProg_F3().ComboBox4->currentIndex(), -1);
    EXPECT_EQ(takeMessages(),
              QStringList{BoxTitle +
                          "Файл отчета загружен, но не всё в нем понятно:\n"
                          "строка 8, \"1 234,5\": не число, считается 0\n"
                          "строка 11, \"1e18\": слишком велико для расчета, считается 0\n"
                          "строка 20, \"99\": такого пункта в списке нет (пунктов: 2), "
                          "ничего не выбрано"});

    for (int n : {7, 8, 9, 10, 11, 12, 13, 14, 15, 21})
        lines[n] = "";
    lines[19] = "0";
    writeBytes(path("пустой.rvj"), windowsLines(lines));
    loadGeneral("пустой.rvj");
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(ReportPages, GeneralRoundTripRecomputesTheHiddenPage)
{
    Program &p = *program;
    p.TProg_F().CheckBox1->setChecked(false);
    const QStringList texts{"ООО «Тепло»", "г. Зарбинск", "Школа №5", "45000", "40", "30", "20"};
    QLineEdit *first[] = {p.TProg_F().Edit1, p.TProg_F().Edit5, p.TProg_F().Edit6,
                          p.TProg_F().Edit2, p.TProg_F().Edit3, p.TProg_F().Edit4,
                          p.TProg_F().Edit7};
    for (int i = 0; i < 7; ++i)
        first[i]->setText(texts[i]);
    for (int n = 0; n < 9; ++n)
        p.TProg_F2().Edits[n]->setText(QString::number(100 * (n + 1)));
    p.TProg_F3().ComboBox1->setCurrentIndex(29);
    p.TProg_F3().ComboBox2->setCurrentIndex(7);
    p.TProg_F3().ComboBox3->setCurrentIndex(1);
    p.TProg_F3().ComboBox5->setCurrentIndex(1);
    p.TProg_F3().Edit1->setText("2500,5");
    const QStringList before = generalState();
    saveGeneralAs("полный");

    for (QLineEdit *e : first)
        e->setText("x");
    for (QLineEdit *e : p.TProg_F2().Edits)
        e->setText("7");
    for (EditableList *l : {p.TProg_F3().ComboBox1, p.TProg_F3().ComboBox2, p.TProg_F3().ComboBox3,
                            p.TProg_F3().ComboBox5})
        l->setCurrentIndex(0);
    p.TProg_F3().Edit1->setText("1");
    ASSERT_NE(generalState(), before);

    loadGeneral("полный.rvj");
    EXPECT_FALSE(p.TProg_F2().isVisible());
    EXPECT_EQ(generalState(), before);
    EXPECT_TRUE(takeMessages().isEmpty());
}

TEST_F(ReportPages, BoilerFileSetsFactorsAndTheCheckBox)
{
    Program &p = *program;
    QStringList lines = BoilerDefaults;
    lines[0] = "ООО «Котельная»";
    lines[7] = "false";
    lines[8] = "10";   // 11 boilers and more
    lines[13] = "505"; // BoilerNorm from the file
    lines[16] = "1";   // FuelCoef of liquid fuel, not the list's default
    writeBytes(path("к.rvj"), windowsLines(lines));
    loadBoiler("к.rvj");
    EXPECT_FALSE(p.TT_F1().CheckBox1->isChecked());
    EXPECT_TRUE(p.TT_F1().Edit1->isEnabled());
    EXPECT_EQ(p.TT_F1().Edit1->text(), "ООО «Котельная»");
    EXPECT_EQ(p.TT_F2().ComboBox1->currentText(), "11 и более");
    EXPECT_EQ(p.TT_F2().ComboBox6->currentIndex(), 0); // the fuel of the loaded factor
    EXPECT_EQ(p.TT_F2().quantities.FuelCoef, 1);
    EXPECT_EQ(p.TT_F2().Label11->text(), "0 руб."); // nothing computes on loading
    activate(&p.TT_F2());
    EXPECT_EQ(p.TT_F2().quantities.BoilerNorm, 505);
    // (505 × 0,5 × 0,9 × 1 + 85 × 1) × 178,57 with the file's factors, not the lists'.
    EXPECT_EQ(p.TT_F2().quantities.LabourCost, 55758.48);

    lines[7] = "true";
    writeBytes(path("к.rvj"), windowsLines(lines));
    loadBoiler("к.rvj");
    EXPECT_TRUE(p.TT_F1().CheckBox1->isChecked());
    EXPECT_EQ(p.TT_F1().Edit1->text(), "не задано");
    EXPECT_TRUE(takeMessages().isEmpty());
}

TEST_F(ReportPages, ToleratedFormats)
{
    QStringList lines = GeneralDefaults;
    lines[0] = "Заказчик";
    lines[7] = "1000";
    QByteArray lf;
    QByteArray cr;
    for (const QString &line : lines) {
        lf += report::toWindows1251(line) + "\n";
        cr += report::toWindows1251(line) + "\r";
    }
    const QByteArray utf8 = "\xEF\xBB\xBF" + lines.join("\r\n").toUtf8();
    for (const QByteArray &bytes : {lf, cr, utf8}) {
        program->TProg_F2().Edits[0]->setText("0");
        writeBytes(path("f.rvj"), bytes);
        loadGeneral("f.rvj");
        EXPECT_EQ(program->TProg_F().Edit1->text(), "Заказчик");
        EXPECT_EQ(program->TProg_F2().ResultLabels[0]->text(), "344,5 т.у.т.");
    }
    EXPECT_TRUE(takeMessages().isEmpty());
}

TEST_F(ReportPages, RefusedFilesChangeNothing)
{
    Program &p = *program;
    const QStringList generalBefore = generalState();
    writeBytes(path("boiler.rvj"), windowsLines(BoilerDefaults));
    loadGeneral("boiler.rvj");
    QStringList seen = takeMessages();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].contains("котельной")) << seen[0].toStdString();
    EXPECT_EQ(generalState(), generalBefore);

    QStringList general = GeneralDefaults;
    general[0] = "Другой";
    writeBytes(path("general.rvj"), windowsLines(general));
    loadBoiler("general.rvj");
    seen = takeMessages();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].contains("не файл отчета")) << seen[0].toStdString();
    EXPECT_EQ(p.TT_F1().Edit1->text(), "не задано");

    // A short file: the first missing list index stops it before anything is assigned.
    writeBytes(path("short.rvj"), windowsLines(general.mid(0, 10)));
    loadGeneral("short.rvj");
    EXPECT_EQ(takeMessages(), QStringList{BoxTitle + "'''' is not a valid integer value."});
    EXPECT_EQ(generalState(), generalBefore);

    loadGeneral("нет такого.rvj");
    seen = takeMessages();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(
        seen[0].startsWith(BoxTitle + "Cannot open file \"" + path("нет такого.rvj") + "\". "));

    // A pipe with no writer and an endless device: refused at once, the pages as they were.
    ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.rvj")).constData(), 0600), 0);
    for (const QString &name : {path("pipe.rvj"), QStringLiteral("/dev/zero")}) {
        watcher->fileToChoose = name;
        click(program->TProg_F().Button2);
        seen = takeMessages();
        ASSERT_EQ(seen.size(), 1) << name.toStdString();
        EXPECT_TRUE(seen[0].startsWith(BoxTitle + "Cannot open file \"" + name + "\". "))
            << seen[0].toStdString();
        EXPECT_EQ(generalState(), generalBefore);
    }
}

TEST_F(ReportPages, IndexOutsideItsListSelectsNothing)
{
    QStringList lines = GeneralDefaults;
    lines[16] = "99";
    lines[17] = "-1";
    lines[18] = "$1";
    writeBytes(path("i.rvj"), windowsLines(lines));
    loadGeneral("i.rvj");
    EXPECT_EQ(program->TProg_F3().ComboBox1->currentIndex(), -1);
    EXPECT_EQ(program->TProg_F3().ComboBox1->currentText(), "");
    EXPECT_EQ(program->TProg_F3().ComboBox2->currentIndex(), -1);
    EXPECT_EQ(program->TProg_F3().ComboBox3->currentIndex(), 1);
    // Only the index outside the list is named: -1 is the list with nothing chosen.
    EXPECT_EQ(takeMessages(),
              QStringList{BoxTitle + "Файл отчета загружен, но не всё в нем понятно:\n"
                                     "строка 17, \"99\": такого пункта в списке нет "
                                     "(пунктов: 49), ничего не выбрано"});
}

TEST_F(ReportPages, LoadedTextsStayInLockedCustomerFields)
{
    QStringList lines = GeneralDefaults;
    lines[0] = "ООО «Свет»";
    writeBytes(path("g.rvj"), windowsLines(lines));
    ASSERT_TRUE(program->TProg_F().CheckBox1->isChecked());
    loadGeneral("g.rvj");
    EXPECT_EQ(program->TProg_F().Edit1->text(), "ООО «Свет»");
    EXPECT_FALSE(program->TProg_F().Edit1->isEnabled());
    EXPECT_TRUE(program->TProg_F().CheckBox1->isChecked());
}

// The fuel and firing-mode lists show the items of the loaded factors, so that the screen
// and the estimate's "#креж&" agree with the cost.
TEST_F(ReportPages, BoilerListsFollowTheLoadedFactors)
{
    watcher->answer = QMessageBox::Yes; // each round saves over the last one
    auto modesInEstimate = [&] {
        for (const estimate::Replacement &r : program->TT_F2().estimateReplacements())
            if (r.placeholder == "#креж&")
                return r.value;
        return QStringLiteral("<none>");
    };
    for (int fuel = 0; fuel < int(boiler::Fuels.size()); ++fuel) {
        for (int modes = 0; modes < int(boiler::FiringModes.size()); ++modes) {
            const std::string context =
                "fuel " + std::to_string(fuel) + ", modes " + std::to_string(modes);
            activate(&program->TT_F2());
            program->TT_F2().ComboBox6->setCurrentIndex(fuel);
            emit program->TT_F2().ComboBox6->Change();
            program->TT_F2().ComboBox7->setCurrentIndex(modes);
            emit program->TT_F2().ComboBox7->Change();
            const QString total = program->TT_F2().Label11->text();
            saveBoilerAs("котельная");
            takeMessages();
            // Another choice on screen, then the file back.
            program->TT_F2().ComboBox6->setCurrentIndex((fuel + 1) % 3);
            program->TT_F2().ComboBox7->setCurrentIndex((modes + 1) % 5);
            activate(&program->TT_F1());
            loadBoiler("котельная.rvj");
            activate(&program->TT_F2());
            EXPECT_EQ(program->TT_F2().ComboBox6->currentIndex(), fuel) << context;
            EXPECT_EQ(program->TT_F2().ComboBox7->currentIndex(), modes) << context;
            EXPECT_EQ(program->TT_F2().Label11->text(), total) << context;
            EXPECT_EQ(modesInEstimate(), QString::fromUtf16(boiler::FiringModes[modes].text))
                << context;
        }
    }
    EXPECT_EQ(takeMessages(), QStringList());

    // A hand-edited norm that no item has: no item shown, the cost computed with it.
    QStringList lines = BoilerDefaults;
    lines[17] = "100"; // DiagNorm
    writeBytes(path("правка.rvj"), windowsLines(lines));
    activate(&program->TT_F1());
    loadBoiler("правка.rvj");
    activate(&program->TT_F2());
    EXPECT_EQ(program->TT_F2().ComboBox7->currentIndex(), -1);
    EXPECT_EQ(program->TT_F2().quantities.DiagNorm, 100);
    EXPECT_EQ(program->TT_F2().ComboBox6->currentIndex(), boiler::DefaultFuel);
    EXPECT_EQ(takeMessages(), QStringList());
}

} // namespace
} // namespace dalko::test

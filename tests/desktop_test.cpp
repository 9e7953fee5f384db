// The program on a desktop: Qt's own texts in the user's language, the error box's layout,
// accessible names of the input controls, and the folder the file dialogs open in.

#include "guifixture.h"

#include "application.h"

#include "Prog_U.h"
#include "Prog_U2.h"
#include "Prog_U3.h"
#include "Prog_UL2.h"
#include "T_U1.h"
#include "T_U2.h"
#include "costpage.h"
#include "customerpage.h"
#include "editablelist.h"
#include "errorbox.h"
#include "estimatepreview.h"
#include "report_samples.h"
#include "reportfile/reportformat.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace dalko::test {
namespace {

// The texts of a file dialog's buttons, without their mnemonics.
QStringList buttonTexts(QFileDialog *dialog)
{
    QStringList texts;
    for (QAbstractButton *button : dialog->findChild<QDialogButtonBox *>()->buttons())
        texts << button->text().remove(u'&');
    texts.sort();
    return texts;
}

class QtTexts : public GuiTest {};

TEST_F(QtTexts, FileDialogSpeaksTheUsersLanguage)
{
    struct Case {
        const char *locale;
        QStringList buttons;
    };
    const Case cases[] = {
        {"ru_RU", {"Открыть", "Отмена"}},
        {"en_US", {"Cancel", "Open"}},
        {"de_DE", {"Cancel", "Open"}}, // only Russian is loaded
    };
    for (const Case &c : cases) {
        // As main() does: the translation first, then the windows.
        const QtTranslation translation{QLocale(QString::fromLatin1(c.locale))};
        program = std::make_unique<Program>();
        program->createWindows();
        QStringList seen;
        watcher->inspectFileDialog = [&](QFileDialog *dialog) { seen = buttonTexts(dialog); };
        click(program->TProg_F().Button2);
        EXPECT_EQ(seen, c.buttons) << c.locale;
        watcher->inspectFileDialog = nullptr;
    }
}

// The error box as the user sees it, measured while it is open.
struct BoxLayout {
    QRect icon; // the picture
    QRect text;
    QSize box;
    int textHeightNeeded = 0;
};

BoxLayout measureErrorBox(const QString &message)
{
    BoxLayout seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        auto *icon = box->findChild<QLabel *>(QStringLiteral("qt_msgboxex_icon_label"));
        auto *text = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        if (icon && text) {
            // The picture stands at the left of its label.
            const QRect picture(icon->pos(), icon->pixmap().deviceIndependentSize().toSize());
            seen = {picture, text->geometry(), box->size(), text->heightForWidth(text->width())};
            EXPECT_EQ(box->windowTitle(), ApplicationTitle);
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            EXPECT_EQ(box->text(), message);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        }
        box->accept();
    });
    poll.start(20);
    showErrorBox(message);
    return seen;
}

TEST(ErrorBox, TextStandsBesideItsIconAndWraps)
{
    const QString shortText = QStringLiteral("Ошибка.");
    const QString longText =
        QStringLiteral("Cannot open file \"/home/user/Документы/отчеты/котельная на улице "
                       "Заречной, вариант с двумя котлами.rvj\". Нет такого файла или каталога.");
    const int captionWidth = QFontMetrics(QApplication::font()).horizontalAdvance(ApplicationTitle);
    const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
    for (const QString &message : {shortText, longText}) {
        const BoxLayout seen = measureErrorBox(message);
        ASSERT_FALSE(seen.text.isEmpty());
        // Right after the icon, at its height: no band between them.
        EXPECT_GT(seen.text.left(), seen.icon.right());
        EXPECT_LE(seen.text.left() - seen.icon.right(), 24);
        EXPECT_LE(std::abs(seen.text.top() - seen.icon.top()), 8);
        // All of the text is shown, and the box ends a margin after it.
        EXPECT_LE(seen.textHeightNeeded, seen.text.height());
        EXPECT_LE(seen.box.width() - seen.text.right(), 24);
        // Wide enough to show the caption in full.
        EXPECT_GE(seen.box.width(), captionWidth);
    }
    // A short text: the box is as wide as the caption asks, no wider.
    EXPECT_LE(measureErrorBox(shortText).box.width(), 2 * captionWidth);
    // A long one wraps onto several lines within half the screen.
    const BoxLayout wrapped = measureErrorBox(longText);
    EXPECT_LE(wrapped.box.width(), screenWidth / 2 + 100);
    EXPECT_GE(wrapped.text.height(), 2 * QFontMetrics(QApplication::font()).height());
}

// The accessible name of an input control: its own, that of a label which names it as its
// buddy, or for a check box its text. What Qt says beside these does not count: a list's Name
// on Linux is its value, and an edit box without a label takes its group's title.
QString accessibleName(QWidget *control)
{
    if (!control->accessibleName().isEmpty())
        return control->accessibleName();
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    for (const auto &[label, relation] : accessible->relations(QAccessible::Label))
        return label->text(QAccessible::Name);
    if (qobject_cast<QCheckBox *>(control))
        return accessible->text(QAccessible::Name);
    return QString();
}

class AccessibleNames : public GuiTest {};

TEST_F(AccessibleNames, EveryInputControlOfThePagesHasOne)
{
    const QList<QWidget *> pages{&program->TProg_F(), &program->TProg_F2(), &program->TProg_F3(),
                                 &program->TT_F1(), &program->TT_F2()};
    QStringList unnamed;
    int controls = 0;
    for (QWidget *page : pages) {
        for (QWidget *control : page->findChildren<QWidget *>()) {
            if (control->window() != page) // a file dialog's own
                continue;
            const bool input = qobject_cast<QComboBox *>(control) ||
                               qobject_cast<QCheckBox *>(control) ||
                               // the edit box inside a list belongs to the list
                               (qobject_cast<QLineEdit *>(control) &&
                                !qobject_cast<QComboBox *>(control->parentWidget()));
            if (!input)
                continue;
            ++controls;
            if (accessibleName(control).trimmed().isEmpty())
                unnamed << page->metaObject()->className() + u'.' + control->objectName();
        }
    }
    EXPECT_EQ(controls, 8 + 10 + 6 + 8 + 7);
    EXPECT_EQ(unnamed, QStringList());

    // Each by what it holds.
    const std::pair<QWidget *, const char *> named[] = {
        {program->TProg_F().Edit1, "Заказчик:"},
        {program->TT_F1().Edit2, "Средний уровень зароботной платы организации руб/мес."},
        {program->TT_F1().Edit7, "Районный коэффициент,%"},
        {program->TProg_F2().Edits[0], "Годовое потребление электрической энергии"},
        {program->TProg_F2().Edits[8], "Годовое потребление сжиженного газа"},
        {program->TProg_F2().ComboBox1, "Потребление топливно-энергетических ресурсов за"},
        {program->TProg_F3().ComboBox1, "Отраслевая принадлежность объекта (объектов)"},
        {program->TProg_F3().Edit1, "Площадь обследуемых объектов (общая)"},
        {program->TProg_F3().ComboBox5, "НДС"},
        {program->TT_F2().ComboBox6, "Вид сжигаемого топлива:"},
        {program->TT_F2().ComboBox4, "Стоимость экспертизы"},
    };
    for (const auto &[control, name] : named)
        EXPECT_EQ(accessibleName(control), QString::fromUtf8(name)) << name;
}

class DialogFolders : public GuiTest {
  protected:
    void SetUp() override
    {
        // Settings of this test only: the first dialog has no folder remembered.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
        GuiTest::SetUp();
    }
    void TearDown() override
    {
        GuiTest::TearDown();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QFile::decodeName(qgetenv("XDG_CONFIG_HOME")));
    }
    // The folder a dialog opens in when this button is clicked; the dialog is answered with
    // `choose` (empty: cancelled).
    QString folderOf(QPushButton *button, const QString &choose = QString())
    {
        QString folder;
        watcher->inspectFileDialog = [&](QFileDialog *dialog) {
            folder = dialog->directory().absolutePath();
        };
        watcher->fileToChoose = choose;
        click(button);
        watcher->inspectFileDialog = nullptr;
        return folder;
    }
    QTemporaryDir config;
    QTemporaryDir reports;
};

TEST_F(DialogFolders, OpenInTheFolderLastUsedAcrossRuns)
{
    EXPECT_EQ(folderOf(program->TProg_F().Button2), QDir::homePath());
    EXPECT_EQ(folderOf(program->TT_F2().Button4), QDir::homePath());

    const QString folder = reports.filePath(QStringLiteral("отчеты"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/котельная.rvj");
    report::writeFile(file, BoilerDefaults);
    folderOf(program->TT_F1().Button2, file);
    EXPECT_EQ(folderOf(program->TProg_F3().Button4), folder);
    EXPECT_EQ(folderOf(program->TT_F2().Button4), folder);

    // The next run.
    program = std::make_unique<Program>();
    program->createWindows();
    EXPECT_EQ(folderOf(program->TProg_F().Button2), folder);

    // A folder that is gone since: home again.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_EQ(folderOf(program->TT_F1().Button2), QDir::homePath());
}

// A name typed into the load dialog and confirmed with Enter while the dialog suggests names:
// once the dialog is closed nothing of it is left on screen, and the next click reaches the
// page, not a floating list of suggestions.
TEST_F(DialogFolders, NothingOfTheDialogStaysAfterANameTypedAndEnter)
{
    QStringList lines = GeneralDefaults;
    lines[0] = "ООО «Проба»";
    report::writeFile(reports.filePath("отчет.rvj"), lines);
    activate(&program->TProg_F());
    bool suggested = false;
    watcher->inspectFileDialog = [&](QFileDialog *dialog) {
        dialog->setDirectory(reports.path());
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setFocus();
        // Each key goes where the user's would: to the list of suggestions while it is open.
        auto target = [name]() -> QWidget * {
            QWidget *popup = QApplication::activePopupWidget();
            return popup ? popup : name;
        };
        for (QChar c : QStringLiteral("отчет.rvj")) {
            QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QKeyEvent up(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target(), &down);
            QApplication::sendEvent(target(), &up);
            QTest::qWait(50);
        }
        suggested = QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; });
        QTest::keyClick(target(), Qt::Key_Return);
    };
    click(program->TProg_F().Button2);
    watcher->inspectFileDialog = nullptr;
    EXPECT_TRUE(suggested) << "the dialog suggested no name";
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(program->TProg_F().Edit1->text(), "ООО «Проба»");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    for (QWidget *window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible() && window->windowType() == Qt::Popup)
            << window->metaObject()->className();
    const bool checked = program->TProg_F().CheckBox1->isChecked();
    click(program->TProg_F().CheckBox1);
    EXPECT_NE(program->TProg_F().CheckBox1->isChecked(), checked);
}

// Whatever a session does, the program keeps its settings in one file,
// ~/.config/dalko/dalko.conf.
TEST_F(DialogFolders, OneSettingsFile)
{
    program->TT_F1().Edit2->setText("30000");
    activate(&program->TT_F2());
    ASSERT_TRUE(withPreview(&program->TT_F2(), [&](estimate::EstimatePreview &preview) {
        watcher->fileToChoose = reports.filePath("Смета");
        preview.saveAction()->trigger();
    }));
    ASSERT_TRUE(QFileInfo::exists(reports.filePath("Смета.pdf")))
        << takeMessages().join(u'\n').toStdString();
    const QString file = reports.filePath("котельная.rvj");
    report::writeFile(file, BoilerDefaults);
    folderOf(program->TT_F1().Button2, file);
    program.reset(); // the dialogs keep their own state until they go

    QStringList files;
    QDirIterator it(config.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(config.path()).relativeFilePath(it.next());
    // Besides, Qt's file dialogs keep their history in QtProject.conf, one file for every Qt
    // program of the user, which Qt writes itself.
    files.removeOne("QtProject.conf");
    EXPECT_EQ(files, QStringList{"dalko/dalko.conf"});
    QFile conf(config.filePath("dalko/dalko.conf"));
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    const QByteArray kept = conf.readAll();
    EXPECT_TRUE(kept.contains("lastFolder=")) << kept.toStdString();
    EXPECT_TRUE(kept.contains("format=pdf")) << kept.toStdString();
}

} // namespace
} // namespace dalko::test

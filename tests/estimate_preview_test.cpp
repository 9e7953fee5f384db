// The estimate on screen and as a file: "Просмотр сметы…" on both last pages, its print and
// save actions, and the refusal of an estimate whose recomputation did not complete.

#include "file_size_limit.h"
#include "guifixture.h"
#include "worked_examples.h"

#include "Prog_U.h"
#include "Prog_U2.h"
#include "Prog_U3.h"
#include "T_U1.h"
#include "T_U2.h"
#include "editablelist.h"
#include "estimate/filler.h"
#include "estimatepreview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace dalko::test {
namespace {

const QString Incomplete = QStringLiteral("Расчет стоимости не завершен, смета не сформирована. ");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

int pdfPages(const QString &path)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished();
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                           .match(QString::fromUtf8(info.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

class EstimatePreviewTest : public GuiTest {
  protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }

    void enterGeneralWorkedExample()
    {
        program->TProg_F2().Edits[0]->setText(ExampleGas);
        activate(&program->TProg_F3());
    }

    QTemporaryDir dir;
};

TEST_F(EstimatePreviewTest, ShowsThePagesOfThePdfAndSavesPdfAndOdt)
{
    enterGeneralWorkedExample();
    int previewPages = 0;
    const QString pdf = dir.filePath("смета"); // no suffix: the chosen filter's is added
    const QString odt = dir.filePath("смета.odt");
    ASSERT_TRUE(withPreview(&program->TProg_F3(), [&](estimate::EstimatePreview &preview) {
        previewPages = preview.preview()->pageCount();
        EXPECT_EQ(preview.saveAction()->text(), "Сохранить смету…");
        EXPECT_EQ(preview.saveAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        watcher->fileToChoose = pdf;
        preview.saveAction()->trigger();
        watcher->fileToChoose = odt;
        preview.saveAction()->trigger();
    }));
    EXPECT_EQ(takeMessages(), QStringList()); // closing printed nothing and asked nothing
    EXPECT_GE(previewPages, 1);
    EXPECT_EQ(pdfPages(pdf + ".pdf"), previewPages);
    EXPECT_TRUE(contents(odt).startsWith("PK")) << "not an OpenDocument container";
}

// The toolbar tells the page shown and the count, and turns the pages.
TEST_F(EstimatePreviewTest, PageNumberAndTurningThePages)
{
    enterGeneralWorkedExample();
    ASSERT_TRUE(withPreview(&program->TProg_F3(), [&](estimate::EstimatePreview &preview) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
        ASSERT_TRUE(QTest::qWaitFor([&] { return preview.preview()->pageCount() == 2; }));
        EXPECT_EQ(preview.pageText(), "Страница 1 из 2");
        EXPECT_FALSE(preview.previousPageAction()->isEnabled());
        preview.nextPageAction()->trigger();
        EXPECT_EQ(preview.pageText(), "Страница 2 из 2");
        EXPECT_FALSE(preview.nextPageAction()->isEnabled());
        ASSERT_TRUE(preview.previousPageAction()->isEnabled());
        preview.previousPageAction()->trigger();
        EXPECT_EQ(preview.pageText(), "Страница 1 из 2");
    }));
}

// "Смета" has no suffix: the dialog adds the filter's before it checks the name, so that the
// second save asks before replacing the first, and "No" keeps it.
TEST_F(EstimatePreviewTest, SavingTwiceAsksBeforeReplacing)
{
    enterGeneralWorkedExample();
    const QString saved = dir.filePath("Смета.pdf");
    watcher->answer = QMessageBox::No;
    ASSERT_TRUE(withPreview(&program->TProg_F3(), [&](estimate::EstimatePreview &preview) {
        watcher->fileToChoose = dir.filePath("Смета");
        preview.saveAction()->trigger();
        ASSERT_TRUE(QFileInfo::exists(saved));
        EXPECT_EQ(watcher->messages, QStringList()) << "asked about a new file";
        {
            QFile file(saved);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("the firm's earlier estimate");
        }
        // Once asked and answered, the dialog is cancelled.
        watcher->inspectFileDialog = [&](QFileDialog *) {
            if (!watcher->messages.isEmpty())
                watcher->fileToChoose.clear();
        };
        preview.saveAction()->trigger();
        watcher->inspectFileDialog = nullptr;
    }));
    const QStringList asked = takeMessages();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains("Смета.pdf")) << asked[0].toStdString();
    EXPECT_EQ(contents(saved), "the firm's earlier estimate");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Смета.pdf"});
}

// The format chosen is the next dialog's, suffix included.
TEST_F(EstimatePreviewTest, TheChosenFormatIsKept)
{
    enterGeneralWorkedExample();
    QString filter, suffix;
    ASSERT_TRUE(withPreview(&program->TProg_F3(), [&](estimate::EstimatePreview &preview) {
        watcher->fileToChoose = dir.filePath("Смета");
        watcher->inspectFileDialog = [](QFileDialog *dialog) {
            // As a user picks it in the list of types.
            auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            ASSERT_NE(types, nullptr);
            types->setCurrentIndex(1);
            emit types->activated(1);
            emit types->textActivated(types->currentText());
        };
        preview.saveAction()->trigger();
        watcher->fileToChoose.clear();
        watcher->inspectFileDialog = [&](QFileDialog *dialog) {
            filter = dialog->selectedNameFilter();
            suffix = dialog->defaultSuffix();
        };
        preview.saveAction()->trigger();
        watcher->inspectFileDialog = nullptr;
    }));
    EXPECT_TRUE(contents(dir.filePath("Смета.odt")).startsWith("PK"));
    EXPECT_EQ(filter, "Документ OpenDocument (*.odt)");
    EXPECT_EQ(suffix, "odt");
}

// A firm's template that would lay out on more pages than any estimate has: one error box
// instead of the preview, and the program goes on.
TEST_F(EstimatePreviewTest, AnOverlongLayoutIsRefusedBeforeThePreviewOpens)
{
    const QString own = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + "/dalko/dalko-t.rv";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(own).absolutePath()));
    {
        QFile file(own);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html><body>" +
                   QByteArray("<p style=\"page-break-before:always\">#сумм10&</p>").repeated(60) +
                   "</body></html>");
    }
    const auto removeOwn = qScopeGuard([&] { QFile::remove(own); });
    program->TT_F1().Edit2->setText("30000");
    activate(&program->TT_F2());
    EXPECT_FALSE(withPreview(&program->TT_F2(), [](auto &) {}));
    const QStringList boxes = takeMessages();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains("не умещается на 50 страницах")) << boxes[0].toStdString();

    QFile::remove(own);
    EXPECT_TRUE(withPreview(&program->TT_F2(), [](auto &) {}));
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_TRUE(program->TT_F2().isVisible());
}

// After a failed recomputation nothing is printed, previewed or saved; the next completed
// one lifts the refusal.
// An SVG picture whose renderer would open a pipe and wait for ever ends in the error box at
// once, and the program goes on.
TEST_F(EstimatePreviewTest, AnSvgPictureNamingAPipeEndsInTheErrorBox)
{
    const QString fifo = dir.filePath("канал");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString svg = folder + "/рисунок.svg", form = folder + "/dalko-en.rv";
    const auto removeTemplate = qScopeGuard([&] {
        QFile::remove(svg);
        QFile::remove(form);
    });
    const std::pair<QString, QByteArray> files[] = {
        {svg, "<svg xmlns=\"http://www.w3.org/2000/svg\" "
              "xmlns:xlink=\"http://www.w3.org/1999/xlink\"><image xlink:href=\"" +
                  QFile::encodeName(fifo) + "\" width=\"9\" height=\"9\"/></svg>"},
        {form, "<html><body><p>#ЧИСЛО&amp;</p><img src=\"рисунок.svg\"></body></html>"}};
    for (const auto &[path, bytes] : files) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    enterGeneralWorkedExample();
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(withPreview(&program->TProg_F3(), [](auto &) {}));
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(
        takeMessages(),
        QStringList{BoxTitle + QStringLiteral("Смета не сформирована: рисунок \"%1\" шаблона "
                                              "сметы в формате SVG, а смета показывает только "
                                              "рисунки из точек: сохраните его как PNG или "
                                              "JPEG.")
                                   .arg(svg)});
    QFile::remove(form);
    EXPECT_TRUE(withPreview(&program->TProg_F3(), [](auto &) {}));
    EXPECT_EQ(takeMessages(), QStringList());
}

// A template that lacks a placeholder still gives the estimate, and the window then says which
// value is not in it.
TEST_F(EstimatePreviewTest, WhatTheTemplateLeftOutIsSaidOnceTheEstimateIsMade)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString form = folder + "/dalko-en.rv";
    const auto removeTemplate = qScopeGuard([&] { QFile::remove(form); });
    QByteArray html = contents(QCoreApplication::applicationDirPath() + "/dalko-en.rv");
    ASSERT_TRUE(html.contains("#прописью&"));
    html.replace("#прописью&", "");
    {
        QFile file(form);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(html);
    }
    enterGeneralWorkedExample();
    EXPECT_TRUE(withPreview(&program->TProg_F3(), [](auto &) {}));
    EXPECT_EQ(takeMessages(),
              QStringList{BoxTitle + "Предупреждение: в шаблоне сметы нет меток "
                                     "#прописью& — их значения в смету не попали. "
                                     "Проверьте шаблон: dalko-calc --check-template"});
}

TEST_F(EstimatePreviewTest, AnIncompleteCalculationIsRefusedUntilItCompletes)
{
    program->TProg_F().Edit2->setText("");
    enterGeneralWorkedExample();
    const QString failure = QStringLiteral("'' is not a valid floating point value.");
    EXPECT_EQ(takeMessages(), QStringList{BoxTitle + failure});
    click(program->TProg_F3().Button1);
    EXPECT_EQ(takeMessages(), QStringList{BoxTitle + Incomplete + failure});
    EXPECT_FALSE(withPreview(&program->TProg_F3(), [](auto &) {}));
    EXPECT_EQ(takeMessages(), QStringList{BoxTitle + Incomplete + failure});

    program->TProg_F().Edit2->setText("30000");
    activate(&program->TProg_F());
    activate(&program->TProg_F3());
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_TRUE(withPreview(&program->TProg_F3(), [](auto &) {}));
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(EstimatePreviewTest, ATotalOutsideTheNormTableIsIncomplete)
{
    program->TProg_F2().Edits[0]->setText("2000000");
    activate(&program->TProg_F3());
    const QStringList boxes = takeMessages();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_FALSE(withPreview(&program->TProg_F3(), [](auto &) {}));
    EXPECT_EQ(takeMessages(), QStringList{BoxTitle + Incomplete + boxes[0].mid(BoxTitle.size())});

    // A list change recomputes and lifts the refusal once the total is back in the table.
    program->TProg_F2().Edits[0]->setText(ExampleGas);
    program->TProg_F3().ComboBox3->setCurrentIndex(1);
    emit program->TProg_F3().ComboBox3->Change();
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_TRUE(withPreview(&program->TProg_F3(), [](auto &) {}));
}

// A save that fails says so and leaves the file of that name as it was.
TEST_F(EstimatePreviewTest, AFailedSaveKeepsTheExistingFile)
{
    enterGeneralWorkedExample();
    const QString existing = dir.filePath("смета.pdf");
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the firm's earlier estimate");
    }
    ASSERT_TRUE(withPreview(&program->TProg_F3(), [&](estimate::EstimatePreview &preview) {
        const FileSizeLimit fullDisk(1000);
        program->errors.run([&] { preview.saveAs(existing); });
    }));
    const QStringList boxes = takeMessages();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.back().startsWith(BoxTitle + "Cannot create file \"" + existing + "\"."))
        << boxes.back().toStdString();
    EXPECT_EQ(contents(existing), "the firm's earlier estimate");

    // A missing folder, and (where the permissions hold: not for root) a read-only one.
    const bool readOnlyHolds = geteuid() != 0;
    if (readOnlyHolds)
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    ASSERT_TRUE(withPreview(&program->TProg_F3(), [&](estimate::EstimatePreview &preview) {
        program->errors.run([&] { preview.saveAs(dir.filePath("нет/смета.pdf")); });
        if (readOnlyHolds)
            program->errors.run([&] { preview.saveAs(existing); });
    }));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QStringList refusals = takeMessages();
    EXPECT_EQ(refusals.size(), readOnlyHolds ? 2 : 1);
    for (const QString &box : refusals)
        EXPECT_TRUE(box.startsWith(BoxTitle + "Cannot create file")) << box.toStdString();
    EXPECT_EQ(contents(existing), "the firm's earlier estimate");
}

} // namespace
} // namespace dalko::test

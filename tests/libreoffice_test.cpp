// The estimate against a real word processor. LibreOffice re-saves the shipped templates as
// HTML, as a firm making its own form does; dalko-calc fills the shipped and the re-saved
// templates, as PDF and as ODT; LibreOffice turns each ODT into a PDF, which must show the
// pages of the program's own PDF. LibreOffice starts twice in all (the re-saved templates
// must exist before they are filled), with one profile.

#include "calc_process.h"
#include "qstring_print.h"

#include "reportfile/reportformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dalko::test {
namespace {

struct Word {
    int page;
    double x, y, height; // points
};
// Each word of a PDF with its occurrences, in reading order: page, then top to bottom.
using Words = QMap<QString, QList<Word>>;

QString output(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(180000)) << program.toStdString() << " did not finish";
    EXPECT_EQ(process.exitCode(), 0)
        << program.toStdString() << ": " << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

Words wordsOf(const QString &pdf)
{
    static const QRegularExpression page(QStringLiteral("<page "));
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" )re"
                       R"re(yMax="([\d.]+)">([^<]*)</word>)re"));
    Words words;
    int pageNumber = 0;
    for (const QString &pageText : output("pdftotext", {"-bbox", pdf, "-"}).split(page)) {
        for (const QRegularExpressionMatch &m : word.globalMatch(pageText)) {
            const double top = m.captured(2).toDouble();
            words[m.captured(4)].append(
                {pageNumber, m.captured(1).toDouble(), top, m.captured(3).toDouble() - top});
        }
        ++pageNumber;
    }
    for (QList<Word> &occurrences : words)
        std::stable_sort(occurrences.begin(), occurrences.end(), [](const Word &a, const Word &b) {
            return a.page != b.page ? a.page < b.page : a.y < b.y - 2;
        });
    return words;
}

int pages(const QString &pdf)
{
    const auto match =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(output("pdfinfo", {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QStringList fonts(const QString &pdf)
{
    QStringList names;
    // Two heading lines, then one font a line, its name first.
    for (const QString &line : output("pdffonts", {pdf}).split(u'\n', Qt::SkipEmptyParts).mid(2))
        names << line.section(u' ', 0, 0).section(u'+', -1);
    return names;
}

struct Estimate {
    Estimate(const QString &templateName, const QStringList &reportLines,
             const QString &userData = NoUserData)
        : name(templateName), report(reportLines), dataFolder(userData)
    {}
    QString name; // the template's
    QStringList report;
    QString dataFolder; // with the user's own template, if any
    QString pdf, odt;
    QStringList amounts;    // the numbers put into the template
    QStringList valueWords; // every word of every value
};

class LibreOffice : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Starts LibreOffice once on the files with the profile of this test.
    void convert(const QString &to, const QStringList &files, const QString &outdir)
    {
        output("soffice", QStringList{"-env:UserInstallation=file://" + dir.filePath("profile"),
                                      "--headless", "--convert-to", to, "--outdir", outdir} +
                              files);
    }

    // The estimate filled by dalko-calc, as PDF and as ODT.
    void fill(Estimate &estimate, const QString &id)
    {
        estimate.pdf = dir.filePath(id + ".pdf");
        estimate.odt = dir.filePath(id + ".odt");
        const QString report = dir.filePath(id + ".rvj");
        report::writeFile(report, estimate.report);
        const Outcome r = run(DALKO_CALC, {"--pdf", estimate.pdf, "--odt", estimate.odt, report},
                              "ru_RU.UTF-8", estimate.dataFolder);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        static const QRegularExpression number(QStringLiteral("^\\d+(,\\d+)?$"));
        for (const QString &line : r.out.filter(QRegularExpression("^#"))) {
            const QString value = line.section(u'\t', 1);
            if (number.match(value).hasMatch())
                estimate.amounts << value;
            estimate.valueWords << value.split(u' ', Qt::SkipEmptyParts);
        }
        ASSERT_FALSE(estimate.amounts.isEmpty());
    }

    QTemporaryDir dir;
};

// The word processor's pages against the program's: the same count, the template's serif face,
// every amount in its column, no word shrunk.
void expectSamePages(const Estimate &estimate, const QString &wordProcessorPdf)
{
    const std::string name = estimate.name.toStdString() +
                             (estimate.dataFolder == NoUserData ? " (shipped)" : " (re-saved)");
    ASSERT_TRUE(QFileInfo::exists(wordProcessorPdf)) << name << ": LibreOffice wrote no PDF";
    EXPECT_EQ(pages(wordProcessorPdf), pages(estimate.pdf)) << name;
    for (const QString &font : fonts(wordProcessorPdf) + fonts(estimate.pdf))
        EXPECT_TRUE(font.contains("Serif") && !font.contains("Sans"))
            << name << ": " << font.toStdString();

    const Words own = wordsOf(estimate.pdf);
    const Words theirs = wordsOf(wordProcessorPdf);
    constexpr double PageWidth = 595.3; // A4, points
    for (const QString &amount : estimate.amounts) {
        const QList<Word> &here = own[amount];
        const QList<Word> &there = theirs[amount];
        ASSERT_EQ(there.size(), here.size()) << name << ": " << amount.toStdString();
        for (qsizetype i = 0; i < here.size(); ++i)
            EXPECT_NEAR(there[i].x, here[i].x, 0.03 * PageWidth)
                << name << ": " << amount.toStdString() << ", occurrence " << i + 1;
    }
    QString theirText;
    for (auto word = theirs.cbegin(); word != theirs.cend(); ++word)
        theirText += word.key() + u' ';
    for (const QString &word : estimate.valueWords)
        EXPECT_TRUE(theirText.contains(word)) << name << ": " << word.toStdString();
    for (auto word = own.cbegin(); word != own.cend(); ++word) {
        const QList<Word> &there = theirs.value(word.key());
        for (qsizetype i = 0; i < std::min(there.size(), word->size()); ++i)
            EXPECT_GE(there[i].height, 0.75 * (*word)[i].height)
                << name << ": \"" << word.key().toStdString() << "\"";
    }
}

TEST_F(LibreOffice, ShowsTheEstimatesOdtAsTheProgramPrintsIt)
{
    const QString programFolder = QFileInfo(QStringLiteral(DALKO_CALC)).absolutePath();
    QList<Estimate> estimates{{"dalko-en.rv", workedExample()}, {"dalko-t.rv", BoilerDefaults}};

    // The firm's own form: the shipped templates opened and saved as HTML by the word processor.
    QStringList copies;
    for (const Estimate &estimate : estimates) {
        copies << dir.filePath("html/" + estimate.name + ".html");
        ASSERT_TRUE(QDir(dir.path()).mkpath("html"));
        ASSERT_TRUE(QFile::copy(programFolder + u'/' + estimate.name, copies.back()));
    }
    convert("html:HTML (StarWriter)", copies, dir.filePath("resaved"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("own/dalko"));
    for (const Estimate &estimate : QList(estimates)) {
        ASSERT_TRUE(QFile::rename(dir.filePath("resaved/" + estimate.name + ".html"),
                                  dir.filePath("own/dalko/" + estimate.name)))
            << "LibreOffice did not save " << estimate.name.toStdString() << " as HTML";
        estimates.append({estimate.name, estimate.report, dir.filePath("own")});
    }

    QStringList odts;
    for (qsizetype i = 0; i < estimates.size(); ++i) {
        ASSERT_NO_FATAL_FAILURE(fill(estimates[i], QString::number(i)));
        odts << estimates[i].odt;
    }
    // The shipped templates: two pages and one, as the firm prints them.
    EXPECT_EQ(pages(estimates[0].pdf), 2);
    EXPECT_EQ(pages(estimates[1].pdf), 1);

    convert("pdf", odts, dir.filePath("fromodt"));
    for (qsizetype i = 0; i < estimates.size(); ++i)
        expectSamePages(estimates[i], dir.filePath("fromodt/" + QString::number(i) + ".pdf"));

    // Filled from the re-saved templates, the program's own PDF still carries every word of
    // every value and prints no word smaller than 7 pt.
    for (const Estimate &estimate : estimates.mid(2)) {
        const Words printed = wordsOf(estimate.pdf);
        QString text; // words in the order of their spelling: the check needs only each one
        for (auto word = printed.cbegin(); word != printed.cend(); ++word) {
            text += word.key() + u' ';
            for (const Word &at : *word)
                EXPECT_GE(at.height, 7)
                    << estimate.name.toStdString() << ": \"" << word.key().toStdString() << "\"";
        }
        for (const QString &word : estimate.valueWords)
            EXPECT_TRUE(text.contains(word))
                << estimate.name.toStdString() << ": " << word.toStdString();
        EXPECT_FALSE(text.contains(QRegularExpression("#[^#&\\s]+&")))
            << estimate.name.toStdString();
    }
}

} // namespace
} // namespace dalko::test

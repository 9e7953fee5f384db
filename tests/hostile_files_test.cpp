// dalko-calc run as a process on names that stand for no report file: a pipe with no writer,
// a device that never ends, files far too large; and on templates made to hang it or exhaust
// it. Each is refused with its message, never blocking, in seconds and in little memory. A
// save never replaces anything but a regular file, nor an output another one.

#include "reportfile/reportformat.h"

#include "qstring_print.h"
#include "report_samples.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace dalko;

struct Outcome {
    bool finished = false;
    int status = -1;
    QString out;
    QString err;
    long peakBytes = 0;
    double seconds = 0;
};

// A C array of texts that lives as long as the object.
class CStrings {
  public:
    explicit CStrings(const QStringList &texts)
    {
        for (const QString &text : texts)
            m_texts.push_back(text.toLocal8Bit());
        for (QByteArray &text : m_texts)
            m_pointers.push_back(text.data());
        m_pointers.push_back(nullptr);
    }
    char *const *data() { return m_pointers.data(); }

  private:
    std::vector<QByteArray> m_texts;
    std::vector<char *> m_pointers;
};

class HostileFiles : public ::testing::Test {
  protected:
    // Runs dalko-calc and reaps it with wait4, which gives the peak memory of that one child.
    // The time limit only keeps a hang from stopping the suite.
    Outcome calc(const QStringList &args)
    {
        const QString errPath = dir.filePath("stderr.txt");
        const QString outPath = dir.filePath("stdout.txt");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, QFile::encodeName(outPath).constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, QFile::encodeName(errPath).constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "ru_RU.UTF-8");
        env.remove("QT_QPA_PLATFORM"); // the tool chooses its platform itself
        env.insert("CUPS_SERVER", "/nonexistent/dalko-tests/cups.sock");
        // The user's own templates are those the test puts in userTemplates().
        env.insert("HOME", dir.path());
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        CStrings argv(QStringList{DALKO_CALC} + args);
        CStrings envp(env.toStringList());
        pid_t pid = -1;
        const int spawned =
            posix_spawn(&pid, DALKO_CALC, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        Outcome outcome;
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << DALKO_CALC;
            return outcome;
        }
        int status = 0;
        rusage usage{};
        const auto start = std::chrono::steady_clock::now();
        const auto deadline = start + std::chrono::seconds(60);
        while (wait4(pid, &status, WNOHANG, &usage) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                wait4(pid, &status, 0, &usage);
                return outcome;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        outcome.finished = true;
        outcome.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        outcome.peakBytes = usage.ru_maxrss * 1024L;
        QFile err(errPath), out(outPath);
        if (err.open(QIODevice::ReadOnly))
            outcome.err = QString::fromUtf8(err.readAll());
        if (out.open(QIODevice::ReadOnly))
            outcome.out = QString::fromUtf8(out.readAll());
        return outcome;
    }

    // A file written in pieces of `piece`, `count` times, then `tail`.
    QString writtenFile(const QString &name, const QByteArray &piece, int count,
                        const QByteArray &tail = {})
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        for (int k = 0; k < count; ++k)
            file.write(piece);
        file.write(tail);
        return path;
    }

    QString reportFile(const QStringList &lines = test::BoilerDefaults,
                       const QString &name = QStringLiteral("котельная.rvj"))
    {
        const QString path = dir.filePath(name);
        report::writeFile(path, lines);
        return path;
    }

    // The folder of the user's own templates, which dalko-calc takes first.
    QString userTemplates()
    {
        const QString folder = dir.filePath("data/dalko");
        EXPECT_TRUE(QDir().mkpath(folder));
        return folder;
    }

    QTemporaryDir dir;
};

constexpr long MemoryLimit = 100L << 20;
// What a template may cost at most, whatever it holds.
constexpr long TemplateMemoryLimit = 200L << 20;
constexpr double TemplateSeconds = 10;

QByteArray shippedTemplate(const QString &name)
{
    QFile file(QFileInfo(QStringLiteral(DALKO_CALC)).absolutePath() + u'/' + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray html(const QByteArray &body)
{
    return "<html><head><meta charset=\"utf-8\"></head><body><p>#ЧИСЛО&amp;</p>" + body +
           "</body></html>";
}

QString textOfPdf(const QString &pdf)
{
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    EXPECT_TRUE(text.waitForFinished());
    return QString::fromUtf8(text.readAllStandardOutput());
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST_F(HostileFiles, WhatIsNoReportFileIsRefusedAtOnce)
{
    const QString fifo = dir.filePath("канал.rvj");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString sparse = dir.filePath("разреженный.rvj");
    {
        QFile file(sparse);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(ftruncate(file.handle(), 3LL << 30), 0);
    }
    const QString tooLarge = QStringLiteral("Файл слишком велик для файла отчета (больше 3 МБ)");
    const std::pair<QString, QString> cases[] = {
        {fifo, "Это канал, а не обычный файл."},
        {"/dev/zero", "Это устройство, а не обычный файл."},
        {sparse, tooLarge},
        {writtenFile("строки.rvj", QByteArray("0\r\n").repeated(1'000'000), 10), tooLarge},
        {writtenFile("строка.rvj", QByteArray(1 << 20, 'x'), 100, "\r\n"), tooLarge},
    };
    for (const auto &[path, reason] : cases) {
        const Outcome r = calc({path});
        ASSERT_TRUE(r.finished) << "hangs on " << path.toStdString();
        EXPECT_EQ(r.status, 1) << path.toStdString();
        EXPECT_EQ(r.err, QStringLiteral("Cannot open file \"%1\". %2\n").arg(path, reason));
        EXPECT_LT(r.peakBytes, MemoryLimit) << path.toStdString();
    }
}

TEST_F(HostileFiles, SaveOntoAPipeLeavesThePipe)
{
    const QString fifo = dir.filePath("канал.rvj");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const Outcome r = calc({"--save", fifo, reportFile()});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        r.err,
        QStringLiteral("Cannot create file \"%1\". Это канал, а не обычный файл.\n").arg(fifo));
    struct stat info {};
    ASSERT_EQ(lstat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(HostileFiles, SaveOntoADeviceLeavesTheDevice)
{
    // A node of the null device, made where the test may make one (as root).
    struct stat null {};
    ASSERT_EQ(stat("/dev/null", &null), 0);
    const QString node = dir.filePath("устройство.rvj");
    const QByteArray name = QFile::encodeName(node);
    if (mknod(name.constData(), S_IFCHR | 0600, null.st_rdev) != 0)
        GTEST_SKIP() << "no device node can be made here";
    const Outcome r = calc({"--save", node, reportFile()});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              QStringLiteral("Cannot create file \"%1\". Это устройство, а не обычный файл.\n")
                  .arg(node));
    struct stat info {};
    ASSERT_EQ(lstat(name.constData(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_EQ(info.st_rdev, null.st_rdev);
}

TEST_F(HostileFiles, SaveThroughALinkReplacesTheFileItPointsTo)
{
    const QString input = reportFile();
    const QString target = dir.filePath("отчет.rvj");
    const QString link = dir.filePath("ссылка.rvj");
    report::writeFile(target, {"старый"});
    ASSERT_TRUE(QFile::link(target, link));
    const Outcome r = calc({"--save", link, input});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
    QFile written(target), original(input);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), original.readAll());
}

} // namespace

namespace {

TEST_F(HostileFiles, TemplatesThatWouldHangOrExhaustTheProgramAreRefusedAtOnce)
{
    const QString fifo = dir.filePath("канал.png");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QByteArray svgOnFifo = "<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                 "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"10\" "
                                 "height=\"10\"><image xlink:href=\"" +
                                 QFile::encodeName(fifo) + "\" width=\"10\" height=\"10\"/></svg>";
    QByteArray svgOnFile = svgOnFifo;
    svgOnFile.replace(QFile::encodeName(fifo), "/etc/passwd");
    {
        QFile svg(dir.filePath("рисунок.svg"));
        ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
        svg.write(svgOnFifo);
        QFile other(dir.filePath("файл.svg"));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        other.write(svgOnFile);
        QFile big(dir.filePath("большой.png"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write(png(5000, 5000));
    }
    // Ten pictures, each its own: one shown twice is decoded once.
    auto tenPictures = [](int side) {
        QByteArray pictures;
        for (int n = 0; n < 10; ++n)
            pictures += "<img src=\"data:image/png;base64," + png(side, side + n).toBase64() +
                        "\" width=\"10\" height=\"10\">";
        return pictures;
    };
    QByteArray manyTexts;
    for (int n = 0; n < 100'000; ++n)
        manyTexts += "#x" + QByteArray::number(n) + "&amp; ";
    const QString svg = QStringLiteral("в формате SVG, а смета показывает только рисунки из точек");
    const QString tooLarge = QStringLiteral("слишком велик (5000 × 5000 точек");
    const std::pair<QByteArray, QString> cases[] = {
        {html("<img src=\"рисунок.svg\">"), svg},
        {html("<img src=\"файл.svg\">"), svg},
        {html("<img src=\"data:image/svg+xml;base64," + svgOnFifo.toBase64() + "\">"), svg},
        {html("<ol>" + QByteArray("<li>пункт</li>").repeated(25'000) + "</ol>"),
         "слишком много пунктов списков (25000, допустимо не больше 2000)"},
        {html("<ol>" + QByteArray("<li>п").repeated(100'000) + "</ol>"),
         "слишком много пунктов списков (100000"},
        {html("<table>" + QByteArray("<tr><td colspan=\"1999\">я</td></tr>").repeated(1999) +
              "</table>"),
         "слишком много ячеек таблиц (считая каждую объединенную) (3996001"},
        {html(QByteArray("<p>").repeated(300'000)), "слишком много абзацев (300001"},
        {html(manyTexts), "слишком много текстов вида #…& (100001"},
        {html("<img src=\"большой.png\" width=\"10\" height=\"10\">"), tooLarge},
        {html(tenPictures(5000)), tooLarge},
        {html(tenPictures(3000)), "вместе с прежними рисунками занял бы больше 64 МБ"},
        {"<meta charset=\"iso-8859-5\">" + html({}),
         "записан в кодировке \"iso-8859-5\", которую программа не читает"},
    };
    for (const auto &[text, reason] : cases) {
        const QString path = dir.filePath("шаблон.rv");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        const Outcome r = calc({"--check-template", "general", path});
        ASSERT_TRUE(r.finished) << "hangs on " << reason.toStdString();
        EXPECT_EQ(r.status, 1) << reason.toStdString();
        EXPECT_TRUE(r.err.contains(reason)) << r.err.toStdString();
        EXPECT_LT(r.seconds, TemplateSeconds) << reason.toStdString();
        EXPECT_LT(r.peakBytes, TemplateMemoryLimit) << reason.toStdString();
    }
}

// A picture far larger than it is shown prints, decoded once at the size it needs.
TEST_F(HostileFiles, PictureLargerThanShownPrintsInLittleMemory)
{
    QByteArray form = shippedTemplate("dalko-t.rv");
    form.replace("</body>", "<img src=\"data:image/png;base64," + png(4000, 4000).toBase64() +
                                "\" width=\"20\" height=\"20\"></body>");
    QFile file(userTemplates() + "/dalko-t.rv");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(form);
    file.close();
    const Outcome r = calc({"--pdf", dir.filePath("смета.pdf"), reportFile()});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_LT(r.seconds, TemplateSeconds);
    EXPECT_LT(r.peakBytes, TemplateMemoryLimit);
}

// A word processor on Windows saves HTML in Windows-1251 and says so in the document.
TEST_F(HostileFiles, TemplateIsReadInTheCodePageItDeclares)
{
    for (const char *codePage : {"windows-1251", "koi8-r"}) {
        // The letters the code pages lack written as references, the Cyrillic ones as text.
        QByteArray form;
        for (const QChar c : QString::fromUtf8(shippedTemplate("dalko-en.rv")))
            form += c.unicode() < 0x80 || (c >= u'А' && c <= u'я') || c == u'ё' || c == u'Ё'
                        ? QString(c).toUtf8()
                        : "&#" + QByteArray::number(c.unicode()) + ';';
        ASSERT_TRUE(form.contains("<meta charset=\"utf-8\">"));
        form.replace("<meta charset=\"utf-8\">",
                     QByteArray("<meta http-equiv=\"content-type\" content=\"text/html; "
                                "charset=") +
                         codePage + "\">");
        QProcess iconv;
        iconv.start("iconv", {"-f", "UTF-8", "-t", codePage});
        ASSERT_TRUE(iconv.waitForStarted());
        iconv.write(form);
        iconv.closeWriteChannel();
        ASSERT_TRUE(iconv.waitForFinished());
        ASSERT_EQ(iconv.exitCode(), 0) << codePage;
        const QString path = userTemplates() + "/dalko-en.rv";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(iconv.readAllStandardOutput());
        file.close();

        Outcome r = calc({"--check-template", "general"});
        EXPECT_EQ(r.status, 0) << codePage << r.out.toStdString();
        EXPECT_EQ(r.out, QStringLiteral("Шаблон: %1\n").arg(path));

        QStringList lines = test::GeneralDefaults;
        lines[0] = "ООО «Ёлка»";
        const QString pdf = dir.filePath("смета.pdf");
        r = calc({"--pdf", pdf, reportFile(lines, "общий.rvj")});
        ASSERT_EQ(r.status, 0) << codePage << r.err.toStdString();
        const QString printed = textOfPdf(pdf);
        EXPECT_TRUE(printed.contains("ООО «Ёлка»")) << codePage;
        EXPECT_TRUE(printed.contains("СМЕТА", Qt::CaseInsensitive)) << codePage;
        EXPECT_FALSE(printed.contains(QChar::ReplacementCharacter)) << codePage;
        EXPECT_FALSE(printed.contains(QRegularExpression("#[^#&\\s]+&"))) << codePage;
    }
}

TEST_F(HostileFiles, TemplateWithoutPlaceholdersIsRefusedAndOneLackingSomeWarns)
{
    const QString path = userTemplates() + "/dalko-t.rv";
    const QString pdf = dir.filePath("смета.pdf");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html><body><p>Смета</p></body></html>");
    }
    Outcome r = calc({"--pdf", pdf, reportFile()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("В шаблоне сметы \"%1\" нет ни одной метки этой "
                                              "сметы")
                                   .arg(path)))
        << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(pdf));

    QByteArray form = shippedTemplate("dalko-t.rv");
    form.replace("#прописью&", "");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(form);
    }
    r = calc({"--pdf", pdf, reportFile()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Предупреждение: в шаблоне сметы нет меток #прописью& — их значения в смету "
                     "не попали\n");
    EXPECT_TRUE(QFileInfo::exists(pdf));
}

// Text typed by the user is a value, never a placeholder to fill.
TEST_F(HostileFiles, TypedPlaceholdersPrintAsTyped)
{
    QStringList general = test::GeneralDefaults, boiler = test::BoilerDefaults;
    for (QStringList *lines : {&general, &boiler}) {
        (*lines)[0] = "ООО «#прописью&»";
        (*lines)[1] = "#РайК&";
    }
    boiler[7] = "false"; // a customer is given
    for (const QStringList &lines : {general, boiler}) {
        const QString pdf = dir.filePath("смета.pdf");
        const Outcome r = calc({"--pdf", pdf, reportFile(lines, "отчет.rvj")});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QString printed = textOfPdf(pdf);
        EXPECT_TRUE(printed.contains("ООО «#прописью&»")) << printed.toStdString();
        EXPECT_TRUE(printed.contains("#РайК&")) << printed.toStdString();
    }
}

TEST_F(HostileFiles, OutputsThatCollideAreRefusedBeforeAnythingIsWritten)
{
    const QString input = reportFile();
    const QByteArray before = contents(input);
    const QString out = dir.filePath("смета");
    const QStringList cases[] = {
        {"--pdf", out, "--odt", out, input},
        {"--pdf", input, input},
        {"--save", dir.filePath(".") + "/котельная.rvj", input},
    };
    for (const QStringList &args : cases) {
        const Outcome r = calc(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_EQ(contents(input), before);
    }
}

// A name Windows-1251 cannot hold comes back letter for letter; an ordinary file byte for byte.
TEST_F(HostileFiles, ReportFilesKeepEveryLetter)
{
    QStringList tatar = test::BoilerDefaults;
    tatar[0] = "ООО «Җәүһәр»";
    tatar[7] = "false"; // a customer is given
    for (const QStringList &lines : {tatar, test::BoilerDefaults}) {
        const QString input = reportFile(lines), output = dir.filePath("копия.rvj");
        const Outcome r = calc({"--save", output, input});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(contents(output), contents(input));
        EXPECT_EQ(report::readFile(output), lines);
    }
    EXPECT_TRUE(contents(reportFile(tatar)).startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(contents(reportFile(test::BoilerDefaults)).startsWith("\xEF\xBB\xBF"));
}

// A save keeps the mode and owner of the file it replaces and never splits a hard link.
TEST_F(HostileFiles, SaveKeepsModeAndOwnerAndRefusesAHardLink)
{
    const QString input = reportFile();
    const QString target = dir.filePath("чужой.rvj");
    report::writeFile(target, {"старый"});
    const QByteArray name = QFile::encodeName(target);
    ASSERT_EQ(chmod(name.constData(), 0640), 0);
    // As root, the file of another user stays that user's.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(name.constData(), 4321, 4321), 0);
    }
    Outcome r = calc({"--save", target, input});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(contents(target), contents(input));
    struct stat info {};
    ASSERT_EQ(stat(name.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 4321u);
    }

    const QString linked = dir.filePath("ссылка.rvj");
    ASSERT_EQ(link(name.constData(), QFile::encodeName(linked).constData()), 0);
    const QByteArray before = contents(target);
    r = calc({"--save", linked, reportFile(test::GeneralDefaults, "общий.rvj")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("жесткие ссылки")) << r.err.toStdString();
    EXPECT_EQ(contents(linked), before);
    EXPECT_EQ(contents(target), before);
}

// A number line that does not convert is loaded as written and named; empty lines are not.
TEST_F(HostileFiles, NumbersTakenAsZeroAreNamed)
{
    QStringList lines = test::GeneralDefaults;
    lines[7] = "1 234,5";
    Outcome r = calc({reportFile(lines, "странный.rvj")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Предупреждение (файл отчета): строка 8, \"1 234,5\": не число, считается "
                     "0\n");
    EXPECT_TRUE(r.out.contains("ReferenceFuel1\t0\n"));
    for (int n : {7, 8, 9, 10, 11, 12, 13, 14, 15, 21})
        lines[n] = "";
    r = calc({reportFile(lines, "пустой.rvj")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
}

// The firm's own template that cannot be read is named, not passed over for another.
TEST_F(HostileFiles, UserTemplateThatCannotBeReadIsNamed)
{
    const QString path = userTemplates() + "/dalko-en.rv";
    ASSERT_TRUE(QFile::link(dir.filePath("нет.rv"), path));
    Outcome r = calc({"--check-template", "general"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("Не удалось открыть шаблон сметы \"%1\". Нет такого файла "
                                    "или папки.\n")
                         .arg(path));
    r = calc({"--pdf", dir.filePath("смета.pdf"), reportFile(test::GeneralDefaults, "о.rvj")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(path)) << r.err.toStdString();
    EXPECT_EQ(calc({"--check-template", "general", ""}).status, 2);
}

} // namespace

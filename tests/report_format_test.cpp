#include "reportfile/codepage.h"
#include "reportfile/reportformat.h"

#include "qstring_print.h"
#include "report_samples.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace dalko;
using namespace dalko::report;

namespace {

TEST(ReportEncoding, Windows1251WithCrLfAndNoMark)
{
    const QByteArray bytes = encode({QStringLiteral("не задано"), QStringLiteral("0,5")});
    EXPECT_EQ(bytes, QByteArray("\xED\xE5 \xE7\xE0\xE4\xE0\xED\xEE\r\n0,5\r\n"));
    EXPECT_EQ(encode({QStringLiteral("€ ✓ 中")}), QByteArray("\x88 ? ?\r\n"));
    EXPECT_EQ(decode(bytes), (QStringList{"не задано", "0,5"}));
}

TEST(ReportDecoding, MarksAndLineEnds)
{
    const QStringList expected{"Заказчик", "", "3"};
    QByteArray utf16le("\xFF\xFE");
    QByteArray utf16be("\xFE\xFF");
    for (QChar c : QStringLiteral("Заказчик\r\n\n3")) {
        const char16_t u = c.unicode();
        utf16le += char(u & 0xFF);
        utf16le += char(u >> 8);
        utf16be += char(u >> 8);
        utf16be += char(u & 0xFF);
    }
    const QByteArray cases[] = {
        toWindows1251("Заказчик") + "\r\n\r\n3\r\n",
        toWindows1251("Заказчик") + "\n\n3\n",
        toWindows1251("Заказчик") + "\r\r3",
        "\xEF\xBB\xBF" + QStringLiteral("Заказчик\n\r\n3").toUtf8(),
        utf16le,
        utf16be,
    };
    for (const QByteArray &bytes : cases)
        EXPECT_EQ(decode(bytes), expected) << bytes.toHex().toStdString();
    EXPECT_EQ(decode(QByteArray()), QStringList());
}

TEST(ReportDecoding, LongLinesKeepTheirFirst4096Characters)
{
    const QStringList lines = decode(QByteArray(5000, 'x') + "\r\nnext\r\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].size(), 4096);
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(line(lines, 2), "next");
    EXPECT_EQ(line(lines, 3), "");
    EXPECT_EQ(line(lines, 0), "");
}

QString messageOf(Calculator calculator, const QStringList &lines)
{
    try {
        validate(calculator, lines, u',');
    } catch (const Error &e) {
        return e.message();
    }
    return QString();
}

TEST(ReportValidation, WholeFileIsCheckedFirst)
{
    EXPECT_EQ(messageOf(Calculator::General, test::GeneralDefaults), "");
    EXPECT_EQ(messageOf(Calculator::Boiler, test::BoilerDefaults), "");
    QStringList lines = test::GeneralDefaults;
    lines[19] = "0,9";
    EXPECT_EQ(messageOf(Calculator::General, lines), "''0,9'' is not a valid integer value");
    EXPECT_EQ(messageOf(Calculator::General, test::GeneralDefaults.mid(0, 16)),
              "'''' is not a valid integer value");
    lines = test::BoilerDefaults;
    lines[14] = "0.5";
    EXPECT_EQ(messageOf(Calculator::Boiler, lines), "'0.5' is not a valid floating point value");
    lines[14] = "1E400";
    EXPECT_EQ(messageOf(Calculator::Boiler, lines), "Floating point overflow");
    // The index of a list may lie outside it: the list then has no item selected.
    lines = test::GeneralDefaults;
    lines[16] = "-1";
    lines[17] = "99";
    EXPECT_EQ(messageOf(Calculator::General, lines), "");
}

TEST(ReportValidation, KindsAreToldApart)
{
    EXPECT_TRUE(messageOf(Calculator::General, test::BoilerDefaults).contains("котельной"));
    EXPECT_TRUE(messageOf(Calculator::Boiler, test::GeneralDefaults).contains("не файл отчета"));
    QStringList falseFlag = test::BoilerDefaults;
    falseFlag[7] = "false";
    EXPECT_TRUE(isBoilerFile(falseFlag));
    falseFlag[7] = "False";
    EXPECT_FALSE(isBoilerFile(falseFlag));
}

TEST(ReportNames, RvjIsAppendedOnlyWhereMissing)
{
    EXPECT_EQ(reportFileName("/tmp/отчет"), "/tmp/отчет.rvj");
    EXPECT_EQ(reportFileName("/tmp/отчет.rvj"), "/tmp/отчет.rvj");
    EXPECT_EQ(reportFileName("/tmp/отчет.RVJ"), "/tmp/отчет.RVJ");
    EXPECT_EQ(reportFileName("/tmp/отчет.txt"), "/tmp/отчет.txt.rvj");
}

TEST(ReportFiles, FailedSaveLeavesTheOldFileIntact)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("отчет.rvj");
    writeFile(path, {"old"});
    // A file-size limit makes the write fail even for root, who ignores permissions.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tiny = old;
    tiny.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &tiny);
    QString message;
    try {
        writeFile(path, test::GeneralDefaults);
    } catch (const Error &e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(message, QStringLiteral("Cannot create file \"%1\". File too large").arg(path));
    EXPECT_EQ(readFile(path), QStringList{"old"});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"отчет.rvj"});
}

TEST(ReportFiles, MissingFileCannotBeOpened)
{
    try {
        readFile("/nonexistent/отчет.rvj");
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.message(),
                  "Cannot open file \"/nonexistent/отчет.rvj\". No such file or directory");
    }
}

} // namespace

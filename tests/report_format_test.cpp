#include "reportfile/codepage.h"
#include "reportfile/reportformat.h"
#include "savefile.h"

#include "error_message.h"
#include "file_size_limit.h"
#include "qstring_print.h"
#include "report_samples.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dalko;
using namespace dalko::report;

namespace {

TEST(ReportEncoding, Windows1251WithCrLfAndNoMark)
{
    const QByteArray bytes = encode({QStringLiteral("не задано"), QStringLiteral("0,5")});
    EXPECT_EQ(bytes, QByteArray("\xED\xE5 \xE7\xE0\xE4\xE0\xED\xEE\r\n0,5\r\n"));
    EXPECT_EQ(decode(bytes), (QStringList{"не задано", "0,5"}));
}

// A text in UTF-16 with its byte-order mark.
QByteArray utf16(const QString &text, bool littleEndian)
{
    QByteArray bytes(littleEndian ? "\xFF\xFE" : "\xFE\xFF");
    for (QChar c : text) {
        const char16_t u = c.unicode();
        bytes += char(littleEndian ? u & 0xFF : u >> 8);
        bytes += char(littleEndian ? u >> 8 : u & 0xFF);
    }
    return bytes;
}

QByteArray utf8(const QString &text) { return "\xEF\xBB\xBF" + text.toUtf8(); }

TEST(ReportEncoding, TextsThatLookLikeAMarkReadBackAsWritten)
{
    for (const char *start : {"п»ї", "яю", "юя"}) {
        QStringList lines = test::BoilerDefaults;
        lines[0] = QString::fromUtf8(start) + "ООО «Заказчик»";
        const QByteArray bytes = encode(lines);
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF" + lines[0].toUtf8() + "\r\n")) << start;
        EXPECT_EQ(decode(bytes), lines) << start;
    }
    // Only the first bytes of the file can be taken for a mark.
    for (const QStringList &lines : {QStringList{"п»", "ї"}, QStringList{"я", "ю"},
                                     QStringList{"", "п»ї"}, QStringList{"ю", "яю"}}) {
        EXPECT_EQ(encode(lines), toWindows1251(lines.join("\r\n") + "\r\n"));
        EXPECT_EQ(decode(encode(lines)), lines);
    }
}

TEST(ReportDecoding, MarksAndLineEnds)
{
    const QStringList expected{"Заказчик", "", "3"};
    const QByteArray cases[] = {
        toWindows1251("Заказчик") + "\r\n\r\n3\r\n",
        toWindows1251("Заказчик") + "\n\n3\n",
        toWindows1251("Заказчик") + "\r\r3",
        utf8("Заказчик\n\r\n3"),
        utf16("Заказчик\r\n\n3", true),
        utf16("Заказчик\r\n\n3", false),
    };
    for (const QByteArray &bytes : cases)
        EXPECT_EQ(decode(bytes), expected) << bytes.toHex().toStdString();
    EXPECT_EQ(decode(QByteArray()), QStringList());
}

TEST(ReportDecoding, LongLinesKeepTheirFirst32767Characters)
{
    const QStringList lines = decode(QByteArray(40000, 'x') + "\r\nnext\r\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].size(), MaxLineLength);
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(line(lines, 2), "next");
    EXPECT_EQ(line(lines, 3), "");
    EXPECT_EQ(line(lines, 0), "");

    // Characters of several bytes are cut by characters, in every encoding.
    const QString text = QString(40000, u'ж') + "\r\n" + QString(MaxLineLength, u'щ') + "\r\nend";
    const QStringList expected{QString(MaxLineLength, u'ж'), QString(MaxLineLength, u'щ'), "end"};
    for (const QByteArray &bytes :
         {toWindows1251(text), utf8(text), utf16(text, true), utf16(text, false)})
        EXPECT_EQ(decode(bytes), expected) << bytes.left(4).toHex().toStdString();
}

TEST(ReportDecoding, OnlyTheLinesALayoutReadsAreKept)
{
    QByteArray bytes;
    for (int number = 1; number <= 1000; ++number)
        bytes += QByteArray::number(number) + "\r\n";
    const QStringList lines = decode(bytes);
    ASSERT_EQ(lines.size(), MaxLines);
    EXPECT_EQ(lines.back(), "22");
    // A leading U+FEFF of a later line is text: only the file's first mark is taken away.
    EXPECT_EQ(decode(utf8(QStringLiteral("a\r\n\uFEFFb"))),
              (QStringList{"a", QStringLiteral("\uFEFFb")}));
}

// Peak memory of this process, in bytes.
long peakMemory()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024L;
}

// Measured in a child process of its own, so that no earlier test's peak can hide what the
// decoding adds.
TEST(ReportDecoding, HugeLinesAreNotConvertedWhole)
{
    enum Outcome { Kept = 0, WrongLines = 1, TooMuchMemory = 2 };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The input is held by the caller; decoding it adds only what it keeps.
        constexpr qsizetype size = 100 << 20;
        QByteArray bytes;
        bytes.reserve(size + 8);
        bytes.append(size, '\xE6'); // "ж" in Windows-1251
        bytes.append("\r\nnext");
        const long before = peakMemory();
        const QStringList lines = decode(bytes);
        if (lines != QStringList{QString(MaxLineLength, u'ж'), "next"})
            _exit(WrongLines);
        _exit(peakMemory() - before < (16L << 20) ? Kept : TooMuchMemory);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), Kept) << "1: the lines differ, 2: decoding took 16 MB or more";
}

QString messageOf(Calculator calculator, const QStringList &lines)
{
    return test::errorMessage([&] { validate(calculator, lines, u','); });
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
    lines[14] = "0,5,1";
    EXPECT_EQ(messageOf(Calculator::Boiler, lines), "'0,5,1' is not a valid floating point value");
    lines[14] = "1E400";
    EXPECT_EQ(messageOf(Calculator::Boiler, lines), "Floating point overflow");
    // The index of a list may lie outside it: the list then has no item selected.
    lines = test::GeneralDefaults;
    lines[16] = "-1";
    lines[17] = "99";
    EXPECT_EQ(messageOf(Calculator::General, lines), "");
}

TEST(ReportLayout, NumericTextsAreTheBoxesReadAsNumbers)
{
    const auto numericLines = [](Calculator calculator) {
        QList<int> numbers;
        const auto kinds = layout(calculator);
        for (int number = 1; number <= int(kinds.size()); ++number)
            if (kinds[number - 1] == LineKind::NumericText)
                numbers << number;
        return numbers;
    };
    EXPECT_EQ(numericLines(Calculator::General),
              (QList<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 22}));
    EXPECT_EQ(numericLines(Calculator::Boiler), (QList<int>{4, 5, 6, 7}));
}

struct LoadCase {
    LineKind kind;
    const char *text;
    const char *underComma;
    const char *underPoint;
};

TEST(ReportLoading, NumbersTakeEitherSeparator)
{
    const LoadCase cases[] = {
        {LineKind::NumericText, "1250,5", "1250,5", "1250.5"},
        {LineKind::NumericText, "1500.75", "1500,75", "1500.75"},
        {LineKind::Number, "0,6", "0,6", "0.6"},
        {LineKind::Number, "178.57", "178,57", "178.57"},
        // Neither way: as it stands.
        {LineKind::NumericText, "1,2,3", "1,2,3", "1,2,3"},
        {LineKind::NumericText, "", "", ""},
        {LineKind::Number, "абв", "абв", "абв"},
        // Not read as numbers: never touched.
        {LineKind::Text, "12.5", "12.5", "12.5"},
        {LineKind::ListIndex, "0,9", "0,9", "0,9"},
        {LineKind::Flag, "1.5", "1.5", "1.5"},
    };
    for (const LoadCase &c : cases) {
        EXPECT_EQ(loadedText(c.kind, QString::fromUtf8(c.text), u','), c.underComma) << c.text;
        EXPECT_EQ(loadedText(c.kind, QString::fromUtf8(c.text), u'.'), c.underPoint) << c.text;
    }
}

TEST(ReportValidation, NumberLinesPassUnderEitherSeparator)
{
    QStringList pointFile = test::BoilerDefaults;
    for (QString &text : pointFile)
        text.replace(u',', u'.');
    for (const QStringList &lines : {test::BoilerDefaults, pointFile})
        for (QChar decimal : {QChar(u','), QChar(u'.')})
            EXPECT_NO_THROW(validate(Calculator::Boiler, lines, decimal))
                << lines[14].toStdString() << " under " << char(decimal.unicode());
    pointFile[15] = "0.9.1";
    for (QChar decimal : {QChar(u','), QChar(u'.')}) {
        try {
            validate(Calculator::Boiler, pointFile, decimal);
            ADD_FAILURE() << "no error under " << char(decimal.unicode());
        } catch (const Error &e) {
            EXPECT_EQ(e.message(), "'0.9.1' is not a valid floating point value");
        }
    }
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
    QString message;
    {
        const test::FileSizeLimit fullDisk(8);
        message = test::errorMessage([&] { writeFile(path, test::GeneralDefaults); });
    }
    EXPECT_EQ(
        message,
        QStringLiteral("Cannot create file \"%1\". Превышен допустимый размер файла").arg(path));
    EXPECT_EQ(readFile(path), QStringList{"old"});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"отчет.rvj"});
}

QString fileType(const QString &path)
{
    struct stat info {};
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return "none";
    if (S_ISLNK(info.st_mode))
        return "link";
    if (S_ISFIFO(info.st_mode))
        return "fifo";
    if (S_ISSOCK(info.st_mode))
        return "socket";
    if (S_ISDIR(info.st_mode))
        return "folder";
    return S_ISREG(info.st_mode) ? "file" : "other";
}

// A folder holding one of each kind of thing a name may stand for.
class Targets : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        ASSERT_TRUE(QDir(dir.path()).mkdir("папка"));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketName = QFile::encodeName(socket);
        ASSERT_LT(size_t(socketName.size()), sizeof address.sun_path);
        std::copy(socketName.begin(), socketName.end(), address.sun_path);
        socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(bind(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ASSERT_TRUE(QFile::link(fifo, linkToFifo));
        ASSERT_TRUE(QFile::link(loop, loop));
    }
    void TearDown() override { ::close(socketFd); }

    QTemporaryDir dir;
    const QString fifo = dir.filePath("канал");
    const QString folder = dir.filePath("папка");
    const QString socket = dir.filePath("s");
    const QString linkToFifo = dir.filePath("ссылка");
    const QString loop = dir.filePath("петля");
    int socketFd = -1;
};

TEST_F(Targets, OnlyARegularFileIsRead)
{
    const std::pair<QString, const char *> cases[] = {
        {"/nonexistent/отчет.rvj", "Нет такого файла или папки"},
        {folder, "Это папка, а не файл"},
        {fifo, "Это канал, а не обычный файл"}, // no writer: open() would block
        {linkToFifo, "Это канал, а не обычный файл"},
        {socket, "Это сокет, а не обычный файл"},
        {loop, "Слишком много символических ссылок в пути"},
        {"/dev/zero", "Это устройство, а не обычный файл"},
    };
    for (const auto &[path, reason] : cases)
        EXPECT_EQ(test::errorMessage([&] { readFile(path); }),
                  QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
}

TEST_F(Targets, AFileOverThreeMegabytesIsNoReportFile)
{
    const QString path = dir.filePath("big.rvj");
    // The longest lines of the longer layout, each of the widest letters, load whole.
    const QStringList longest(MaxLines, QString(MaxLineLength, u'中'));
    writeFile(path, longest);
    EXPECT_EQ(readFile(path), longest);
    writeFile(path, test::GeneralDefaults);
    ASSERT_TRUE(QFile::resize(path, 3 << 20));
    EXPECT_EQ(readFile(path), test::GeneralDefaults) << "the largest file still loads";
    ASSERT_TRUE(QFile::resize(path, (3 << 20) + 1));
    EXPECT_EQ(test::errorMessage([&] { readFile(path); }),
              QStringLiteral("Cannot open file \"%1\". Файл слишком велик для файла отчета "
                             "(больше 3 МБ)")
                  .arg(path));
}

// Windows-1251 as long as every letter fits, so that older programs keep reading the file;
// UTF-8 with its mark once one does not.
TEST(ReportEncoding, LettersWindows1251LacksTurnTheFileToUtf8)
{
    QStringList lines = test::GeneralDefaults;
    lines[0] = "ООО «Ёлка» № 5 — €";
    EXPECT_FALSE(needsUtf8(lines));
    EXPECT_EQ(encode(lines), toWindows1251(lines.join("\r\n") + "\r\n"));
    for (const char *name : {"ООО «Җәүһәр»", "Ørsted", "日本"}) {
        lines[2] = QString::fromUtf8(name);
        EXPECT_TRUE(needsUtf8(lines)) << name;
        EXPECT_EQ(encode(lines), "\xEF\xBB\xBF" + (lines.join("\r\n") + "\r\n").toUtf8()) << name;
        EXPECT_EQ(decode(encode(lines)), lines) << name;
    }
}

TEST_F(Targets, SaveReplacesOnlyARegularFile)
{
    const std::pair<QString, const char *> cases[] = {
        {fifo, "Это канал, а не обычный файл"},
        {linkToFifo, "Это канал, а не обычный файл"},
        {socket, "Это сокет, а не обычный файл"},
        {folder, "Это папка, а не файл"},
        {loop, "Слишком много символических ссылок в пути"},
        {dir.filePath("нет такой папки/отчет.rvj"), "Нет такого файла или папки"},
        {"", "Не задано имя файла"},
    };
    const auto entries = [&] {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    };
    const QStringList before = entries();
    for (const auto &[path, reason] : cases) {
        const QString type = fileType(path);
        EXPECT_EQ(test::errorMessage([&] { saveFile(path, "bytes"); }),
                  QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
        EXPECT_EQ(fileType(path), type) << path.toStdString();
    }
    EXPECT_EQ(fileType(fifo), "fifo");
    EXPECT_EQ(entries(), before) << "no temporary file left behind";
}

TEST_F(Targets, SaveThroughALinkReplacesItsTarget)
{
    const QString target = dir.filePath("отчет.rvj");
    const QString link = dir.filePath("ссылка.rvj");
    saveFile(target, "old");
    ASSERT_TRUE(QFile::link(target, link));
    saveFile(link, "new");
    EXPECT_EQ(fileType(link), "link");
    EXPECT_EQ(QFile::symLinkTarget(link), target);
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "new");

    // A link to nothing yet: the file it names is created, the link stays.
    const QString future = dir.filePath("новый.rvj");
    ASSERT_TRUE(QFile::link(future, dir.filePath("будущий.rvj")));
    saveFile(dir.filePath("будущий.rvj"), "new");
    EXPECT_EQ(fileType(dir.filePath("будущий.rvj")), "link");
    EXPECT_EQ(fileType(future), "file");
}

} // namespace

// dalko-calc run as a process on names that stand for no report file: a pipe with no writer,
// a device that never ends, files far too large. Each is refused with its message, never
// blocking and in little memory. A save never replaces anything but a regular file.

#include "reportfile/reportformat.h"

#include "qstring_print.h"
#include "report_samples.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
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
    QString err;
    long peakBytes = 0;
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
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, QFile::encodeName(errPath).constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "ru_RU.UTF-8");
        env.remove("QT_QPA_PLATFORM"); // the tool chooses its platform itself
        env.insert("CUPS_SERVER", "/nonexistent/dalko-tests/cups.sock");
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
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (wait4(pid, &status, WNOHANG, &usage) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                wait4(pid, &status, 0, &usage);
                return outcome;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        outcome.finished = true;
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        outcome.peakBytes = usage.ru_maxrss * 1024L;
        QFile err(errPath);
        if (err.open(QIODevice::ReadOnly))
            outcome.err = QString::fromUtf8(err.readAll());
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

    QString reportFile()
    {
        const QString path = dir.filePath("котельная.rvj");
        report::writeFile(path, test::BoilerDefaults);
        return path;
    }

    QTemporaryDir dir;
};

constexpr long MemoryLimit = 100L << 20;

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
    const QString tooLarge = QStringLiteral("Файл слишком велик для файла отчета (больше 1 МБ)");
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

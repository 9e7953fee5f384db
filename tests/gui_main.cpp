#include "application.h"
#include "program.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Russian regional settings: a decimal comma, as the firms use.
    qputenv("LC_ALL", "ru_RU.UTF-8");
    // No printer unless a test's own print server is named: printing is never left to
    // whatever the machine has.
    if (!qEnvironmentVariableIsSet("DALKO_PRINT_JOB"))
        qputenv("CUPS_SERVER", "/nonexistent/dalko-tests/cups.sock");
    // The program's settings (the folder of the file dialogs) start afresh in every run and
    // never touch the user's; the estimates come from the templates of the build tree, not
    // from a copy the user keeps.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    dalko::setUpApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

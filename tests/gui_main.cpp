#include "app/program.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Russian regional settings: a decimal comma, as the firms use.
    qputenv("LC_ALL", "ru_RU.UTF-8");
    QApplication app(argc, argv);
    dalko::setUpApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

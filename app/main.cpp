#include "Logo_U.h"
#include "program.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs(
            "dalko: нет графического дисплея (не заданы DISPLAY и WAYLAND_DISPLAY).\n"
            "Запустите программу в графическом сеансе; для расчета без окон есть dalko-calc.\n",
            stderr);
        return 1;
    }
    QApplication app(argc, argv);
    dalko::setUpApplication();
    dalko::Program program;
    program.createWindows();
    program.TLogo_F->show();
    return app.exec();
}

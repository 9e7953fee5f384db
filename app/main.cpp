#include "application.h"
#include "commandline.h"
#include "program.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Without a display the help and the version can still be given; the program itself
    // cannot run.
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") &&
                           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (noDisplay)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dalko::setUpApplication();
    const dalko::QtTranslation translation(QLocale::system());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Определение стоимости работ в области энергетического обследования."));
    parser.addPositionalArgument(QStringLiteral("ФАЙЛ.rvj"),
                                 QStringLiteral("Файл отчета: после заставки открыть первую "
                                                "страницу его расчета с загруженными данными."),
                                 QStringLiteral("[ФАЙЛ.rvj]"));
    if (const auto status = dalko::parseCommandLine(parser, app.arguments()))
        return *status;
    if (parser.positionalArguments().size() > 1)
        return dalko::usageError(QStringLiteral("можно указать только один файл отчета."));
    if (noDisplay) {
        std::fputs(
            "dalko: нет графического дисплея (не заданы DISPLAY и WAYLAND_DISPLAY).\n"
            "Запустите программу в графическом сеансе; для расчета без окон есть dalko-calc.\n",
            stderr);
        return 1;
    }

    dalko::Program program;
    program.createWindows();
    program.start(parser.positionalArguments().value(0));
    return app.exec();
}

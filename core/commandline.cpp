#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace dalko {

namespace {

// As the user called it: "dalko" or "dalko-calc".
QString programName() { return QFileInfo(QCoreApplication::arguments().value(0)).fileName(); }

} // namespace

int usageError(const QString &message)
{
    printText(stderr, QStringLiteral("%1: %2\nСправка: %1 --help\n").arg(programName(), message));
    return 2;
}

std::optional<int> parseCommandLine(QCommandLineParser &parser, const QStringList &arguments)
{
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        printText(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        printText(stdout, programName() + u' ' + QCoreApplication::applicationVersion() + u'\n');
        return 0;
    }
    // Only process() lists Qt's own options; it prints the help and ends the program.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(arguments);
    return std::nullopt;
}

void printText(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = QString(text).replace(QChar(0), QChar::ReplacementCharacter).toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), stream);
}

} // namespace dalko

#pragma once

// The command line both programs share: help, version, usage errors and text on the standard
// streams.

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

class QCommandLineParser;

namespace dalko {

// Adds --help, --help-all and --version to the parser and parses the arguments. Gives the exit
// status when the program ends at once: 0 after the help or the version, 2 for a wrong argument.
std::optional<int> parseCommandLine(QCommandLineParser &parser, const QStringList &arguments);
// Tells a wrong argument on standard error, with where to find the help; gives exit status 2.
int usageError(const QString &message);

// Writes the whole text in UTF-8, a NUL included (as U+FFFD, so that it neither cuts nor
// hides a line).
void printText(std::FILE *stream, const QString &text);

} // namespace dalko

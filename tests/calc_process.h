#pragma once

// dalko-calc (or dalko) run as a process, and the report files the tests give it.

#include "report_samples.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

namespace dalko::test {

struct Outcome {
    int status = -1;
    QStringList out;
    QString err;
    QString value(const QString &name) const
    {
        for (const QString &line : out)
            if (line.startsWith(name + u'\t'))
                return line.mid(name.size() + 1);
        return QStringLiteral("<none>");
    }
};

// A data folder without the user's own templates.
inline const QString NoUserData = QStringLiteral("/nonexistent/dalko-tests/data");

// Either program, with no display: the tool chooses its platform itself. The user's own
// templates are looked for in `dataHome` (none by default).
inline Outcome run(const QString &program, const QStringList &args, const char *locale,
                   const QString &dataHome = NoUserData)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", locale);
    env.insert("XDG_DATA_HOME", dataHome);
    // Nothing of a run lands in the real home folder.
    env.insert("XDG_CONFIG_HOME", "/nonexistent/dalko-tests/config");
    env.insert("HOME", "/nonexistent/dalko-tests/home");
    for (const char *display : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(display);
    env.insert("CUPS_SERVER", "/nonexistent/dalko-tests/cups.sock");
    process.setProcessEnvironment(env);
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(30000));
    Outcome result;
    result.status = process.exitCode();
    result.out =
        QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// The worked example of the general calculator: 100 т.у.т., norm 200.
inline QStringList workedExample()
{
    QStringList lines = GeneralDefaults;
    lines[0] = "ООО «Заказчик»";
    lines[7] = "290,276";
    lines[21] = "1000";
    return lines;
}

} // namespace dalko::test

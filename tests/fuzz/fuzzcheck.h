#pragma once

// A broken property is a finding: print what broke and abort, so that libFuzzer keeps the
// input as a crash.

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace dalko::fuzz {

[[noreturn]] inline void fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "property broken: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

inline void check(bool holds, const char *what, const QString &detail = {})
{
    if (!holds)
        fail(what, detail);
}

// Shows invisible characters of a text in a failure message.
inline QString visible(const QString &text)
{
    QString shown;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        else
            shown += c;
    }
    return u'"' + shown + u'"';
}

} // namespace dalko::fuzz

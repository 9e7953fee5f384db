#pragma once

// Windows-1251, the code page of report files written under Russian settings, and the other
// code pages a template may be written in, through the program's own tables.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace dalko::report {

// A character that Windows-1251 cannot hold becomes "?".
QByteArray toWindows1251(const QString &text);
// The one byte that Windows-1251 leaves undefined becomes U+FFFD.
QString fromWindows1251(QByteArrayView bytes);
// Text in the code page of this name ("UTF-8", "WINDOWS-1251" or "KOI8-R"); a byte that does not
// convert becomes U+FFFD.
QString fromCodePage(const char *codePage, QByteArrayView bytes);

} // namespace dalko::report

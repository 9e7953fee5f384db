#pragma once

// The program's one settings file, ~/.config/dalko/dalko.conf (on Windows
// %APPDATA%\dalko\dalko.ini). Named by organisation and
// program explicitly: with no organisation set, QSettings' default would go to
// "Unknown Organization".

#include <QSettings>

namespace dalko {

QSettings appSettings();

} // namespace dalko

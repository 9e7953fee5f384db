#include "settings.h"

namespace dalko {

QSettings appSettings()
{
#ifdef Q_OS_WIN
    // A file a firm can copy between desks, %APPDATA%\dalko\dalko.ini, not the registry.
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("dalko"),
                     QStringLiteral("dalko"));
#else
    return QSettings(QStringLiteral("dalko"), QStringLiteral("dalko"));
#endif
}

} // namespace dalko

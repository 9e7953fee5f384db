#include "settings.h"

namespace dalko {

QSettings appSettings() { return QSettings(QStringLiteral("dalko"), QStringLiteral("dalko")); }

} // namespace dalko

#pragma once

// The report files each calculator saves right after start-up, with nothing entered.

#include <QStringList>

namespace dalko::test {

inline const QStringList GeneralDefaults{
    "не задано", "не задано", "не задано", "30000", "35", "35", "15", "0", "0", "0", "0",
    "0",         "0",         "0",         "0",     "0",  "0",  "0",  "0", "0", "0", "0"};

inline const QStringList BoilerDefaults{
    "не задано", "не задано", "не задано", "30000", "35",  "35",  "15",  "true", "0", "2",
    "1",         "0",         "0",         "90",    "0,5", "0,9", "0,9", "85",   "1", "178,57"};

} // namespace dalko::test

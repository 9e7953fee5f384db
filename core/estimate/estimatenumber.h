#pragma once

// The estimate's number in the register of estimates ("Смета № 2026-0001"): the first
// replacement of either estimate, empty until the register gives one.

#include "filler.h"

namespace dalko::estimate {

inline const QString NumberPlaceholder = QStringLiteral("#номер&");

inline QList<Replacement> numbered(QList<Replacement> replacements, const QString &number)
{
    for (Replacement &replacement : replacements)
        if (replacement.placeholder == NumberPlaceholder)
            replacement.value = number;
    return replacements;
}

} // namespace dalko::estimate

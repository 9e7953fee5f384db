#pragma once

// An amount of money written out in words, as financial documents write the total.

#include "numbers.h"

#include <QString>

namespace dalko::estimate {

// The largest amount in words: 999 999 999 999,99 roubles.
inline constexpr int64_t MaxKopecksInWords = 99'999'999'999'999;

// The amount brought to kopecks with R2, the roubles in words with a capital first letter and
// the kopecks as two digits: "Двадцать одна тысяча рублей 05 копеек"; a negative amount
// begins with "Минус". Fails for an amount beyond 999 999 999 999,99 roubles either way.
QString amountInWords(Ext amount);

} // namespace dalko::estimate

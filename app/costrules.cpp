#include "costrules.h"

namespace dalko {

double expertiseRate(double costWithVat)
{
    double rate = ExpertiseBands.front().rate;
    for (const ExpertiseBand &band : ExpertiseBands) {
        if (band.lowerBound <= costWithVat)
            rate = band.rate;
    }
    return rate;
}

Ext hourlyWage(const QString &salary, QChar decimal)
{
    return R2(textToNumber(salary, decimal) / 168);
}

} // namespace dalko

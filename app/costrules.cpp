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
    return R2(textToNumber(salary, decimal) / WorkingHoursPerMonth);
}

double defaultHourlyWage() { return hourlyWage(QString::fromUtf16(DefaultSalary), u'.').store(); }

void addOverheadsAndProfit(double labourCost, const FinancialTexts &financial, QChar decimal,
                           double &overheadSum, double &profitSum)
{
    overheadSum = R2(textToNumber(financial.overheads, decimal) / 100 * labourCost).store();
    profitSum =
        R2((Ext(labourCost) + overheadSum) * (textToNumber(financial.profit, decimal) / 100))
            .store();
}

} // namespace dalko

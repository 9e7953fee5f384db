#include "vatlaw.h"

#include <QRegularExpression>

#include <cmath>

namespace dalko {

int legalVatPercent(const QDate &date)
{
    int percent = VatRatesByLaw.front().percent;
    for (const VatRateInForce &rate : VatRatesByLaw) {
        if (QDate(rate.year, rate.month, rate.day) <= date)
            percent = rate.percent;
    }
    return percent;
}

bool EstimateTerms::followToday()
{
    const QDate today = QDate::currentDate();
    if (dateChosen || date == today)
        return false;
    date = today;
    return true;
}

double EstimateTerms::vatPercent() const { return fixedVatPercent.value_or(legalVatPercent(date)); }

double EstimateTerms::vatRate() const { return vatPercent() / 100; }

EstimateTerms termsOfIssue(const QDate &date, double vatRate)
{
    EstimateTerms terms;
    terms.date = date;
    terms.dateChosen = true;
    const double percent = std::round(static_cast<long double>(vatRate) * 100 * 1e6) / 1e6;
    if (vatRate != 0 && percent != legalVatPercent(date))
        terms.fixedVatPercent = percent;
    return terms;
}

QString vatCaption(const EstimateTerms &terms, const NumberFormat &format)
{
    const QString rate =
        QStringLiteral("НДС %1 %").arg(numberToText(terms.vatPercent(), format.decimal));
    return terms.fixedVatPercent ? rate + QStringLiteral(" (установлена)")
                                 : rate + QStringLiteral(" на ") + dateText(terms.date, format);
}

std::optional<double> parseVatPercent(const QString &text)
{
    static const QRegularExpression percent(QStringLiteral("^[0-9]{1,2}([.,][0-9]{1,6})?$"));
    const QString trimmed = text.trimmed();
    if (!percent.match(trimmed).hasMatch())
        return std::nullopt;
    const double value = QString(trimmed).replace(u',', u'.').toDouble();
    if (value > 99)
        return std::nullopt;
    return value;
}

} // namespace dalko

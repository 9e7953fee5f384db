#include "boilerestimate.h"

#include "amountwords.h"
#include "estimatenumber.h"

namespace dalko::estimate {

QList<Replacement> boilerReplacements(const BoilerInputs &in)
{
    const boiler::Quantities &q = in.cost;
    const QChar d = in.format.decimal;
    // A value computed here is rounded to a double before it is written.
    auto number = [d](Ext value) { return numberToText(value.store(), d); };
    auto converted = [&](const QString &percentage) { return number(textToNumber(percentage, d)); };
    auto percent = [d](double rate) { return numberToText((Ext(rate) * 100).value(), d) + u'%'; };
    const bool noVat = q.VatRate == 0;
    const QString expertiseText = q.ExpertiseRate != 0
                                      ? QStringLiteral("Сметорий. Кэ=") + percent(q.ExpertiseRate) +
                                            QStringLiteral(" Таблица №1")
                                      : QStringLiteral("Не подлежит экспертизе");
    const Ext labourWithOverheads = Ext(q.OverheadSum) + q.LabourCost;
    const Ext withProfit = Ext(q.ProfitSum) + q.OverheadSum + q.LabourCost;

    return {
        {NumberPlaceholder, QString()},
        {QStringLiteral("#ЧИСЛО&"), dateText(in.date, in.format)},
        {QStringLiteral("#форма&"), in.first.customer},
        {QStringLiteral("#объект&"), in.first.objects},
        {QStringLiteral("#место&"), in.first.place},
        {QStringLiteral("#кол&"), in.boilerCount},
        {QStringLiteral("#тип&"), in.boilerKind},
        {QStringLiteral("#мощ&"), in.capacity},
        {QStringLiteral("#Нвк&"), number(q.BoilerNorm)},
        {QStringLiteral("#к4&"), number(q.CapacityCoef)},
        {QStringLiteral("#к5&"), number(q.BoilerKindCoef)},
        {QStringLiteral("#к6&"), number(q.FuelCoef)},
        {QStringLiteral("#зарп&"), number(q.HourlyWage)},
        {QStringLiteral("#сумм1&"), number(R2(Ext(q.BoilerNorm) * q.CapacityCoef *
                                              q.BoilerKindCoef * q.FuelCoef * q.HourlyWage))},
        {QStringLiteral("#креж&"), in.firingModes},
        {QStringLiteral("#Нвд&"), number(q.DiagNorm)},
        {QStringLiteral("#к7&"), number(q.DiagBoilersCoef)},
        {QStringLiteral("#сумм2&"), number(R2(Ext(q.DiagNorm) * q.DiagBoilersCoef * q.HourlyWage))},
        {QStringLiteral("#сумм11&"), number(q.LabourCost)},
        {QStringLiteral("#NakR&"), converted(in.first.financial.overheads)},
        {QStringLiteral("#сумм3&"), number(q.OverheadSum)},
        {QStringLiteral("#сумм4&"), number(labourWithOverheads)},
        {QStringLiteral("#SmetP&"), converted(in.first.financial.profit)},
        {QStringLiteral("#сумм5&"), number(q.ProfitSum)},
        {QStringLiteral("#сумм6&"), number(withProfit)},
        {QStringLiteral("#RayK&"), converted(in.first.financial.regional)},
        {QStringLiteral("#сумм7&"), number(q.RegionalSum)},
        {QStringLiteral("#сумм8&"), number(withProfit + q.RegionalSum)},
        {QStringLiteral("#NdsT&"),
         noVat ? QStringLiteral("НДС не облагается") : QStringLiteral("НДС")},
        {QStringLiteral("#Nds&"), percent(q.VatRate)},
        {QStringLiteral("#НДС&"), number(q.VatSum)},
        {QStringLiteral("#сумм9&"), number(q.CostWithVat)},
        {QStringLiteral("#ЭксТ&"), expertiseText},
        {QStringLiteral("#ЭКС&"), number(q.ExpertiseSum)},
        {QStringLiteral("#сумм10&"), number(q.TotalCost)},
        {QStringLiteral("#прописью&"), amountInWords(q.TotalCost)},
    };
}

} // namespace dalko::estimate

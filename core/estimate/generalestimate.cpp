#include "generalestimate.h"

#include "amountwords.h"
#include "estimatenumber.h"

namespace dalko::estimate {

QList<Replacement> generalReplacements(const GeneralInputs &in)
{
    const general::CostQuantities &q = in.cost;
    const QChar d = in.format.decimal;
    auto text = [d](Ext value) { return numberToText(value.value(), d); };
    auto percent = [&](double rate) { return text(Ext(rate) * 100) + u'%'; };
    const Ext costNoVat = q.costNoVat();
    auto part = [&](long double share) { return text(R2(costNoVat * share)); };
    const bool noVat = q.VatRate == 0;
    const QString vatText = noVat ? QStringLiteral("НДС (не облагается)") : QStringLiteral("НДС");
    const QString expertiseText = q.ExpertiseRate != 0 ? QStringLiteral("Сметорий. Кэ=") +
                                                             text(Ext(q.ExpertiseRate) * 100) +
                                                             QStringLiteral("% Таблица 1")
                                                       : QStringLiteral("Не подлежит экспертизе");

    return {
        {NumberPlaceholder, QString()},
        {QStringLiteral("#ЧИСЛО&"), dateText(in.date, in.format)},
        {QStringLiteral("#сумма1&"), part(0.1L)},
        {QStringLiteral("#сумма2&"), part(0.1L)},
        {QStringLiteral("#сумма3&"), part(0.3L)},
        {QStringLiteral("#сумма4&"), part(0.2L)},
        {QStringLiteral("#сумма5&"), part(0.15L)},
        {QStringLiteral("#сумма6&"), part(0.15L)},
        {QStringLiteral("#суммаИ&"), text(costNoVat)},
        {QStringLiteral("#НДС+текст&"), vatText},
        {QStringLiteral("#НДС+т&"), noVat ? vatText : QStringLiteral(" ")},
        {QStringLiteral("#НДС%&"), percent(q.VatRate)},
        {QStringLiteral("#НДС&"), text(q.VatSum)},
        {QStringLiteral("#суммаИНДС&"), text(q.CostWithVat)},
        {QStringLiteral("#ЭКС%&"), percent(q.ExpertiseRate)},
        {QStringLiteral("#ЭКС&"), text(q.ExpertiseSum)},
        {QStringLiteral("#суммаИНДСЭКС&"), text(q.totalCost())},
        {QStringLiteral("#форма&"), in.first.customer},
        {QStringLiteral("#сумм1&"), text(q.LabourCost)},
        {QStringLiteral("#кол&"), text(in.fuelTotal)},
        {QStringLiteral("#Нв&"), text(R2(in.baseNorm))},
        {QStringLiteral("#к1&"), text(q.IndustryCoef)},
        {QStringLiteral("#к2&"), text(q.LocationCoef)},
        {QStringLiteral("#к3&"), text(q.MeteringCoef)},
        {QStringLiteral("#зарп&"), text(q.HourlyWage)},
        {QStringLiteral("#сумм2&"), text(q.OverheadSum)},
        {QStringLiteral("#сумм3&"), text(Ext(q.OverheadSum) + q.LabourCost)},
        {QStringLiteral("#сумм4&"), text(q.ProfitSum)},
        {QStringLiteral("#сумм5&"), text(q.SubtotalCost)},
        {QStringLiteral("#сумм6&"), text(q.RegionalSum)},
        {QStringLiteral("#сумм7&"), text(costNoVat)},
        {QStringLiteral("#НС&"), vatText},
        {QStringLiteral("#сумм8&"), text(q.CostWithVat)},
        {QStringLiteral("#сумм10&"), text(q.totalCost())},
        {QStringLiteral("#ЭксТ&"), expertiseText},
        {QStringLiteral("#объект&"), in.first.objects},
        {QStringLiteral("#место&"), in.first.place},
        {QStringLiteral("#НакР&"), in.first.financial.overheads},
        {QStringLiteral("#СметП&"), in.first.financial.profit},
        {QStringLiteral("#РайК&"), in.first.financial.regional},
        {QStringLiteral("#прописью&"), amountInWords(q.totalCost())},
    };
}

} // namespace dalko::estimate

#include "calculation.h"

#include "estimate/boilerestimate.h"
#include "estimate/generalestimate.h"

#include <cmath>
#include <iterator>
#include <optional>

namespace dalko::report {

namespace {

// A list selects the item of a loaded index, and none for an index outside it.
int listIndex(const QString &text, int itemCount)
{
    const int index = textToInteger(text);
    return index >= 0 && index < itemCount ? index : -1;
}

// The lines of a file in order, each as the loader takes it.
class LineReader {
  public:
    LineReader(Calculator calculator, const QStringList &lines, QChar decimal)
        : m_kinds(layout(calculator)), m_lines(lines), m_decimal(decimal)
    {
        validate(calculator, lines, decimal);
    }
    QString text() { return next(); }
    int index(int itemCount) { return listIndex(next(), itemCount); }
    double number() { return textToNumber(next(), m_decimal).store(); }

  private:
    QString next()
    {
        const int number = ++m_read;
        return loadedText(m_kinds[number - 1], line(m_lines, number), m_decimal);
    }

    std::span<const LineKind> m_kinds;
    const QStringList &m_lines;
    QChar m_decimal;
    int m_read = 0;
};

CustomerTexts readCustomer(LineReader &reader)
{
    CustomerTexts first;
    for (QString *text :
         {&first.customer, &first.place, &first.objects, &first.financial.salary,
          &first.financial.overheads, &first.financial.profit, &first.financial.regional})
        *text = reader.text();
    return first;
}

QStringList customerLines(const CustomerTexts &first)
{
    return {first.customer,
            first.place,
            first.objects,
            first.financial.salary,
            first.financial.overheads,
            first.financial.profit,
            first.financial.regional};
}

template <typename Table>
QString itemText(const Table &table, int index)
{
    return index >= 0 && index < int(table.size()) ? QString::fromUtf16(table[index].text)
                                                   : QString();
}

// The lists of two items: metering, expertise, VAT.
constexpr int TwoItems = 2;

// The item counts of a file's lists, in the order of their lines.
const int GeneralLists[] = {int(general::Branches.size()), int(general::Locations.size()), TwoItems,
                            TwoItems, TwoItems};
const int BoilerLists[] = {int(boiler::BoilerCounts.size()), int(boiler::Capacities.size()),
                           int(boiler::BoilerKinds.size()), TwoItems, TwoItems};
// The first line of the general calculator's consumptions.
constexpr int FirstConsumptionLine = 8;

// A consumption the page counts as 0 though it does not convert or is worth at least a
// hundredth of a tonne: an amount too small rounds to 0 rightly.
bool countedAsZero(const QString &text, int resource, QChar decimal)
{
    const std::optional<long double> amount = parseNumber(text, decimal);
    return general::referenceFuel(text, resource, decimal) == 0 &&
           !(amount && std::fabs(*amount * general::FuelFactors[resource]) < 0.005L);
}

QString noteOn(Calculator calculator, int number, const QString &text, QChar decimal,
               int &listsSeen)
{
    const LineKind kind = layout(calculator)[number - 1];
    if (kind == LineKind::ListIndex) {
        const int items =
            (calculator == Calculator::General ? GeneralLists : BoilerLists)[listsSeen++];
        const int index = textToInteger(text);
        if (!text.isEmpty() && (index < -1 || index >= items))
            return QStringLiteral("такого пункта в списке нет (пунктов: %1), ничего не выбрано")
                .arg(items);
        return {};
    }
    if (text.isEmpty() || kind != LineKind::NumericText)
        return {};
    const bool converts = parseNumber(text, decimal).has_value();
    const int resource = number - FirstConsumptionLine;
    if (calculator == Calculator::General && resource >= 0 && resource < general::ResourceCount &&
        countedAsZero(text, resource, decimal))
        return converts ? QStringLiteral("слишком велико для расчета, считается 0")
                        : QStringLiteral("не число, считается 0");
    return converts ? QString() : QStringLiteral("не число");
}

} // namespace

QStringList loadNotes(Calculator calculator, const QStringList &lines, QChar decimal)
{
    QStringList notes;
    int listsSeen = 0;
    for (int number = 1; number <= int(layout(calculator).size()); ++number) {
        const QString text =
            loadedText(layout(calculator)[number - 1], line(lines, number), decimal);
        if (const QString note = noteOn(calculator, number, text, decimal, listsSeen);
            !note.isEmpty())
            notes << QStringLiteral("строка %1, \"%2\": %3").arg(number).arg(text, note);
    }
    return notes;
}

CustomerTexts startingCustomerTexts()
{
    const QString notGiven = QString::fromUtf16(NotGiven);
    return {notGiven,
            notGiven,
            notGiven,
            {QString::fromUtf16(DefaultSalary), QString::fromUtf16(DefaultOverheads),
             QString::fromUtf16(DefaultProfit), QString::fromUtf16(DefaultRegional)}};
}

GeneralCalculation loadGeneral(const QStringList &lines, QChar decimal)
{
    LineReader reader(Calculator::General, lines, decimal);
    GeneralCalculation c;
    c.first = readCustomer(reader);
    for (QString &consumption : c.consumptions)
        consumption = reader.text();
    int *lists[] = {&c.branch, &c.location, &c.metering, &c.expertise, &c.vat};
    for (std::size_t i = 0; i < std::size(lists); ++i)
        *lists[i] = reader.index(GeneralLists[i]);
    c.area = reader.text();
    return c;
}

BoilerCalculation loadBoiler(const QStringList &lines, QChar decimal)
{
    LineReader reader(Calculator::Boiler, lines, decimal);
    BoilerCalculation c;
    c.first = readCustomer(reader);
    // The flag only locks or unlocks the three fields; their loaded texts stay.
    c.customerNotGiven = reader.text() != u"false";
    int *lists[] = {&c.boilerCount, &c.capacity, &c.boilerKind, &c.expertise, &c.vat};
    for (std::size_t i = 0; i < std::size(lists); ++i)
        *lists[i] = reader.index(BoilerLists[i]);
    boiler::Quantities &q = c.quantities;
    for (double *number : {&q.BoilerNorm, &q.CapacityCoef, &q.BoilerKindCoef, &q.FuelCoef,
                           &q.DiagNorm, &q.DiagBoilersCoef, &q.HourlyWage})
        *number = reader.number();
    return c;
}

QStringList generalLines(const GeneralCalculation &c)
{
    QStringList lines = customerLines(c.first);
    for (const QString &consumption : c.consumptions)
        lines << consumption;
    for (int index : {c.branch, c.location, c.metering, c.expertise, c.vat})
        lines << integerToText(index);
    lines << c.area;
    return lines;
}

QStringList boilerLines(const BoilerCalculation &c, QChar decimal)
{
    QStringList lines = customerLines(c.first);
    lines << QString::fromLatin1(c.customerNotGiven ? "true" : "false");
    for (int index : {c.boilerCount, c.capacity, c.boilerKind, c.expertise, c.vat})
        lines << integerToText(index);
    const boiler::Quantities &q = c.quantities;
    for (double number : {q.BoilerNorm, q.CapacityCoef, q.BoilerKindCoef, q.FuelCoef, q.DiagNorm,
                          q.DiagBoilersCoef, q.HourlyWage})
        lines << numberToText(number, decimal);
    return lines;
}

void computeGeneral(const GeneralCalculation &c, const EstimateTerms &terms, QChar decimal,
                    GeneralResult &result)
{
    general::FuelTotals &fuel = result.fuel;
    for (int n = 0; n < general::ResourceCount; ++n)
        fuel.ReferenceFuel[n] = general::referenceFuel(c.consumptions[n], n, decimal);
    fuel.ReferenceFuelTotal = general::referenceFuelTotal(fuel.ReferenceFuel);
    general::NormBracket bracket;
    fuel.BaseNorm = general::baseNorm(fuel.ReferenceFuelTotal, bracket);
    // As the area's change handler leaves it while the file loads.
    result.display = {general::perSquareMetreText(0, c.area, decimal), QStringLiteral("0 руб.")};
    general::CostInputs in;
    in.financial = c.first.financial;
    in.baseNorm = fuel.BaseNorm;
    in.fuelTotal = fuel.ReferenceFuelTotal;
    in.branch = c.branch;
    in.location = c.location;
    in.metering = c.metering;
    in.expertise = c.expertise;
    in.vat = c.vat;
    in.vatRate = terms.vatRate();
    in.area = c.area;
    in.decimal = decimal;
    general::recomputeCost(in, result.cost, result.display);
}

QString computeBoiler(BoilerCalculation &c, const EstimateTerms &terms, QChar decimal)
{
    boiler::RecalcInputs in;
    in.financial = c.first.financial;
    in.expertise = c.expertise;
    in.vat = c.vat;
    in.vatRate = terms.vatRate();
    in.decimal = decimal;
    return boiler::recalculate(in, c.quantities);
}

QList<estimate::Replacement> generalEstimate(const GeneralCalculation &c,
                                             const GeneralResult &result,
                                             const EstimateTerms &terms, const NumberFormat &format)
{
    estimate::GeneralInputs in;
    in.first = c.first;
    in.fuelTotal = result.fuel.ReferenceFuelTotal;
    in.baseNorm = result.fuel.BaseNorm;
    in.cost = result.cost;
    in.format = format;
    in.date = terms.date;
    return estimate::generalReplacements(in);
}

QList<estimate::Replacement> boilerEstimate(const BoilerCalculation &c, const EstimateTerms &terms,
                                            const NumberFormat &format)
{
    estimate::BoilerInputs in;
    in.first = c.first;
    in.boilerCount = itemText(boiler::BoilerCounts, c.boilerCount);
    in.boilerKind = itemText(boiler::BoilerKinds, c.boilerKind);
    in.capacity = itemText(boiler::Capacities, c.capacity);
    // The page selects the firing modes whose norm was loaded.
    in.firingModes = itemText(boiler::FiringModes, boiler::firingModesIndex(c.quantities.DiagNorm));
    in.cost = c.quantities;
    in.format = format;
    in.date = terms.date;
    return estimate::boilerReplacements(in);
}

QList<NamedQuantity> namedQuantities(const GeneralResult &r)
{
    QList<NamedQuantity> named;
    for (int n = 0; n < general::ResourceCount; ++n)
        named.append({QStringLiteral("ReferenceFuel%1").arg(n + 1), r.fuel.ReferenceFuel[n]});
    const general::CostQuantities &q = r.cost;
    named += QList<NamedQuantity>{{QStringLiteral("ReferenceFuelTotal"), r.fuel.ReferenceFuelTotal},
                                  {QStringLiteral("BaseNorm"), r.fuel.BaseNorm},
                                  {QStringLiteral("IndustryCoef"), q.IndustryCoef},
                                  {QStringLiteral("LocationCoef"), q.LocationCoef},
                                  {QStringLiteral("MeteringCoef"), q.MeteringCoef},
                                  {QStringLiteral("VatRate"), q.VatRate},
                                  {QStringLiteral("HourlyWage"), q.HourlyWage},
                                  {QStringLiteral("LabourCost"), q.LabourCost},
                                  {QStringLiteral("OverheadSum"), q.OverheadSum},
                                  {QStringLiteral("ProfitSum"), q.ProfitSum},
                                  {QStringLiteral("SubtotalCost"), q.SubtotalCost},
                                  {QStringLiteral("RegionalSum"), q.RegionalSum},
                                  {QStringLiteral("VatSum"), q.VatSum},
                                  {QStringLiteral("CostWithVat"), q.CostWithVat},
                                  {QStringLiteral("ExpertiseRate"), q.ExpertiseRate},
                                  {QStringLiteral("ExpertiseSum"), q.ExpertiseSum}};
    return named;
}

QList<NamedQuantity> namedQuantities(const boiler::Quantities &q)
{
    return {{QStringLiteral("BoilerNorm"), q.BoilerNorm},
            {QStringLiteral("DiagBoilersCoef"), q.DiagBoilersCoef},
            {QStringLiteral("CapacityCoef"), q.CapacityCoef},
            {QStringLiteral("BoilerKindCoef"), q.BoilerKindCoef},
            {QStringLiteral("FuelCoef"), q.FuelCoef},
            {QStringLiteral("DiagNorm"), q.DiagNorm},
            {QStringLiteral("HourlyWage"), q.HourlyWage},
            {QStringLiteral("LabourCost"), q.LabourCost},
            {QStringLiteral("OverheadSum"), q.OverheadSum},
            {QStringLiteral("ProfitSum"), q.ProfitSum},
            {QStringLiteral("RegionalSum"), q.RegionalSum},
            {QStringLiteral("CostNoVat"), q.CostNoVat},
            {QStringLiteral("VatRate"), q.VatRate},
            {QStringLiteral("VatSum"), q.VatSum},
            {QStringLiteral("CostWithVat"), q.CostWithVat},
            {QStringLiteral("ExpertiseRate"), q.ExpertiseRate},
            {QStringLiteral("ExpertiseSum"), q.ExpertiseSum},
            {QStringLiteral("TotalCost"), q.TotalCost}};
}

} // namespace dalko::report

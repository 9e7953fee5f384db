#include "calculation.h"

#include "estimate/boilerestimate.h"
#include "estimate/generalestimate.h"

namespace dalko::report {

namespace {

const QString NotGiven = QStringLiteral("не задано");

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

} // namespace

CustomerTexts startingCustomerTexts()
{
    return {NotGiven,
            NotGiven,
            NotGiven,
            {QString::fromUtf16(DefaultSalary), QStringLiteral("35"), QStringLiteral("35"),
             QStringLiteral("15")}};
}

GeneralCalculation loadGeneral(const QStringList &lines, QChar decimal)
{
    LineReader reader(Calculator::General, lines, decimal);
    GeneralCalculation c;
    c.first = readCustomer(reader);
    for (QString &consumption : c.consumptions)
        consumption = reader.text();
    c.branch = reader.index(int(general::Branches.size()));
    c.location = reader.index(int(general::Locations.size()));
    c.metering = reader.index(TwoItems);
    c.expertise = reader.index(TwoItems);
    c.vat = reader.index(TwoItems);
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
    c.boilerCount = reader.index(int(boiler::BoilerCounts.size()));
    c.capacity = reader.index(int(boiler::Capacities.size()));
    c.boilerKind = reader.index(int(boiler::BoilerKinds.size()));
    c.expertise = reader.index(TwoItems);
    c.vat = reader.index(TwoItems);
    boiler::Quantities &q = c.quantities;
    for (double *number : {&q.BoilerNorm, &q.CapacityCoef, &q.BoilerKindCoef, &q.FuelCoef,
                           &q.DiagNorm, &q.DiagBoilersCoef, &q.HourlyWage})
        *number = reader.number();
    return c;
}

QStringList generalLines(const GeneralCalculation &c, QChar)
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
    for (int n = 0; n < general::ResourceCount; ++n)
        result.referenceFuel[n] = general::referenceFuel(c.consumptions[n], n, decimal);
    result.referenceFuelTotal = general::referenceFuelTotal(result.referenceFuel);
    if (general::normDefined(result.referenceFuelTotal)) {
        general::NormBracket bracket;
        general::findNormBracket(result.referenceFuelTotal, bracket);
        result.baseNorm = general::interpolateNorm(result.referenceFuelTotal, bracket);
    }
    // As the area's change handler leaves it while the file loads.
    result.display = {general::perSquareMetreText(0, c.area, decimal), QStringLiteral("0 руб.")};
    general::CostInputs in;
    in.financial = c.first.financial;
    in.baseNorm = result.baseNorm;
    in.fuelTotal = result.referenceFuelTotal;
    in.branch = c.branch;
    in.location = c.location;
    in.metering = c.metering;
    in.expertise = c.expertise;
    in.vat = c.vat;
    in.vatRate = terms.vatRate();
    in.area = c.area;
    in.decimal = decimal;
    general::CostDisplay shown = result.display;
    try {
        general::recomputeCost(in, result.cost, shown);
    } catch (...) {
        result.display = shown;
        throw;
    }
    result.display = shown;
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
    in.fuelTotal = result.referenceFuelTotal;
    in.baseNorm = result.baseNorm;
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
        named.append({QStringLiteral("ReferenceFuel%1").arg(n + 1), r.referenceFuel[n]});
    const general::CostQuantities &q = r.cost;
    named += QList<NamedQuantity>{{QStringLiteral("ReferenceFuelTotal"), r.referenceFuelTotal},
                                  {QStringLiteral("BaseNorm"), r.baseNorm},
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

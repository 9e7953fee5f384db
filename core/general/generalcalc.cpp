#include "generalcalc.h"

namespace dalko::general {

// clang-format off
// Five rows a line, as the method prints them.
const std::array<NormRow, 134> NormTable{{
    {0, 0}, {1, 40}, {5, 40}, {7.5, 50}, {10, 60},
    {12.5, 70}, {15, 78}, {20, 90}, {25, 97}, {30, 105},
    {35, 112}, {40, 120}, {45, 127}, {50, 135}, {55, 141},
    {60, 148}, {65, 155}, {70, 161}, {75, 167}, {80, 174},
    {85, 180}, {90, 187}, {95, 193}, {100, 200}, {110, 203},
    {120, 207}, {130, 210}, {140, 213}, {150, 217}, {160, 220},
    {170, 223}, {180, 227}, {190, 230}, {200, 233}, {210, 237},
    {220, 240}, {230, 244}, {240, 247}, {250, 250}, {260, 254},
    {270, 257}, {280, 260}, {290, 264}, {300, 267}, {310, 270},
    {320, 274}, {330, 277}, {340, 280}, {350, 284}, {360, 287},
    {370, 290}, {380, 294}, {390, 297}, {400, 300}, {410, 304},
    {420, 307}, {430, 311}, {440, 314}, {450, 317}, {460, 321},
    {470, 324}, {480, 327}, {490, 331}, {500, 334}, {600, 366},
    {700, 399}, {800, 430}, {900, 462}, {1000, 495}, {2000, 577},
    {3000, 660}, {4000, 743}, {5000, 824}, {6000, 862}, {7000, 900},
    {8000, 940}, {9000, 978}, {10000, 1016}, {11000, 1084}, {12000, 1152},
    {13000, 1220}, {14000, 1288}, {15000, 1356}, {20000, 1675}, {30000, 2200},
    {40000, 2640}, {50000, 3100}, {60000, 3540}, {70000, 3840}, {80000, 4100},
    {90000, 4350}, {100000, 4580}, {110000, 4825}, {120000, 5025}, {130000, 5220},
    {140000, 5400}, {150000, 5575}, {160000, 5720}, {170000, 5950}, {180000, 6150},
    {190000, 6290}, {200000, 6500}, {210000, 6650}, {220000, 6680}, {230000, 6900},
    {240000, 7025}, {250000, 7120}, {260000, 7250}, {270000, 7350}, {280000, 7450},
    {290000, 7560}, {300000, 7675}, {310000, 7770}, {320000, 7900}, {330000, 8050},
    {340000, 8160}, {350000, 8260}, {360000, 8350}, {370000, 8415}, {380000, 8550},
    {390000, 8625}, {400000, 8720}, {410000, 8800}, {420000, 8900}, {430000, 8960},
    {440000, 9050}, {450000, 9150}, {460000, 9224}, {470000, 9325}, {480000, 9375},
    {490000, 9440}, {500000, 9500}, {510000, 9550}, {520000, 9600},
}};
// clang-format on

const std::array<ListEntry, 49> Branches{{
    {u"Предприятия, организации, индивидуальные предприниматели не производящие продукцию или "
     u"производящие работы и услуги непроизводственного характера (лечебные учреждения, учебные "
     u"учреждения, учреждения культуры, магазины и др.)",
     1.2},
    {u"Предприятия жилищно-коммунального хозяйства (жилые дома, прачечные, бани, парикмахерские и "
     u"др.)",
     1},
    {u"Асфальтобетонное производство", 0.8},
    {u"Деревообработка и изделия из древесины", 0.85},
    {u"Кожевенное производство", 1},
    {u"Машиностроение, электротехническая промышленность", 1},
    {u"Металлургическое и литейное производство", 0.8},
    {u"Метрополитен", 0.9},
    {u"Переработка льна", 0.8},
    {u"Переработка молока", 1.1},
    {u"Пивоваренное производство", 0.9},
    {u"Подъем и перекачивание воды, очистка сточных вод", 0.85},
    {u"Предприятия автомобильного транспорта", 0.9},
    {u"Предприятия железнодорожного транспорта.", 0.9},
    {u"Предприятия мясной промышленности", 1.15},
    {u"Предприятия рыбной промышленности", 1.1},
    {u"Предприятия связи", 1.2},
    {u"Предприятия трамвайно-троллейбусного транспорта", 0.9},
    {u"Приборостроение, радиоэлектроника", 1.1},
    {u"Производство алкогольных и безалкогольных напитков", 0.85},
    {u"Производство бетона и железобетонных изделий", 0.8},
    {u"Производство бумаги и картона", 0.9},
    {u"Производство древесноволокнистых и древесно-стружечных плит", 0.9},
    {u"Производство изделий из пластмасс", 0.9},
    {u"Производство керамических изделий", 0.8},
    {u"Производство кирпича", 0.8},
    {u"Производство мебели", 0.85},
    {u"Производство медикаментов", 1.2},
    {u"Производство обуви", 0.9},
    {u"Производство полиграфических изделий", 1.0},
    {u"Производство посуды", 0.8},
    {u"Производство резинотехнических  изделий", 0.9},
    {u"Производство сельскохозяйственной продукции", 1.1},
    {u"Производство стеклянных изделий", 0.85},
    {u"Производство табачных изделий", 1},
    {u"Производство товаров соцкультбыта", 0.9},
    {u"Производство торфобрикета", 0.8},
    {u"Производство швейных, трикотажных и ковровых изделий", 0.9},
    {u"Производство цемента", 0.8},
    {u"Производство щебня", 0.8},
    {u"Производство шин", 0.9},
    {u"Прядильно-ткацкое производство", 0.9},
    {u"Сахарное производство", 0.9},
    {u"Строительно-монтажные работы", 1},
    {u"Техническое обслуживание и ремонт автотранспорта", 1},
    {u"Транспортировка газов", 0.8},
    {u"Транспортировка нефти и нефтепродуктов", 0.8},
    {u"Химическая и нефтехимическая промышленность", 0.9},
    {u"Хлебобулочное и кондитерское производство", 0.85},

}};

const std::array<ListEntry, 8> Locations{{
    {u"на одной площадке или на нескольких площадках, но в одном населенном пункте при количестве "
     u"объектов до 5",
     1.0},
    {u"на одной площадке или на нескольких площадках, но в одном населенном пункте при количестве "
     u"объектов от 5 до 15",
     1.3},
    {u"на одной площадке или на нескольких площадках, но в одном населенном пункте при количестве "
     u"объектов от 15 до 30",
     1.5},
    {u"на одной площадке или на нескольких площадках, но в одном населенном пункте при количестве "
     u"объектов более 30",
     1.8},
    {u"в разных населенных пунктах, при количестве объектов до 5", 2.0},
    {u"в разных населенных пунктах при количестве объектов от 5 до 15", 2.5},
    {u"в разных населенных пунктах при количестве объектов от 15 до 30", 3.0},
    {u"в разных населенных пунктах при количестве объектов более 30", 3.5},
}};

double referenceFuel(const QString &consumption, int resource, QChar decimal)
{
    try {
        const Ext amount = textToNumber(consumption, decimal) * FuelFactors[resource];
        return R2(amount).store();
    } catch (const Error &) {
        return 0;
    }
}

double referenceFuelTotal(const std::array<double, ResourceCount> &amounts)
{
    Ext total = 0;
    for (double amount : amounts)
        total = total + amount;
    return total.store();
}

bool normDefined(double total)
{
    return total >= NormTable.front().fuel && total <= NormTable.back().fuel;
}

QString normUndefinedMessage(double total, QChar decimal)
{
    return QStringLiteral("Суммарное потребление ТЭР %1 т.у.т. лежит вне таблицы базовых норм "
                          "(от 0 до 520000 т.у.т.): базовая норма не определена, стоимость не "
                          "рассчитана")
        .arg(numberToText(total, decimal));
}

void findNormBracket(double total, NormBracket &bracket)
{
    for (int i = 1; i < int(NormTable.size()); ++i) {
        if (NormTable[i].fuel >= total && NormTable[i - 1].fuel <= total)
            bracket = {i - 1, i};
    }
}

double interpolateNorm(double total, const NormBracket &bracket)
{
    const NormRow &lo = NormTable[bracket.lower];
    const NormRow &hi = NormTable[bracket.upper];
    const Ext share = (Ext(total) - lo.fuel) / (Ext(hi.fuel) - lo.fuel);
    return (Ext(lo.norm) + share * (Ext(hi.norm) - lo.norm)).store();
}

double baseNorm(double total, NormBracket &bracket)
{
    if (!normDefined(total))
        return 0;
    findNormBracket(total, bracket);
    return interpolateNorm(total, bracket);
}

namespace {

double tableCoef(int index, const ListEntry *table, int size, const QString &what)
{
    if (index < 0 || index >= size)
        throw Error(QStringLiteral("Выберите %1 из списка").arg(what));
    return table[index].coef;
}

} // namespace

void recomputeCost(const CostInputs &in, CostQuantities &q, CostDisplay &display)
{
    const QChar d = in.decimal;
    q.IndustryCoef = tableCoef(in.branch, Branches.data(), int(Branches.size()),
                               QStringLiteral("отраслевую принадлежность объекта"));
    q.LocationCoef = tableCoef(in.location, Locations.data(), int(Locations.size()),
                               QStringLiteral("расположение объектов обследования"));
    q.MeteringCoef = in.metering == 0 ? 1.0 : 1.5;
    q.VatRate = in.vat == 0 ? in.vatRate : 0;
    q.HourlyWage = hourlyWage(in.financial.salary, d).store();
    if (!normDefined(in.fuelTotal))
        throw Error(normUndefinedMessage(in.fuelTotal, d));
    q.LabourCost =
        R2(R2(in.baseNorm) * q.IndustryCoef * q.LocationCoef * q.MeteringCoef * q.HourlyWage)
            .store();
    addOverheadsAndProfit(q.LabourCost, in.financial, d, q.OverheadSum, q.ProfitSum);
    q.SubtotalCost = R2(Ext(q.LabourCost) + q.OverheadSum + q.ProfitSum).store();
    q.RegionalSum = R2(textToNumber(in.financial.regional, d) / 100 * q.SubtotalCost).store();
    q.VatSum = R2((Ext(q.SubtotalCost) + q.RegionalSum) * q.VatRate).store();
    q.CostWithVat = (Ext(q.SubtotalCost) + q.RegionalSum + q.VatSum).store();
    q.ExpertiseRate = in.expertise == 0 ? expertiseRate(q.CostWithVat) : 0;
    q.ExpertiseSum = R2(Ext(q.CostWithVat) * q.ExpertiseRate).store();
    display.perSquareMetre = perSquareMetreText(q.CostWithVat, in.area, d);
    display.total = numberToText(R2(q.totalCost()).value(), d) + QStringLiteral(" руб");
}

QString perSquareMetreText(double costWithVat, const QString &area, QChar decimal)
{
    try {
        const Ext perMetre = R2(Ext(costWithVat) / textToNumber(area, decimal));
        return numberToText(perMetre.value(), decimal) + QStringLiteral(" руб/кв.м");
    } catch (const Error &) {
        return QStringLiteral("0 руб/кв.м");
    }
}

} // namespace dalko::general

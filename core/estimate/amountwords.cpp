#include "amountwords.h"

#include <QStringList>

#include <array>
#include <cmath>
#include <cstdlib>

namespace dalko::estimate {

namespace {

enum class Gender { Masculine, Feminine };

// The three forms a counted noun takes: after 1, after 2 to 4, after 5 to 20 and 0.
struct Noun {
    const char16_t *one;
    const char16_t *few;
    const char16_t *many;
    Gender gender;
};

constexpr Noun Rouble{u"рубль", u"рубля", u"рублей", Gender::Masculine};
constexpr Noun Kopeck{u"копейка", u"копейки", u"копеек", Gender::Feminine};
// From the billions down to the thousands; the units are counted in roubles.
constexpr std::array<Noun, 3> Groups{{
    {u"миллиард", u"миллиарда", u"миллиардов", Gender::Masculine},
    {u"миллион", u"миллиона", u"миллионов", Gender::Masculine},
    {u"тысяча", u"тысячи", u"тысяч", Gender::Feminine},
}};

constexpr std::array<const char16_t *, 10> Units{u"",     u"один",  u"два",  u"три",    u"четыре",
                                                 u"пять", u"шесть", u"семь", u"восемь", u"девять"};
constexpr std::array<const char16_t *, 10> Teens{
    u"десять",     u"одиннадцать", u"двенадцать", u"тринадцать",   u"четырнадцать",
    u"пятнадцать", u"шестнадцать", u"семнадцать", u"восемнадцать", u"девятнадцать"};
constexpr std::array<const char16_t *, 10> Tens{
    u"",          u"",           u"двадцать",  u"тридцать",    u"сорок",
    u"пятьдесят", u"шестьдесят", u"семьдесят", u"восемьдесят", u"девяносто"};
constexpr std::array<const char16_t *, 10> Hundreds{
    u"",        u"сто",      u"двести",  u"триста",    u"четыреста",
    u"пятьсот", u"шестьсот", u"семьсот", u"восемьсот", u"девятьсот"};

const char16_t *form(const Noun &noun, int64_t count)
{
    const int64_t lastTwo = count % 100;
    const int64_t last = count % 10;
    if (lastTwo >= 11 && lastTwo <= 19)
        return noun.many;
    if (last == 1)
        return noun.one;
    if (last >= 2 && last <= 4)
        return noun.few;
    return noun.many;
}

// The words of 1 to 999, agreeing with a noun of the given gender.
void appendTriad(QStringList &words, int triad, Gender gender)
{
    if (triad >= 100)
        words << QString::fromUtf16(Hundreds[triad / 100]);
    const int lastTwo = triad % 100;
    if (lastTwo >= 10 && lastTwo <= 19) {
        words << QString::fromUtf16(Teens[lastTwo - 10]);
        return;
    }
    if (lastTwo >= 20)
        words << QString::fromUtf16(Tens[lastTwo / 10]);
    const int unit = lastTwo % 10;
    if (gender == Gender::Feminine && (unit == 1 || unit == 2))
        words << (unit == 1 ? QStringLiteral("одна") : QStringLiteral("две"));
    else if (unit != 0)
        words << QString::fromUtf16(Units[unit]);
}

QString roublesInWords(int64_t roubles)
{
    if (roubles == 0)
        return QStringLiteral("ноль ") + QString::fromUtf16(Rouble.many);
    QStringList words;
    int64_t scale = 1'000'000'000;
    for (const Noun &group : Groups) {
        const int triad = int(roubles / scale % 1000);
        if (triad != 0) {
            appendTriad(words, triad, group.gender);
            words << QString::fromUtf16(form(group, triad));
        }
        scale /= 1000;
    }
    const int units = int(roubles % 1000);
    appendTriad(words, units, Rouble.gender);
    words << QString::fromUtf16(form(Rouble, units));
    return words.join(u' ');
}

} // namespace

QString amountInWords(Ext amount)
{
    // Round is asked only inside its range; a NaN fails the comparison as well.
    const bool roundable = std::fabs(amount.value()) < 1e13L;
    const int64_t kopecks = roundable ? Round(amount * 100) : 0;
    if (!roundable || std::llabs(kopecks) > MaxKopecksInWords)
        throw Error(QStringLiteral("Сумма сметы по модулю больше 999 999 999 999,99 руб.: "
                                   "её нельзя записать прописью"));
    const int64_t magnitude = std::llabs(kopecks);
    const int fraction = int(magnitude % 100);
    QString words = roublesInWords(magnitude / 100) +
                    QStringLiteral(" %1 ").arg(fraction, 2, 10, QChar(u'0')) +
                    QString::fromUtf16(form(Kopeck, fraction));
    if (kopecks < 0)
        return QStringLiteral("Минус ") + words;
    words[0] = words[0].toUpper();
    return words;
}

} // namespace dalko::estimate

#pragma once

// Value-added tax is law, not method: the method was written at 18 %, and the Tax Code has
// changed the general rate since. An estimate takes the rate in force on its date, unless the
// firm fixes one (a change of law before the next release, or a customer's contract).

#include "numbers.h"

#include <QDate>

#include <array>
#include <optional>

namespace dalko {

struct VatRateInForce {
    int year, month, day; // the day the rate took effect
    int percent;
};

// The general rate by the day it took effect, oldest first.
inline constexpr std::array<VatRateInForce, 3> VatRatesByLaw{{
    {1, 1, 1, 18},    // the rate of the method's own years
    {2019, 1, 1, 20}, // Federal Law of 03.08.2018 No. 303-FZ
    {2026, 1, 1, 22}, // Federal Law of 28.11.2025 No. 425-FZ
}};

// The general rate in force on a day, in per cent.
int legalVatPercent(const QDate &date);

// What an estimate is formed on: its date and how its VAT rate is chosen.
struct EstimateTerms {
    QDate date = QDate::currentDate();
    std::optional<double> fixedVatPercent; // a rate the firm fixed, per cent
    // Set when the date was chosen on purpose; otherwise an estimate bears the day it is formed.
    bool dateChosen = false;

    // Moves a date not chosen on purpose to today; true when it moved.
    bool followToday();

    double vatPercent() const;
    // The rate an estimate "с НДС" applies: the double nearest to percent / 100.
    double vatRate() const;
};

// The terms an estimate was issued on, from its date and the rate it applied (0 without VAT):
// its date chosen, and its rate fixed only where the law of that date gives another.
EstimateTerms termsOfIssue(const QDate &date, double vatRate);

// "НДС 22 % на 10.12.2026"; "НДС 20 % (установлена)" for a fixed rate.
QString vatCaption(const EstimateTerms &terms, const NumberFormat &format);

// A rate as the firm types it: a number of per cent from 0 to 99, with either decimal
// separator; nothing for any other text.
std::optional<double> parseVatPercent(const QString &text);

} // namespace dalko

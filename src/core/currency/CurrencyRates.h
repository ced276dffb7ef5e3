#pragma once

#include "core/frame/Conversions.h"
#include "core/frame/Speech.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

// The rules of exchange rates, without the store: a rate is "how many units
// 1 € buys", typed freely; its inverse, the factor that turns an amount of
// that currency into Euro, is kept as the text shown in the window
// ("##.########", the user's decimal separator), and that text is what the
// main window multiplies by.

// Whether a typed rate can be used and, when it can, its inverse: the factor
// from the currency to Euro, 1 / rate in the pattern "##.########" without a
// trailing separator (2 gives .5, 0.5 gives 2). The rate is read in the user's
// notation; it must be above 0 and its inverse finite and not rounded to 0.
enum class RateProblem
{
    None,
    NotANumber,
    NotPositive,
    OutOfRange
};
struct RateCheck
{
    RateProblem problem = RateProblem::None;
    QString inverse;
};
RateCheck CheckRate(QStringView text, const LocaleInfo& locale);
// The reason that follows the row's name in the refusal; empty for None.
QString RateProblemText(RateProblem problem, const Speech& speech);

// The inverse of a usable rate; nullopt otherwise.
std::optional<QString> InverseRate(QStringView rateText, const LocaleInfo& locale);

// What the inverse field shows after its rate changed to rateText: the new
// inverse, the previous text when the rate cannot be used, "" for an empty rate.
QString NextInverseRate(const QString& rateText, const QString& previousInverse, const LocaleInfo& locale);

// A stored rate as the rate field shows it: as stored (it is kept as typed),
// unless it was written under another locale and the user's notation reads
// it otherwise ("1.549" written under English, shown "1,549" under Dutch,
// where "1.549" is 1549). The stored inverse decides between the readings.
QString RateShown(const QString& stored, const QString& storedInverse, const LocaleInfo& locale);

// "1 € = 1.54982 CHF"
QString RateTooltip(const QString& name, const QString& rate);

// A switch stored as "True" or "False"; anything else gives fallback.
bool SettingFlag(const QString& text, bool fallback);

// The tooltip of the amount field for a foreign currency: "Paid amount in USD"
// for an empty amount, with " -  43.08 €" after it otherwise. Without the Euro
// value when the amount or the factor cannot be read.
QString ForeignAmountTooltip(const QString& name, const QString& amount, const NumberOrText& factor,
                             const Speech& speech);

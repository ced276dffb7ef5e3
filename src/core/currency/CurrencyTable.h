#pragma once

#include "core/frame/Conversions.h"
#include "core/frame/LocaleInfo.h"
#include "core/frame/SettingsStore.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

// The table of five foreign currencies kept in section "Devises" (Dev, Taux
// and TauxBis & n) and the user's choice of the current one (CurDev,
// AffCurrMess). Row 0 is the Euro and is never stored.
//
// A rate is "how many units 1 € buys", typed freely; its inverse, the factor
// that turns an amount of that currency into Euro, is kept as the text shown
// in the window ("##.########", the user's decimal separator), and that text
// is what the main window multiplies by.

inline constexpr int CurrencyRows = 6;

// The rows offered on first use; index 0 is unused.
extern const std::array<const char*, CurrencyRows> DefaultCurrencyNames;
extern const std::array<double, CurrencyRows> DefaultCurrencyRates;

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
RateCheck CheckRate(QStringView text, const LocaleInfo& locale = userLocale());
// The reason that follows the row's name in the refusal; empty for None.
QString RateProblemText(RateProblem problem);

// The inverse of a usable rate; nullopt otherwise.
std::optional<QString> InverseRate(QStringView rateText, const LocaleInfo& locale = userLocale());

// What the inverse field shows after its rate changed to rateText: the new
// inverse, the previous text when the rate cannot be used, "" for an empty rate.
QString NextInverseRate(const QString& rateText, const QString& previousInverse,
                        const LocaleInfo& locale = userLocale());

// A stored rate as the rate field shows it: as stored (it is kept as typed),
// unless it was written under another locale and the user's notation reads
// it otherwise ("1.549" written under English, shown "1,549" under Dutch,
// where "1.549" is 1549). The stored inverse decides between the readings.
QString RateShown(const QString& stored, const QString& storedInverse, const LocaleInfo& locale = userLocale());

// "1 € = 1.54982 CHF"
QString RateTooltip(const QString& name, const QString& rate);

// A switch stored as "True" or "False"; anything else gives fallback.
bool SettingFlag(const QString& text, bool fallback);

// The user's AffCurrMess: whether the main window warns about a currency
// that is not the Euro.
bool ReadShowCurrMess(const QString& user);

// The current currency as the store has it.
struct CurrentCurrency
{
    double row = 0; // CurDev; a text that is no number counts as 0
    QString key;    // the digits appended to Dev, Taux, TauxBis: "0", "2"
    bool foreign = false;
    QString name;   // Dev & key as stored, "Euro" when absent (an empty name stays empty)
    QString rate;   // Taux & key when foreign, else "1"
    QString factor; // TauxBis & key when foreign, else "1"
};

// Foreign only when CurDev is not 0 and its Dev key holds a name: CurDev 0, an
// unreadable CurDev, or one whose Dev key is absent or empty all mean the Euro
// rates. The name shown is read all the same, so a Dev0 written by hand shows.
CurrentCurrency ReadCurrentCurrency(const QString& user);

// The tooltip of the amount field for a foreign currency: "Paid amount in USD"
// for an empty amount, with " -  43.08 €" after it otherwise. Without the Euro
// value when the amount or the factor cannot be read.
QString ForeignAmountTooltip(const QString& name, const QString& amount, const Mixed& factor);

// One Submit of the currency window.
struct CurrencyRow
{
    QString name;
    QString rate;
    QString inverse;
};

struct CurrencyChoice
{
    std::array<CurrencyRow, CurrencyRows> rows; // row 0 is the Euro
    int selected = 0;
    bool showMessage = true;
};

struct CurrencySubmit
{
    std::optional<QString> refusal;           // the message that stops the Submit
    std::vector<SettingsStore::Write> writes; // everything, as one group
    int current = 0;                          // the row now current
    QString label;                            // the main window's currency label
};

CurrencySubmit SubmitCurrencies(const CurrencyChoice& choice, const QString& user);

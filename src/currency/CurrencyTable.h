#pragma once

#include "frame/Conversions.h"
#include "frame/LocaleInfo.h"
#include "frame/SettingsStore.h"

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

// The number in a typed rate, nullopt when it cannot be read. Where "." is
// the decimal separator the reader stops at the first character it cannot
// use ("1,5" is 1, "" and "abc" are 0); elsewhere the whole text must be a
// number in the user's notation, so that the rates the store hands back as
// "1,54982" keep their decimals.
std::optional<double> ReadRate(QStringView text, const LocaleInfo& locale = userLocale());

// 1 / rate in the pattern "##.########"; nullopt when the division fails
// (rate 0, empty or unreadable).
std::optional<QString> InverseRate(QStringView rateText, const LocaleInfo& locale = userLocale());

// What the inverse field shows after its rate changed to rateText: the new
// inverse, the previous text when the division fails, "" for an empty rate.
QString NextInverseRate(const QString& rateText, const QString& previousInverse,
                        const LocaleInfo& locale = userLocale());

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
    QString name;   // "Euro" unless foreign
    QString rate;   // Taux & key, "1" when absent
    QString factor; // TauxBis & key, "1" when absent
};

// CurDev 0, an unreadable CurDev, or one whose Dev key is absent or empty all
// mean the Euro.
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

#pragma once

#include "core/frame/SettingsStore.h"
#include "core/frame/Speech.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

inline constexpr int CurrencyRows = 6;

// The rows offered on first use; index 0 is unused.
extern const std::array<const char*, CurrencyRows> DefNames;
extern const std::array<double, CurrencyRows> DefRates;

// The current currency as the store has it.
struct CurrentCurrency
{
    double row = 0; // CurDev; a text that is no number counts as 0
    QString key;    // the digits of the row: "0", "2"
    bool foreign = false;
    QString name;   // as stored, "Euro" when absent (an empty name stays empty)
    QString rate;   // the rate when foreign, else "1"
    QString factor; // the factor to Euro when foreign, else "1"
};

// A row of the currency window: a name, its rate and the rate's inverse.
struct CurrencyRow
{
    QString name;
    QString rate;
    QString inverse;
};

// What a Submit of the currency window asks for.
struct CurrencyChoice
{
    std::array<CurrencyRow, CurrencyRows> rows; // row 0 is the Euro
    int selected = 0;
    bool showMessage = true;
};

// The currency table: the one owner of the five foreign currencies kept for
// every user (Dev, Taux and TauxBis & n in section "Devises"), and of each
// user's choice of the current one and of the "not the Euro" warning (CurDev,
// AffCurrMess). Row 0 is the Euro and is never stored.
class Currencies
{
public:
    Currencies(SettingsStore& store, const LocaleInfo& locale);

    // Whether the main window warns that the current currency is not the Euro.
    bool showsWarning(const QString& user) const;
    // Foreign only when CurDev is not 0 and its name is stored and not empty:
    // CurDev 0, an unreadable CurDev, or one whose name is absent or empty all
    // mean the Euro rates. The name shown is read all the same, so a name
    // stored for row 0 by hand shows.
    CurrentCurrency current(const QString& user) const;
    // Rows 1 to 5 as the window shows them: the built-in rows where nothing is
    // stored, a rate as stored unless another notation wrote it.
    std::array<CurrencyRow, CurrencyRows> table() const;
    // The rows with a name, their factor to Euro as stored.
    std::vector<CurrencyRow> named() const;

    struct Submitted
    {
        std::optional<QString> refusal; // the message that stops the Submit; nothing was written
        bool written = false;           // otherwise false: the store's reason is in reason()
        int current = 0;                // the row now current
        QString label;                  // the main window's currency label
        QString name;                   // the current currency's name as now stored
    };
    // Checks the table, then stores it with the user's choices, all in one
    // transaction: another program's change in between is neither lost nor
    // overwritten unseen.
    Submitted submit(const CurrencyChoice& choice, const QString& user, const Speech& speech);
    QString reason() const { return m_store.lastError(); }

private:
    QString value(QStringView section, QStringView key, const QString& fallback) const;

    SettingsStore& m_store;
    LocaleInfo m_locale;
};

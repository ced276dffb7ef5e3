#pragma once

#include "core/frame/LocaleInfo.h"

#include <QDate>
#include <QString>

#include <optional>

// A stored text and what it reads as. The text is null where the key is
// absent; the value is nothing where the text is absent, empty or cannot be
// read. A text that cannot be read is shown as it is stored and written back
// as it is.
template <typename T> struct Stored
{
    QString text;
    std::optional<T> value;

    bool isAbsent() const { return text.isNull(); }
    bool isUnreadable() const { return !text.isEmpty() && !value; }
    bool operator==(const Stored&) const = default;
};

// An amount paid in a foreign currency and that currency: "46.80 USD".
struct Paid
{
    QString typed; // "46.80", as typed in the notation it was typed in
    double amount = 0;
    QString currency;
    bool operator==(const Paid&) const = default;
};

// One fill-up of a user, the one shape in which the log hands fill-ups out and
// takes them in. Fill-ups saved before the distance and the litres were kept
// have neither; hand-edited ones may miss any field or hold texts that read
// as nothing. A consumption or an amount of 0 is what a save stores when there
// was none.
struct FillUp
{
    qint64 number = 0;          // its record number; 0 for one not stored yet
    Stored<QDate> date;         // "05 December 2026", in the month names of the notation it was saved under
    Stored<double> distance;    // km, "650.5"
    Stored<double> litres;      // "40.5"
    Stored<double> consumption; // litres per 100 km, "06.15" in the notation it was saved under
    Stored<double> euro;        // the amount in Euro, "60,50"
    Stored<Paid> paid;          // the amount as paid abroad, "46.80 USD"

    bool operator==(const FillUp&) const = default;
};

// The texts of a fill-up's fields as a save writes them. Everything that makes
// a new fill-up or a new value of one goes through these, so that every
// stored text has the form the program writes and reads back under any
// notation.
namespace FillUpText
{
// The date label as shown: "dd mmmm yyyy" in the user's month names, or any
// text the label holds.
Stored<QDate> date(const QString& shown, const LocaleInfo& locale);
Stored<QDate> date(QDate day, const LocaleInfo& locale);
// "06.15" in the user's notation; "00.00" for none.
Stored<double> consumption(double perHundred, const LocaleInfo& locale);
// A distance or litres, "." and no grouping; absent when not above 0.
Stored<double> measured(double value);
// An amount typed in Euro, as typed without its grouping ("1.234,50" ->
// "1234,50"); "0" when nothing was typed.
Stored<double> typedEuro(const QString& typed, const LocaleInfo& locale);
// An amount worked out in Euro, in the user's notation.
Stored<double> euro(double amount, const LocaleInfo& locale);
// A number of a file, its own digits with the user's decimal sign ("60.50" is
// "60,50" under French), as it would have been typed there.
Stored<double> fileNumber(const QString& digits, const LocaleInfo& locale);
// The amount as typed and its currency's name.
Stored<Paid> paid(const QString& typed, const QString& currency, const LocaleInfo& locale);

// What stored texts read as, whatever notation they were written under.
Stored<QDate> readDate(const QString& text, const LocaleInfo& locale);
Stored<double> readNumber(const QString& text, const LocaleInfo& locale);
Stored<Paid> readPaid(const QString& text, const LocaleInfo& locale);
} // namespace FillUpText

// A fill-up as the main window's fields give it: the date label as shown, the
// distance, litres and consumption of the calculation (the consumption as
// its "00.00" text or 0), and the amount as typed in the current currency,
// which a factor turns into Euro. Nothing when the amount cannot be stored.
std::optional<FillUp> EnteredFillUp(const QString& dateShown, double distance, double litres,
                                    const QString& consumption, const QString& amount, const QString& currencyName,
                                    const QString& factor, const LocaleInfo& locale);

// The date of a stored date text ("05 December 2026", a weekday in front
// allowed): month names of the user's notation first, then of English, French
// and Dutch, so that dates saved under another notation read too.
std::optional<QDate> ReadFillUpDate(QStringView text, const LocaleInfo& locale);

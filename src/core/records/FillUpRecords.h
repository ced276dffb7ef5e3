#pragma once

#include "core/frame/LocaleInfo.h"
#include "core/frame/SettingsStore.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The fill-ups of a user as the store holds them, read once for whatever shows
// or moves them all: the log, the chart, export. Records saved before the
// distance and the litres were kept have neither; hand-edited ones may miss
// any key or hold texts that read as nothing.
struct StoredFillUp
{
    qint64 number = 0;
    // The texts as stored; null where the key is absent (or holds more than
    // the program ever writes).
    QString date;        // Date & n: "dd mmmm yyyy" in the saving locale's month names
    QString consumption; // Tanko & n: "06.15" or "06,15"
    QString amount;      // Pay & n: Euro
    QString paid;        // PayCom & n: the amount as typed and its currency, "46.80 USD"
    QString distance;    // Kms & n, with "."
    QString litres;      // Ltrs & n, with "."
    // What they mean; nothing where a text is absent, empty or unreadable.
    std::optional<QDate> day;
    std::optional<double> km;
    std::optional<double> l;
    std::optional<double> conso;
    std::optional<double> euro;
};

// The records present from 1 to the user's last record number, in stored
// order, one at a time; numbers with no key at all are skipped.
void ForEachFillUp(const SettingsStore& store, const QString& user, const std::function<void(const StoredFillUp&)>& f);

// The date of a stored date text ("05 December 2026", a weekday in front
// allowed): month names of the user's locale first, then of English, French
// and Dutch, so that dates saved under another locale read too.
std::optional<QDate> ReadFillUpDate(QStringView text, const LocaleInfo& locale = userLocale());

// A distance or litres as Kms & n and Ltrs & n keep them: "." and no grouping.
QString PlainNumberText(double number);

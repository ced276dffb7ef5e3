#pragma once

#include "frame/Conversions.h"
#include "frame/SettingsStore.h"

#include <QString>

#include <optional>
#include <vector>

// What one press of the save button stores: the record keys of the next fill-up
// of a user. Every value is worked out before anything is written, and the keys
// are written as one transaction, so a record is either whole or absent.
struct FillUpEntry
{
    QString user;
    QString date;         // the date label as shown
    Mixed conso;          // the consumption text, or 0
    QString amount;       // the amount field as typed
    QString currencyName; // "Euro" or the foreign currency
    Mixed euroFactor;     // amount x factor = Euro
};

// The writes for the next record, or nullopt when a value cannot be formed
// (an unreadable count, an amount or factor that cannot be read).
std::optional<std::vector<SettingsStore::Write>> FillUpWrites(const FillUpEntry& entry);

// The user's record count as stored; 0 when it is absent, unreadable, negative
// or beyond 32 bits.
qint64 StoredRecordCount(const SettingsStore& store, const QString& user);

// Total average of the status bar.
struct TotalAverage
{
    double MoyTot = 0;
    QString text; // the panel's text
};

// The mean of the user's stored consumptions that are not 0. A consumption the
// user's notation cannot read is left out; an unreadable count means no data.
TotalAverage ComputeTotalAverage(const SettingsStore& store, const QString& user);

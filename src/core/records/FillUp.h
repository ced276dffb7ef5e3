#pragma once

#include "core/frame/Conversions.h"
#include "core/frame/SettingsStore.h"

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
    double distance = 0;  // km driven, 0 when not known
    double litres = 0;    // litres bought, 0 when not known
};

// The writes for the next record, reading the counter and the keys already
// there from `store`; nullopt when a value cannot be formed (an amount that is
// not one, a factor that cannot be used, no record number left).
std::optional<std::vector<SettingsStore::Write>> FillUpWrites(const FillUpEntry& entry, const SettingsStore& store);

// The keys of record `number` as a save writes them: the date text, the
// consumption text ("06.15"), the Euro amount and, where known, the amount as
// paid, the distance and the litres. A key the record had in `store` and no
// longer has is removed. For everything that writes a whole record: a
// save, a correction, an import.
struct RecordValues
{
    QString date;
    QString consumption;
    QString pay;
    QString payCom;
    double distance = 0; // 0: not known
    double litres = 0;   // 0: not known
};
std::vector<SettingsStore::Write> RecordWrites(const QString& user, qint64 number, const RecordValues& record,
                                               const SettingsStore& store);

// The Euro amount as a save stores it when it was typed in Euro: as typed,
// without its grouping ("1.234,50" -> "1234,50"), "0" when nothing was typed.
QString StoredEuroAmount(const QString& typed);

// A stored counter TotEntry that can be used as one: a whole number from 0 to
// 2^31 - 1, written under any locale.
std::optional<qint64> StoredRecordCount(QStringView text);

// The last record number of a user: the counter TotEntry when it is a whole
// number from 0 to 2^31 - 1 (absent is 0), otherwise the highest number that a
// key of a record (Date, Tanko, Pay, PayCom & n) carries.
qint64 LastRecordNumber(const SettingsStore& store, const QString& user);

// Total average of the status bar.
struct TotalAverage
{
    double MoyTot = 0;
    QString text; // the panel's text
};

// The mean of the user's stored consumptions that are not 0. A consumption that
// is not a number is left out; a sum beyond the range of numbers shows the
// error text.
TotalAverage ComputeTotalAverage(const SettingsStore& store, const QString& user);

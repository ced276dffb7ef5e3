#pragma once

#include "core/Context.h"
#include "core/records/FillUps.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <vector>

// Moving a user's fill-ups out to a file and in from one.
//
// A file is CSV (TnkFile): a header, then one line per fill-up with the date
// (ISO 8601), distance_km, litres, consumption_l_per_100km, amount_eur,
// amount_paid and currency. Numbers keep the digits the store holds, with "."
// as their decimal sign ("60,50" stored under French is 60.50 in the file and
// "60,50" again when read back there); a value the store does not hold, or
// holds unreadable, is an empty field, never a number made up. A currency's
// name goes out guarded against spreadsheets' formulas and comes back as it was.
//
// Reading, a file with exactly our column names is taken as records to carry
// over as they are (an empty field stays a value that reads as none); any
// other CSV whose header names a date and some fill-up figure in English,
// French or Dutch is read as another fuel log's export: its fill-ups are
// stored as a save stores typed ones.
namespace Exchange
{
// The file's text for the fill-ups, in stored order; count gets the number
// of lines below the header.
QByteArray ExportText(const FillUpList& fillUps, const LocaleInfo& locale, qint64* count = nullptr);

struct ExportResult
{
    QString problem; // empty when written, else why not in the context's language
    qint64 written = 0;
};
// Writes the context's user's fill-ups to path, "-" being standard output.
// The file is whole or not written at all, and only a file the user asked for
// is touched: never the store, its journal files, its backups or any other
// database, never a device, a FIFO, a socket or a folder, never a folder made
// on the way, never a file the user may not write or that another account
// owns. An existing file keeps its mode; a link keeps pointing where it did.
ExportResult ExportFile(Context& context, const QString& path);

struct Refusal
{
    qint64 line = 0; // in the file, the header being line 1
    QString reason;
};

struct ImportPlan
{
    // Not a file of fill-ups (empty, binary, unreadable, too large, no
    // columns we know): what to tell the user. Nothing else is set.
    QString problem;
    std::vector<FillUp> fillUps; // every line that can be stored, in the file's order
    qint64 duplicates = 0;       // of those, how many repeat a fill-up the user has
    std::vector<Refusal> refused;
    bool ownFormat = false;
    QChar separator = u',';
    QChar decimal = u'.';

    qint64 toImport() const { return qint64(fillUps.size()) - duplicates; }
};

// What importing the file's bytes into the context's user's fill-ups would
// do, the refusals in the context's language.
ImportPlan PlanImport(QByteArray bytes, Context& context);
ImportPlan PlanImportFile(const QString& path, Context& context);

// Appends the planned fill-ups after the user's records in one transaction,
// leaving out those that repeat a fill-up present at that moment. progress is
// told how many are written; false stops the import and leaves the store as it was.
FillUps::Appended ApplyImport(Context& context, const ImportPlan& plan, const FillUps::Progress& progress = {});

// The question asked before an import, in the context's language: the file,
// the user, the counts and the first ten lines refused.
QString Summary(const ImportPlan& plan, const Context& context, const QString& path);
// "Fill-ups: 12"
QString CountLine(qint64 count, const Speech& speech);
} // namespace Exchange

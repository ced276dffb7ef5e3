#pragma once

#include "core/Context.h"
#include "core/filetype/ExchangeRows.h"
#include "core/filetype/ExchangeShapes.h"
#include "core/records/FillUps.h"

#include <QByteArray>
#include <QIODevice>
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
// over as they are (an empty field stays a value that reads as none); the
// exports of other fuel logs (ExchangeShapes), and any CSV whose header
// names a date and some fill-up figure, are read as a save stores typed
// fill-ups, in date order, converted to km and litres.
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

// What the user decided about a file: the columns (from --columns or the
// column window, which confirms them), the order of its dates, and which of
// its vehicles to import.
struct ImportChoices
{
    std::optional<Assignment> columns;
    QString columnsText; // as --columns gives them, for the file's header
    DateOrder dateOrder = DateOrder::Unknown;
    QString vehicle;
};

struct ImportPlan
{
    // Not a file of fill-ups (empty, binary, unreadable, too large, no
    // columns we know): what to tell the user. Nothing else is set.
    QString problem;
    // The columns given do not fit the file's header: why (English, as the
    // command line speaks).
    QString wrongColumns;

    // A question to answer before anything is planned: which vehicle, or
    // which order the dates are in (the candidates, and a date they read
    // differently).
    enum class Question
    {
        None,
        Vehicle,
        DateOrder
    } question = Question::None;
    QStringList vehicles;             // as the file names them
    std::vector<qint64> vehicleLines; // the lines of each
    std::vector<DateOrder> dateOrders;
    QString dateExample;

    // What the file is and how it is read.
    App app = App::Other;
    QString vehicle; // the one imported, when the file names one
    QStringList header;
    std::vector<QStringList> preview; // the first lines of fill-ups, as they stand
    Assignment assignment;
    bool remembered = false; // the assignment is the one chosen before for this header
    DateOrder dateOrder = DateOrder::Unknown;
    QChar separator = u',';
    QChar decimal = u'.';
    // Why the assignment must be confirmed before an import (the units it
    // does not know, no quantity column); empty when it need not be.
    QStringList confirm;

    PlannedFillUps fillUps; // every line that can be stored, in the order they will be
    qint64 duplicates = 0;  // of those, how many repeat a fill-up the user has
    qint64 partial = 0, missed = 0;
    Refusals refused;
    // Lines that are no fill-ups of the vehicle imported, by why: "3 of
    // another vehicle", "2 no fill-ups (## Costs)".
    QStringList leftOut;
    qint64 leftOutLines = 0;
    // Some come before the newest fill-up the user has.
    bool olderThanPresent = false;

    bool ownFormat() const { return assignment.own; }
    qint64 toImport() const { return qint64(fillUps.size()) - duplicates; }
};

// What importing the file into the context's user's fill-ups would do, in
// the context's language; "-" is standard input.
ImportPlan PlanImport(QIODevice& device, Context& context, const ImportChoices& choices = {});
ImportPlan PlanImport(const QByteArray& bytes, Context& context, const ImportChoices& choices = {});
ImportPlan PlanImportFile(const QString& path, Context& context, const ImportChoices& choices = {});

// Appends the planned fill-ups after the user's records in one transaction,
// leaving out those that repeat a fill-up present at that moment. progress is
// told how many are written; false stops the import and leaves the store as it was.
FillUps::Appended ApplyImport(Context& context, const ImportPlan& plan, const FillUps::Progress& progress = {});

// The question asked before an import, in the context's language: the file,
// the user, what feeds what, the counts and the first ten lines refused.
QString Summary(const ImportPlan& plan, const Context& context, const QString& path);
// "date ← Data (day first); distance ← Odo (km), odometer differences ..."
QString AssignmentLine(const ImportPlan& plan, const Speech& speech);
// "row 7: Litres: "abc" is not a number of 0 or more"
QString RefusalLine(const Refusal& refusal, const Speech& speech);
// "Left out: l/100km (computed here) ..."; empty when nothing is.
QString LeftOutLine(const ImportPlan& plan, const Speech& speech);
// Keeps the columns chosen for files with the plan's header, for the next import of one.
bool RememberColumns(Context& context, const ImportPlan& plan, const Assignment& columns);
// "Fill-ups: 12"
QString CountLine(qint64 count, const Speech& speech);
} // namespace Exchange

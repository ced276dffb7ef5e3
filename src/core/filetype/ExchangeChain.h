#pragma once

// From the readings of a file's lines to the fill-ups to store: another
// log's lines in date order, their distances from the odometer's
// differences, and the consumption of each full fill-up over all the litres
// and all the distance since the full one before it, partial fill-ups
// between them included. A partial fill-up has no consumption of its own,
// nor has the first one after a fill-up that was not recorded (missed): the
// litres before it are not known. The program's own files are carried over
// as they are, in their order.

#include "core/currency/Currencies.h"
#include "core/filetype/ExchangeRows.h"
#include "core/frame/Speech.h"

#include <vector>

namespace Exchange
{
struct ChainInput
{
    bool own = false;
    QStringList currencies;         // that the lines name (Reading::currency)
    QString currency;               // of the amounts of lines that name none; "" for the Euro
    std::vector<CurrencyRow> table; // the user's currency table
    QString paidColumn;             // its title, in our own files
};

struct ChainCounts
{
    qint64 partial = 0, missed = 0;
};

ChainCounts PlanFillUps(std::vector<Reading>& readings, const ChainInput& input, const Speech& speech,
                        PlannedFillUps& out, Refusals& refused);
} // namespace Exchange

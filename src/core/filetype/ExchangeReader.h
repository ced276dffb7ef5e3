#pragma once

// Reading the cells of one line of a file of fill-ups, the program's own or
// another fuel log's, into what it says in km and litres: its day, odometer,
// distance, quantity, amount and flags, or why it cannot be read.

#include "core/filetype/ExchangeDates.h"
#include "core/filetype/ExchangeRows.h"
#include "core/frame/Speech.h"

#include <QString>

#include <variant>

namespace Exchange
{
// A number read from a file: its digits with "." and its value.
struct CellNumber
{
    enum State
    {
        Empty,
        Number,
        NotANumber,
        Negative
    } state = Empty;
    QString digits;
    double value = 0;
};

// A cell in the file's notation: `decimal` before the decimals, the other
// sign or a blank grouping thousands only, and only before three digits.
CellNumber readNumber(QStringView cell, QChar decimal);

// "Yes", "1", "True", "Full", "Ja" ... or their opposites.
enum class YesNo
{
    Empty,
    Yes,
    No,
    Neither
};
YesNo readYesNo(QStringView cell);

class RowReader
{
public:
    RowReader(const Assignment& assignment, const QStringList& header, QChar decimal, DateOrder order,
              const Speech& speech);

    // What the line says, or why it cannot be read. A currency the line
    // names is added to currencies, and its place kept.
    std::variant<Reading, QString> read(const RowStore::Cells& cells, qint64 line, QStringList& currencies);

    // Whether a line gave its quantity in gallons without the file saying
    // which ones, and the sign of a currency other than the Euro seen beside
    // an amount of a file without a currency column.
    bool unknownGallons() const { return m_unknownGallons; }
    QChar foreignSign() const { return m_foreignSign; }

private:
    std::optional<QString> readFlags(const RowStore::Cells& cells, Reading& reading) const;
    std::optional<QString> readMeasures(const RowStore::Cells& cells, const CellNumber* numbers, Reading& reading);
    void readAmount(const RowStore::Cells& cells, const CellNumber* numbers, Reading& reading);
    QString name(Role role) const;

    Assignment m_assignment;
    QStringList m_header;
    QChar m_decimal;
    DateOrder m_order;
    const Speech& m_speech;
    bool m_unknownGallons = false;
    QChar m_foreignSign;
};
} // namespace Exchange

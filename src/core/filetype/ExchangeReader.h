#pragma once

// Reading the lines of a file of fill-ups, the program's own or another fuel
// log's, into FillUps as a save would have stored them.

#include "core/currency/Currencies.h"
#include "core/filetype/ExchangeDialect.h"
#include "core/filetype/TnkFile.h"
#include "core/frame/Speech.h"
#include "core/records/FillUp.h"

#include <QDate>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

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

// ISO 8601 (2026-12-05, a time after it allowed), the day-first forms
// (05/12/2026, 5.12.26, 05-12-2026) and the stored form (05 December 2026).
std::optional<QDate> readDate(QStringView cell, const LocaleInfo& locale);

class LineReader
{
public:
    LineReader(const QStringList& header, const Columns& columns, QChar decimal, std::vector<CurrencyRow> currencies,
               const Speech& speech);

    // The file's decimal sign, once its numbers told it.
    void setDecimal(QChar decimal) { m_decimal = decimal; }

    // The distance of each line from an odometer column: the difference to the
    // reading of the fill-up before in time, the line above, or the line
    // below in a file that lists the newest first.
    void readOdometer(const QStringList& cells);

    // The fill-up a line stands for, or why it cannot be stored.
    std::variant<FillUp, QString> read(const TnkFile::Row& row, size_t index) const;

private:
    std::optional<QString> readAmounts(const QStringList& fields, const CellNumber* numbers, FillUp& fillUp) const;
    QString cell(const QStringList& fields, Role role) const;
    QString name(Role role) const;

    QStringList m_header;
    Columns m_columns;
    QChar m_decimal;
    std::vector<CurrencyRow> m_currencies;
    const Speech& m_speech;
    std::vector<std::optional<double>> m_odometer;
};
} // namespace Exchange

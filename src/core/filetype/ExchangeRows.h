#pragma once

// What an import holds between reading a file and writing its fill-ups,
// kept compact so that a million lines fit in a few hundred megabytes: the
// cells of the columns assigned, the lines refused, and the fill-ups to
// append as the texts they will be stored as.

#include "core/filetype/ExchangeAssignment.h"
#include "core/frame/LocaleInfo.h"
#include "core/records/FillUp.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

namespace Exchange
{
// A line or lines that cannot be read, and why.
struct Refusal
{
    qint64 line = 0; // in the file, the header being line 1
    QString reason;
    qint64 lastLine = 0; // of the lines it takes in; 0 for the one line
};

// Every refused line counted, the first ten kept with their reasons.
struct Refusals
{
    static constexpr size_t Kept = 10;
    qint64 lines = 0;   // every line refused
    qint64 entries = 0; // the refusals, one for the lines a quote took in
    std::vector<Refusal> first;
    void add(qint64 line, const QString& reason, qint64 lastLine = 0);
    size_t size() const { return size_t(lines); }
};

// The cells of the assigned columns of each line, in blocks of text.
class RowStore
{
public:
    explicit RowStore(const Assignment& assignment);
    void add(qint64 line, const QStringList& fields, const QString& vehicle);
    size_t size() const { return m_rows.size(); }
    qint64 line(size_t row) const { return m_rows[row].line; }
    using Cells = std::array<QStringView, RoleCount>;
    // The row's cells by role, empty for a role without a column.
    Cells cells(size_t row) const;

private:
    struct Row
    {
        qint64 line;
        quint32 block;
        quint32 at;
    };
    std::vector<Role> m_roles; // in the order they are kept
    std::array<int, RoleCount> m_column{};
    std::vector<QString> m_blocks;
    std::vector<Row> m_rows;
};

// A number as its digits: "60.50" is 6050 with 2 decimals, so that it is
// stored with the digits the file gave.
struct Digits
{
    qint64 mantissa = 0;
    qint8 decimals = -1; // -1: none
    qint8 width = 1;     // digits before the decimals, leading zeros included: "06.15"
    bool isSet() const { return decimals >= 0; }
    double value() const;
    QString text() const;
    static Digits of(const QString& digits);
    static Digits rounded(double value, int decimals);
};

// The day, odometer, distance, quantity and amount of one line, in km and
// litres, and its flags.
struct Reading
{
    enum Flag : quint8
    {
        Partial = 1,
        Missed = 2,
        NoDate = 4 // our own files keep an empty date as it is
    };
    qint64 line = 0;
    qint32 day = 0; // Julian day
    quint8 flags = 0;
    qint16 currency = -1; // in the plan's currencies; -1 for the assignment's
    double odometer = NAN, distance = NAN, litres = NAN;
    Digits amount, consumption, paid;
};

// The fill-ups to append, as the texts they will be stored as.
class PlannedFillUps
{
public:
    using Key = std::array<qint64, 3>; // day, consumption and Euro amount to the cent

    explicit PlannedFillUps(const LocaleInfo& locale = LocaleInfo::english()) : m_locale(locale) {}
    void push_back(const FillUp& fillUp);
    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    FillUp operator[](size_t i) const;
    const Key& key(size_t i) const { return m_entries[i].key; }
    static Key keyOf(const FillUp& fillUp);
    // Day, consumption and amount as keyOf compares them: to the cent, NaN for none.
    static qint64 cents(double value);

private:
    struct Entry
    {
        quint32 block = 0, at = 0;
        std::array<qint32, 6> size{}; // UTF-8 bytes, -1 for a null text
        Key key{};
    };
    LocaleInfo m_locale;
    std::vector<QByteArray> m_blocks;
    std::vector<Entry> m_entries;
};
} // namespace Exchange

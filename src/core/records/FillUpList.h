#pragma once

#include "core/frame/LocaleInfo.h"
#include "core/frame/SettingsStore.h"
#include "core/records/FillUp.h"

#include <QString>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

// The fill-ups of one user as the store holds them, read in one pass for
// whatever shows or moves them all: the averages text, the log and its
// totals, the chart, export. The texts are kept as stored, together in one
// buffer, so that 100,000 fill-ups take a few megabytes; what they mean is
// worked out once when they are read. Each is handed out as a FillUp, or
// field by field where a pass over all of them must not build one each.
//
// Only the fill-up log (FillUps) reads and writes one. A correction, a
// removal or the putting back of a removed fill-up changes the store and
// this copy together; the store then holds the records in order from 1 to
// the count, without gaps and without keys of records that no longer exist,
// whatever gaps or strays it held before.
class FillUpList
{
public:
    enum Field
    {
        Date,
        Consumption,
        Euro,
        Paid,
        Distance,
        Litres
    };
    static constexpr int FieldCount = 6;

    size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    FillUp operator[](size_t position) const;

    qint64 number(size_t position) const { return m_records[position].number; }
    // The text as stored; a null view when the key is absent.
    QStringView text(size_t position, Field field) const;
    // What the text means; NaN where it is absent, empty or unreadable. The
    // date is a Julian day.
    double value(size_t position, Field field) const { return m_records[position].value[field]; }
    bool isUnreadable(size_t position, Field field) const { return m_records[position].unreadable & (1 << field); }

private:
    friend class FillUps;
    using Texts = std::array<QString, FieldCount>;

    struct Record
    {
        qint64 number = 0;
        std::array<quint32, FieldCount> at{};                        // where each text starts in the buffer
        std::array<qint32, FieldCount> size{-1, -1, -1, -1, -1, -1}; // -1: absent
        std::array<qint64, FieldCount> row{};                        // where the store keeps key & number; 0 unknown
        std::array<double, FieldCount> value{NAN, NAN, NAN, NAN, NAN, NAN};
        quint8 unreadable = 0; // bit (1 << field): a text that reads as nothing
    };

    // The records present from 1 to the user's last record number, in
    // stored order. False when the store could not be read.
    bool read(const SettingsStore& store, const QString& user, const LocaleInfo& locale);
    QStringView text(const Record& record, int field) const;
    static Texts textsOf(const FillUp& fillUp);
    Texts texts(size_t position) const;
    Record make(const Texts& texts);
    void parse(Record& record) const;

    // The records after an edit are written as differences to what the
    // store holds, the count after them; then they are the list.
    std::vector<Record> room(size_t size) const;
    const Record* stored(qint64 number) const;
    void writeDifferences(const SettingsStore& store, SettingsStore::Writer& out, std::vector<Record>& after) const;
    void adopt(std::vector<Record>&& after);

    QString m_user;
    LocaleInfo m_locale;
    QString m_buffer;
    std::vector<Record> m_records;
    qint64 m_last = 0; // the last record number the store held when read or written
};

#pragma once

#include "core/frame/SettingsStore.h"

#include <QString>

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

// The fill-ups of one user read once, for everything the report window shows
// of them: the averages text, the log and its totals, the chart. The texts
// are kept as stored, together in one buffer, so that 100,000 records take a
// few megabytes; what they mean is worked out once when they are read.
//
// A correction, a removal or the putting back of a removed fill-up changes
// the store and this copy together. The store then holds the records in
// order from 1 to TotEntry, without gaps and without keys of records that no
// longer exist, whatever gaps or strays it held before. An edit is refused
// when another program changed the store since it was read: what it would
// change may no longer be what the user saw.
class FillUpTable
{
public:
    enum Key
    {
        Date,
        Tanko,
        Pay,
        PayCom,
        Kms,
        Ltrs
    };
    static constexpr int KeyCount = 6;

    // The texts of one record; null where the key is absent.
    using Texts = std::array<QString, KeyCount>;

    struct Record
    {
        qint64 number = 0;
        std::array<quint32, KeyCount> at{};                        // where each text starts in the buffer
        std::array<qint32, KeyCount> size{-1, -1, -1, -1, -1, -1}; // -1: absent
        std::array<qint64, KeyCount> row{};                        // where the store keeps key & number; 0 unknown
        // What the texts mean: NoDay and NaN where a text is absent, empty
        // or unreadable.
        static constexpr qint64 NoDay = std::numeric_limits<qint64>::min();
        qint64 day = NoDay; // Julian day
        double km = NAN;
        double l = NAN;
        double conso = NAN;
        double euro = NAN;
        quint8 unreadable = 0; // bit (1 << key): a text that reads as nothing

        bool has(int key) const { return size[size_t(key)] >= 0; }
        bool isUnreadable(int key) const { return unreadable & (1 << key); }
    };

    enum class Outcome
    {
        Done,
        ChangedElsewhere, // nothing was written; read the store again
        Failed            // nothing was written; the store's lastError() says why
    };

    // The records present from 1 to the user's last record number, in stored
    // order. False when the file could not be read.
    bool read(const SettingsStore& store, const QString& user);
    // Another program changed the store since it was read.
    bool isStale(const SettingsStore& store) const { return store.othersChanges() != m_seen; }

    const QString& user() const { return m_user; }
    size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    const Record& operator[](size_t position) const { return m_records[position]; }
    // The text as stored; a null view when the key is absent.
    QStringView text(const Record& record, int key) const;
    Texts texts(size_t position) const;

    Outcome replace(SettingsStore& store, size_t position, const Texts& texts);
    Outcome remove(SettingsStore& store, size_t position);
    Outcome insert(SettingsStore& store, size_t position, const Texts& texts);

private:
    static std::vector<Record> room(size_t size);
    Record make(const Texts& texts);
    void parse(Record& record) const;
    Outcome commit(SettingsStore& store, std::vector<Record>& after);
    const Record* stored(qint64 number) const;
    void writeDifferences(const SettingsStore& store, SettingsStore::Writer& out, std::vector<Record>& after) const;

    QString m_user;
    QString m_buffer;
    std::vector<Record> m_records;
    qint64 m_last = 0; // the last record number the store held when read or written
    qint64 m_seen = -1;
};

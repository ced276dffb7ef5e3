#pragma once

#include <QByteArray>
#include <QString>

namespace Postgres
{
class Connection;
}

// The store on a PostgreSQL server: the same table as the SQLite file
// (settings: section, key, value and their case-folded forms, one row per
// key), in a schema of its own, with the change counter kept by triggers and
// a notification on the schema's channel at each commit that changed a value.
//
// Every statement takes texts; section_fold and key_fold are folded as the
// store folds them and compared byte by byte (COLLATE "C"), as SQLite does,
// whatever the database's own collation.
namespace PostgresSchema
{
inline constexpr int Version = 1;
QString defaultName(); // "tankometer"
// Lower-case ASCII letters, digits and "_", not starting with a digit, at
// most 63 characters: one spelling, quoted or not, and room for the channel.
bool isValidName(QStringView name);

struct Statements
{
    explicit Statements(const QString& schema);
    QString schema;
    // Every commit that changed a value notifies it once, however many.
    QString channel;
    QByteArray readKey;     // $1 section_fold, $2 key_fold -> value
    QByteArray readRange;   // $1 section_fold, $2 first key_fold, $3 the key_fold after the last -> key_fold, value
    QByteArray scanSection; // $1 section_fold -> key_fold, value
    QByteArray countKeys;   // $1 section_fold -> count
    // $1 section, $2 key, $3 value, $4 section_fold, $5 key_fold. An existing
    // key keeps its spelling; a value written again unchanged is no change.
    QByteArray upsert;
    // The same five as text[] (Postgres::textArray), a batch in one
    // statement; a key may appear once in a batch.
    QByteArray upsertMany;
    QByteArray remove;      // $1 section_fold, $2 key_fold
    QByteArray removeMany;  // the same two as text[]
    QByteArray changeCount; // -> count: rises by one for each key inserted, changed or deleted
    QByteArray version;     // -> the schema version the store was made with
    // Postgres::Retry::lock for every read-modify-write: one writer at a
    // time; readers never wait for it.
    QByteArray writeLock;
    // The tables, the counter and the triggers, each made only where missing.
    QByteArray creation;
};

// Makes the schema where it is missing and checks its version: one short
// read when all is there, else the making under a lock, so that two programs
// starting at once on a new database both find one complete store. Empty on
// success, else why, in the server's words where it refused.
QString ensure(Postgres::Connection& connection, const QString& schema = defaultName());
} // namespace PostgresSchema

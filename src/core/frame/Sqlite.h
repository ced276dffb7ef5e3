#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The one way the program talks to SQLite: a connection, prepared statements
// and transactions that clean up after themselves, and error texts that carry
// SQLite's message together with the reason the system gave, if any.
namespace Sqlite
{
class Database
{
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // flags are SQLite's SQLITE_OPEN_* bits. False, with error() set, on failure.
    // Every statement waits up to busyMs for another program's lock, the
    // first one included.
    bool open(const QString& fileOrUri, int flags, int busyMs = DefaultBusyMs);
    static constexpr int DefaultBusyMs = 3000;
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }

    // Runs statements that return no rows.
    bool exec(const char* sql);
    // SQLite's message for the last failure, with the system's reason
    // ("disk full", "permission denied") when SQLite passed one on.
    QString error() const;
    int errorCode() const;
    // The last failure was another connection's lock, not a fault of the file.
    bool isBusy() const;
    // Rows the last statement inserted, changed or deleted.
    int changes() const;

private:
    sqlite3* m_db = nullptr;
    QString m_openError;
};

class Statement
{
public:
    Statement(const Database& db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    Statement& bind(int index, const QString& text);
    Statement& bind(int index, QStringView text);
    Statement& bind(int index, qint64 number);
    // Bytes as they are, valid UTF-8 or not: a copy keeps a text exactly.
    Statement& bindUtf8(int index, QByteArrayView bytes);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // step() expecting no row: true when the statement ran to its end.
    bool run();
    void reset();

    QString text(int column) const;
    // The size of a value in bytes, known without converting it.
    int bytes(int column) const;
    // The text as SQLite holds it, valid until the next step.
    QByteArrayView utf8(int column) const;
    qint64 integer(int column) const;
    int type(int column) const;

private:
    sqlite3_stmt* m_stmt = nullptr;
    // The texts bound, kept until bound again: SQLite then needs no copy.
    std::vector<QByteArray> m_texts;
};

// BEGIN IMMEDIATE when made, ROLLBACK when it goes out of scope uncommitted.
class Transaction
{
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return m_active; }
    bool commit();

private:
    Database& m_db;
    bool m_active = false;
};
} // namespace Sqlite

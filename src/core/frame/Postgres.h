#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <vector>

struct pg_conn;
struct pg_result;

// The one way the program talks to a PostgreSQL server, in the manner of
// Sqlite.h: a connection and results that clean up after themselves,
// transactions, LISTEN/NOTIFY, and error texts that carry the server's own
// words and name the server and database, never a password.
namespace Postgres
{
// "host:port/database" as a user reads it; no user name, no password.
QString describe(const QString& host, const QString& port, const QString& database);
// name as a quoted SQL identifier: "tanko""s" for tanko"s.
QString identifier(QStringView name);
// texts as a PostgreSQL array literal for one text[] parameter: {"a","b\"c"}.
QString textArray(const QStringList& texts);

struct Error
{
    QString sqlState;  // "42501", "40001"; empty when no server answered
    QString text;      // the server's words (severity, message, detail, hint) or libpq's reason
    QString server;    // describe() of the connection
    bool lost = false; // the connection is gone: reconnect() before anything else

    bool isEmpty() const { return text.isEmpty(); }
    // "server 127.0.0.1:5432/tanko: ERROR:  permission denied for schema tankometer (SQLSTATE 42501)"
    QString message() const;
};

class Result
{
public:
    Result() = default;
    explicit Result(pg_result* result) : m_result(result) {}
    ~Result();
    Result(Result&& other) noexcept;
    Result& operator=(Result&& other) noexcept;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    // The statement ran: a command done or rows returned.
    bool ok() const;
    int rows() const;
    int columns() const;
    QString text(int row, int column) const;
    // The text as libpq holds it, valid while this result lives.
    QByteArrayView utf8(int row, int column) const;
    qint64 integer(int row, int column) const;
    // Rows an INSERT, UPDATE or DELETE wrote.
    qint64 affected() const;
    pg_result* handle() const { return m_result; }

private:
    pg_result* m_result = nullptr;
};

struct Notification
{
    QString channel;
    QString payload;
    bool fromSelf = false; // sent by a statement of this connection
};

// One session with the server, used by one thread at a time.
class Connection
{
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // conninfo: a postgresql:// URI, keyword=value pairs or service=NAME.
    // A connect_timeout it names wins over timeoutSeconds. False, with
    // error() set, when no session came of it.
    bool open(const QString& conninfo, int timeoutSeconds = DefaultTimeoutSeconds);
    static constexpr int DefaultTimeoutSeconds = 10;
    void close();
    bool isOpen() const;
    pg_conn* handle() const { return m_conn; }
    // describe() of where the connection goes, known from the first attempt on.
    QString server() const;

    // Text parameters $1, $2 ... in UTF-8; rows come back as text. Without
    // parameters sql may hold several statements. On failure the result is
    // not ok() and error() says why.
    Result exec(const char* sql, std::initializer_list<QStringView> parameters = {});
    Result exec(const char* sql, const QStringList& parameters);
    bool run(const char* sql, std::initializer_list<QStringView> parameters = {});
    // COPY ... FROM STDIN: rows in COPY's text form, sent as they come;
    // copyEnd(false) ends the COPY unmade.
    bool copyStart(const char* sql);
    bool copyPut(QByteArrayView rows);
    bool copyEnd(bool made = true);
    const Error& error() const { return m_error; }
    // A statement failed inside the open transaction: only a rollback helps.
    bool inFailedTransaction() const;

    // Without waiting on the network: takes in what the socket holds and
    // says whether the session still stands. False, with error() set, when
    // the server closed it or the system reported the connection broken.
    bool check();
    // Opens the session anew with the same parameters, listening again.
    bool reconnect();

    bool listen(const QString& channel);
    // What arrived since the last call, without waiting; empty when the
    // connection is gone (check() tells).
    std::vector<Notification> notifications();
    // For a QSocketNotifier: readable when a notification (or the end of the
    // session) arrived. -1 when not open; a new one after reconnect().
    int socket() const;

private:
    // known: the length of libpq's error text already told.
    void connectionFailed(qsizetype known = 0);
    void statementFailed(pg_result* result);
    Result execUtf8(const char* sql, const std::vector<QByteArray>& parameters);

    pg_conn* m_conn = nullptr;
    Error m_error;
    QStringList m_channels;
    QString m_farewell;
};

enum class Isolation
{
    ReadCommitted,
    RepeatableRead,
    Serializable
};

// BEGIN when made, ROLLBACK when it goes out of scope uncommitted.
class Transaction
{
public:
    explicit Transaction(Connection& connection, Isolation isolation = Isolation::Serializable);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return m_active; }
    // False when the commit did not take, a statement having failed before it included.
    bool commit();

private:
    Connection& m_connection;
    bool m_active = false;
};

} // namespace Postgres

#include "core/frame/Postgres.h"

#include "core/frame/Log.h"

#include <libpq-fe.h>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
#endif

#include <cstdlib>
#include <cstring>

namespace Postgres
{
namespace
{
// libpq's texts run over lines ("\n\tIs the server running ...?"); a message
// box and a log line want them whole.
QString tidy(const char* text)
{
    QString s = QString::fromUtf8(text).trimmed();
    s.replace(QStringLiteral("\n\t"), QStringLiteral(" "));
    return s.replace(u'\n', QStringLiteral("; "));
}

QString field(const PGresult* result, int code)
{
    return QString::fromUtf8(PQresultErrorField(result, code));
}

// Notices go to the store's log, not to stderr as libpq would send them. One
// that says the server is going away (class 57) is kept for the message
// about the lost connection that follows.
void notice(void* farewell, const PGresult* result)
{
    const QString text = tidy(PQresultErrorMessage(result));
    qCDebug(lcStore, "server notice: %s", qUtf8Printable(text));
    if (field(result, PG_DIAG_SQLSTATE).startsWith(u"57"))
        *static_cast<QString*>(farewell) = text;
}

// Whether the socket holds more to read, the end of the session included, without waiting.
bool readable(int socket)
{
#ifdef _WIN32
    WSAPOLLFD fd{SOCKET(socket), POLLRDNORM, 0};
    return WSAPoll(&fd, 1, 0) > 0;
#else
    pollfd fd{socket, POLLIN, 0};
    return ::poll(&fd, 1, 0) > 0;
#endif
}

const char* begin(Isolation isolation)
{
    switch (isolation) {
    case Isolation::ReadCommitted:
        return "BEGIN ISOLATION LEVEL READ COMMITTED";
    case Isolation::RepeatableRead:
        return "BEGIN ISOLATION LEVEL REPEATABLE READ";
    case Isolation::Serializable:
        break;
    }
    return "BEGIN ISOLATION LEVEL SERIALIZABLE";
}
} // namespace

QString describe(const QString& host, const QString& port, const QString& database)
{
    QString where = host.isEmpty() ? QStringLiteral("localhost") : host;
    if (where.contains(u':') && !where.startsWith(u'/'))
        where = u'[' + where + u']';
    if (!port.isEmpty())
        where += u':' + port;
    return database.isEmpty() ? where : where + u'/' + database;
}

QString identifier(QStringView name)
{
    QString quoted = name.toString();
    return u'"' + quoted.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString textArray(const QStringList& texts)
{
    QString array = QStringLiteral("{");
    for (const QString& text : texts) {
        if (array.size() > 1)
            array += u',';
        QString element = text;
        element.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
        array += u'"' + element + u'"';
    }
    return array + u'}';
}

QString Error::message() const
{
    if (text.isEmpty())
        return {};
    const QString said = QStringLiteral("server %1: %2").arg(server, text);
    return sqlState.isEmpty() ? said : said + QStringLiteral(" (SQLSTATE %1)").arg(sqlState);
}

Result::~Result()
{
    PQclear(m_result);
}

Result::Result(Result&& other) noexcept : m_result(std::exchange(other.m_result, nullptr)) {}

Result& Result::operator=(Result&& other) noexcept
{
    std::swap(m_result, other.m_result);
    return *this;
}

bool Result::ok() const
{
    const ExecStatusType status = PQresultStatus(m_result);
    return m_result && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK);
}

int Result::rows() const
{
    return m_result ? PQntuples(m_result) : 0;
}

int Result::columns() const
{
    return m_result ? PQnfields(m_result) : 0;
}

QString Result::text(int row, int column) const
{
    return QString::fromUtf8(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

QByteArrayView Result::utf8(int row, int column) const
{
    return QByteArrayView(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

qint64 Result::integer(int row, int column) const
{
    const char* text = PQgetvalue(m_result, row, column);
    return text ? std::strtoll(text, nullptr, 10) : 0;
}

qint64 Result::affected() const
{
    return m_result ? std::strtoll(PQcmdTuples(m_result), nullptr, 10) : 0;
}

Connection::~Connection()
{
    close();
}

bool Connection::open(const QString& conninfo, int timeoutSeconds)
{
    close();
    m_error = {};
    m_channels.clear();
    const QByteArray info = conninfo.toUtf8();
    const QByteArray timeout = QByteArray::number(timeoutSeconds);
    // Keywords before dbname yield to what the conninfo names; the encoding
    // after it does not, as every text here is UTF-8. Keepalives, and a
    // limit on data sent but never acknowledged, let a vanished network show
    // as a broken socket within a minute rather than hours.
    const char* const keywords[] = {"connect_timeout",  "keepalives_idle",  "keepalives_interval",
                                    "keepalives_count", "tcp_user_timeout", "fallback_application_name",
                                    "dbname",           "client_encoding",  nullptr};
    const char* const values[] = {timeout.constData(), "30",   "10",   "3", "30000", "tankometer",
                                  info.constData(),    "UTF8", nullptr};
    m_farewell.clear();
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (!m_conn) {
        m_error.text = QStringLiteral("out of memory");
        return false;
    }
    PQsetNoticeReceiver(m_conn, notice, &m_farewell);
    if (PQstatus(m_conn) == CONNECTION_OK)
        return true;
    connectionFailed();
    return false;
}

void Connection::close()
{
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
}

bool Connection::isOpen() const
{
    return m_conn && PQstatus(m_conn) == CONNECTION_OK;
}

QString Connection::server() const
{
    if (!m_conn)
        return {};
    return describe(QString::fromUtf8(PQhost(m_conn)), QString::fromUtf8(PQport(m_conn)),
                    QString::fromUtf8(PQdb(m_conn)));
}

void Connection::connectionFailed(qsizetype known)
{
    m_error = {};
    m_error.lost = true;
    m_error.server = server();
    const char* said = m_conn ? PQerrorMessage(m_conn) : "not connected";
    m_error.text = tidy(said + std::min(size_t(known), std::strlen(said)));
    if (!m_farewell.isEmpty())
        m_error.text += QStringLiteral(" (") + std::exchange(m_farewell, {}) + u')';
}

void Connection::statementFailed(pg_result* result)
{
    // A statement the server's going cut off: libpq says so in a result of
    // its own, and takes the session for standing until it reads again.
    const bool libpqSaid = result && field(result, PG_DIAG_SQLSTATE).isEmpty();
    if (libpqSaid && m_conn && PQstatus(m_conn) == CONNECTION_OK && PQconsumeInput(m_conn) == 0) {
        const QString farewell = std::exchange(m_farewell, {});
        connectionFailed();
        m_error.text = tidy(PQresultErrorMessage(result)) +
                       (farewell.isEmpty() ? QString() : QStringLiteral(" (") + farewell + u')');
        return;
    }
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        connectionFailed();
        m_error.sqlState = field(result, PG_DIAG_SQLSTATE);
        return;
    }
    m_error = {};
    m_error.server = server();
    m_error.sqlState = field(result, PG_DIAG_SQLSTATE);
    const QString primary = field(result, PG_DIAG_MESSAGE_PRIMARY);
    if (primary.isEmpty()) {
        m_error.text = tidy(result ? PQresultErrorMessage(result) : PQerrorMessage(m_conn));
        return;
    }
    // As psql shows them, which is how the server's administrator knows them.
    m_error.text = field(result, PG_DIAG_SEVERITY) + QStringLiteral(":  ") + primary;
    if (const QString detail = field(result, PG_DIAG_MESSAGE_DETAIL); !detail.isEmpty())
        m_error.text += QStringLiteral("\nDETAIL:  ") + detail;
    if (const QString hint = field(result, PG_DIAG_MESSAGE_HINT); !hint.isEmpty())
        m_error.text += QStringLiteral("\nHINT:  ") + hint;
}

Result Connection::exec(const char* sql, std::initializer_list<QStringView> parameters)
{
    std::vector<QByteArray> texts;
    texts.reserve(parameters.size());
    for (QStringView parameter : parameters)
        texts.push_back(parameter.toUtf8());
    return execUtf8(sql, texts);
}

Result Connection::exec(const char* sql, const QStringList& parameters)
{
    std::vector<QByteArray> texts;
    texts.reserve(size_t(parameters.size()));
    for (const QString& parameter : parameters)
        texts.push_back(parameter.toUtf8());
    return execUtf8(sql, texts);
}

Result Connection::execUtf8(const char* sql, const std::vector<QByteArray>& parameters)
{
    // Inside a failed transaction the server would only answer "current
    // transaction is aborted" (and roll back at COMMIT): the first failure is
    // the one worth telling.
    if (inFailedTransaction())
        return {};
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        // Told already, and libpq's text has the last statement's error before it.
        if (!m_error.lost)
            connectionFailed();
        return {};
    }
    m_error = {};
    // libpq would end the text there, and the store keep less than it was given.
    for (const QByteArray& parameter : parameters)
        if (parameter.contains('\0')) {
            m_error.server = server();
            m_error.text = QStringLiteral("a text holds the character U+0000, which PostgreSQL cannot store");
            return {};
        }
    PGresult* result = nullptr;
    if (parameters.empty()) {
        result = PQexec(m_conn, sql);
    } else {
        std::vector<const char*> values;
        for (const QByteArray& parameter : parameters)
            values.push_back(parameter.constData());
        result = PQexecParams(m_conn, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
    }
    Result answer(result);
    if (!answer.ok())
        statementFailed(result);
    return answer;
}

bool Connection::run(const char* sql, std::initializer_list<QStringView> parameters)
{
    return exec(sql, parameters).ok();
}

bool Connection::copyStart(const char* sql)
{
    if (inFailedTransaction() || !isOpen())
        return exec(sql).ok();
    Result started(PQexec(m_conn, sql));
    if (PQresultStatus(started.handle()) == PGRES_COPY_IN)
        return true;
    statementFailed(started.handle());
    return false;
}

bool Connection::copyPut(QByteArrayView rows)
{
    if (PQputCopyData(m_conn, rows.data(), int(rows.size())) == 1)
        return true;
    connectionFailed();
    return false;
}

bool Connection::copyEnd(bool made)
{
    PQputCopyEnd(m_conn, made ? nullptr : "the copy was stopped");
    Result done(PQgetResult(m_conn));
    while (PGresult* more = PQgetResult(m_conn))
        PQclear(more);
    if (!done.ok())
        statementFailed(done.handle());
    return done.ok();
}

bool Connection::inFailedTransaction() const
{
    return m_conn && PQtransactionStatus(m_conn) == PQTRANS_INERROR;
}

bool Connection::check()
{
    bool ok = m_conn && PQstatus(m_conn) == CONNECTION_OK;
    // libpq adds to the last statement's error: only what follows it is news.
    const qsizetype known = ok ? qsizetype(std::strlen(PQerrorMessage(m_conn))) : 0;
    // A read takes in what arrived, a farewell of the server's included; the
    // end of the session shows only at a read after it.
    for (int reads = 0; ok && reads < 64 && (reads == 0 || readable(PQsocket(m_conn))); ++reads) {
        ok = PQconsumeInput(m_conn) == 1 && PQstatus(m_conn) == CONNECTION_OK;
        PQisBusy(m_conn);
    }
    if (!ok)
        connectionFailed(known);
    return ok;
}

bool Connection::reconnect()
{
    if (!m_conn) {
        connectionFailed();
        return false;
    }
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        connectionFailed();
        return false;
    }
    m_error = {};
    // A new session listens to nothing.
    const QStringList channels = std::exchange(m_channels, {});
    for (const QString& channel : channels)
        if (!listen(channel))
            return false;
    return true;
}

bool Connection::listen(const QString& channel)
{
    if (!run(QStringLiteral("LISTEN %1").arg(identifier(channel)).toUtf8().constData()))
        return false;
    if (!m_channels.contains(channel))
        m_channels << channel;
    return true;
}

std::vector<Notification> Connection::notifications()
{
    std::vector<Notification> arrived;
    if (!check())
        return arrived;
    const int self = PQbackendPID(m_conn);
    while (PGnotify* n = PQnotifies(m_conn)) {
        arrived.push_back({QString::fromUtf8(n->relname), QString::fromUtf8(n->extra), n->be_pid == self});
        PQfreemem(n);
    }
    return arrived;
}

int Connection::socket() const
{
    return m_conn ? PQsocket(m_conn) : -1;
}

Transaction::Transaction(Connection& connection, Isolation isolation) : m_connection(connection)
{
    m_active = m_connection.run(begin(isolation));
}

Transaction::~Transaction()
{
    // Straight to libpq, so that the error of the statement that failed stays told.
    if (m_active && m_connection.isOpen())
        PQclear(PQexec(m_connection.handle(), "ROLLBACK"));
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    // After a failed statement the server would take COMMIT for ROLLBACK and
    // answer "done"; exec() sends nothing then, and the rollback is still to do.
    const bool committed = m_connection.run("COMMIT");
    m_active = !committed && m_connection.inFailedTransaction();
    return committed;
}

} // namespace Postgres

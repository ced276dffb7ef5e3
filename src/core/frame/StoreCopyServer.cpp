// The two sides of a store copy on a PostgreSQL server: read in one
// snapshot through a cursor, written with COPY in one transaction under the
// store's write lock, and checked by the server's own count and checksum.
#include "core/frame/Postgres.h"
#include "core/frame/PostgresSchema.h"
#include "core/frame/StoreCopyParts.h"

#include <algorithm>
#include <optional>

namespace StoreCopy
{
namespace
{
// Keys fetched at a time, and bytes of COPY data sent at a time.
constexpr int kFetch = 20000;
constexpr qsizetype kSend = 1 << 20;

// The server's words, without the "server ...:" the copy names itself.
QString said(const Postgres::Connection& connection)
{
    const Postgres::Error& error = connection.error();
    return error.sqlState.isEmpty() ? error.text : error.text + QStringLiteral(" (SQLSTATE %1)").arg(error.sqlState);
}

QString withoutServer(const QString& problem, const Postgres::Connection& connection)
{
    const QString prefix = QStringLiteral("server %1: ").arg(connection.server());
    return problem.startsWith(prefix) ? problem.mid(prefix.size()) : problem;
}

QByteArray statement(const char* text)
{
    return QString::fromLatin1(text).arg(Postgres::identifier(PostgresSchema::defaultName())).toUtf8();
}

class ServerSource : public Source
{
public:
    explicit ServerSource(const QString& conninfo) : m_conninfo(conninfo) {}

    QString open() override
    {
        if (!m_connection.open(m_conninfo))
            return said(m_connection);
        // Read only: a copy from a server makes nothing there, not even the store.
        const PostgresSchema::Statements sql(PostgresSchema::defaultName());
        if (!m_connection.run(sql.version.constData())) {
            const QString state = m_connection.error().sqlState;
            return state == u"3F000" || state == u"42P01"
                       ? QStringLiteral("it holds no Tankometer store (no schema %1)").arg(sql.schema)
                       : said(m_connection);
        }
        const QByteArray declare =
            statement("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY; DECLARE copied NO SCROLL CURSOR FOR "
                      "SELECT section, key, value, section_fold, key_fold FROM %1.settings");
        return m_connection.run(declare.constData()) ? QString() : said(m_connection);
    }

    QString read(const Row& row) override
    {
        const QByteArray fetch = "FETCH " + QByteArray::number(kFetch) + " FROM copied";
        for (;;) {
            const Postgres::Result batch = m_connection.exec(fetch.constData());
            if (!batch.ok())
                return said(m_connection);
            if (batch.rows() == 0)
                return {};
            for (int r = 0; r < batch.rows(); ++r)
                if (const QString problem =
                        row({batch.utf8(r, 0), batch.utf8(r, 1), batch.utf8(r, 2), batch.utf8(r, 3), batch.utf8(r, 4)});
                    !problem.isEmpty())
                    return problem;
        }
    }

private:
    QString m_conninfo;
    Postgres::Connection m_connection;
};

// A field in COPY's text form.
void append(QByteArray& rows, QByteArrayView field)
{
    const auto special = [](char c) { return c == '\\' || c == '\n' || c == '\r' || c == '\t'; };
    if (std::none_of(field.begin(), field.end(), special)) {
        rows.append(field);
        return;
    }
    for (char c : field) {
        switch (c) {
        case '\\':
            rows += "\\\\";
            break;
        case '\n':
            rows += "\\n";
            break;
        case '\r':
            rows += "\\r";
            break;
        case '\t':
            rows += "\\t";
            break;
        default:
            rows += c;
        }
    }
}

class ServerTarget : public Target
{
public:
    explicit ServerTarget(const QString& conninfo) : m_conninfo(conninfo) {}
    ~ServerTarget() override
    {
        if (m_copying)
            m_connection.copyEnd(false);
        m_transaction.reset();
    }

    QString begin(bool replace) override
    {
        if (!m_connection.open(m_conninfo))
            return said(m_connection);
        const PostgresSchema::Statements sql(PostgresSchema::defaultName());
        if (const QString problem = PostgresSchema::ensure(m_connection); !problem.isEmpty())
            return withoutServer(problem, m_connection);
        // Behind the programs' writes, as one of them.
        m_transaction.emplace(m_connection, Postgres::Isolation::Serializable);
        const QByteArray count =
            "SET LOCAL lock_timeout = '10s'; " + sql.writeLock + "; " + statement("SELECT count(*) FROM %1.settings");
        const Postgres::Result keys =
            m_transaction->isActive() ? m_connection.exec(count.constData()) : Postgres::Result();
        if (!keys.ok())
            return said(m_connection);
        if (keys.integer(0, 0) > 0 && !replace)
            return QStringLiteral("it holds data already (%1 keys)").arg(keys.integer(0, 0));
        if ((keys.integer(0, 0) > 0 && !m_connection.run(statement("DELETE FROM %1.settings").constData())) ||
            !m_connection.copyStart(
                statement("COPY %1.settings(section, key, value, section_fold, key_fold) FROM STDIN").constData()))
            return said(m_connection);
        m_copying = true;
        return {};
    }

    QString put(const Fields& fields) override
    {
        for (QByteArrayView field : fields)
            if (field.contains('\0') || !field.isValidUtf8())
                return QStringLiteral("the key \"%1\" of \"%2\" holds a text PostgreSQL cannot store (the character "
                                      "U+0000, or bytes that are not UTF-8)")
                    .arg(QString::fromUtf8(fields[1]), QString::fromUtf8(fields[0]));
        for (size_t i = 0; i < fields.size(); ++i) {
            append(m_rows, fields[i]);
            m_rows += i + 1 < fields.size() ? '\t' : '\n';
        }
        if (m_rows.size() < kSend)
            return {};
        const bool sent = m_connection.copyPut(m_rows);
        m_rows.clear();
        return sent ? QString() : said(m_connection);
    }

    QString readBack(Digest& held) override
    {
        m_copying = false;
        if (!m_connection.copyPut(m_rows) || !m_connection.copyEnd())
            return said(m_connection);
        const Postgres::Result sums = m_connection.exec(
            statement("SELECT count(*), coalesce(sum(('x' || substr(h, 1, 8))::bit(32)::bigint), 0), "
                      "coalesce(sum(('x' || substr(h, 9, 8))::bit(32)::bigint), 0) FROM (SELECT "
                      "md5(octet_length(section) || ':' || section || octet_length(key) || ':' || key || "
                      "octet_length(value) || ':' || value || octet_length(section_fold) || ':' || section_fold || "
                      "octet_length(key_fold) || ':' || key_fold) AS h FROM %1.settings) AS rows")
                .constData());
        if (!sums.ok())
            return said(m_connection);
        held.count = sums.integer(0, 0);
        held.first = sums.integer(0, 1);
        held.second = sums.integer(0, 2);
        return {};
    }

    QString commit() override
    {
        if (!m_transaction->commit())
            return said(m_connection);
        // The planner's figures for a table that changed whole; where this
        // user may not, autovacuum does it later.
        m_connection.run(statement("ANALYZE %1.settings").constData());
        return {};
    }

private:
    QString m_conninfo;
    Postgres::Connection m_connection;
    std::optional<Postgres::Transaction> m_transaction;
    QByteArray m_rows;
    bool m_copying = false;
};
} // namespace

std::unique_ptr<Source> serverSource(const QString& conninfo)
{
    return std::make_unique<ServerSource>(conninfo);
}

std::unique_ptr<Target> serverTarget(const QString& conninfo)
{
    return std::make_unique<ServerTarget>(conninfo);
}
} // namespace StoreCopy

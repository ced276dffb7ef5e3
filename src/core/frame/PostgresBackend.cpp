#include "core/frame/PostgresBackend.h"

#include <QSet>

#include <libpq-fe.h>

namespace
{
// As long as a SQLite store waits for another program's write lock.
constexpr const char* kLockTimeout = "SET LOCAL lock_timeout = '3s'";
// Writes sent in one statement.
constexpr qsizetype kBatch = 2000;

QByteArray statement(const char* text, const QString& schema)
{
    return QString::fromLatin1(text).arg(Postgres::identifier(schema)).toUtf8();
}
} // namespace

struct PostgresBackend::Pending
{
    bool removing = false;
    QStringList sections, keys, values, sectionFolds, keyFolds;
    // A key may be named once in a statement.
    QSet<QString> named;

    void clear()
    {
        for (QStringList* list : {&sections, &keys, &values, &sectionFolds, &keyFolds})
            list->clear();
        named.clear();
    }
};

PostgresBackend::PostgresBackend(const QString& conninfo, const QString& shown, const QString& schema)
    : m_conninfo(conninfo), m_shown(shown), m_sql(schema), m_pending(std::make_unique<Pending>())
{
}

PostgresBackend::~PostgresBackend()
{
    close();
}

QString PostgresBackend::location() const
{
    const QString server = m_connection.server();
    return server.isEmpty() ? m_shown : server;
}

QString PostgresBackend::server() const
{
    const pg_conn* c = m_connection.handle();
    return c ? Postgres::describe(QString::fromUtf8(PQhost(c)), QString::fromUtf8(PQport(c)), {}) : m_shown;
}

QString PostgresBackend::database() const
{
    const pg_conn* c = m_connection.handle();
    return c ? QString::fromUtf8(PQdb(c)) : QString();
}

bool PostgresBackend::isBusy() const
{
    return m_state == u"55P03";
}

bool PostgresBackend::mayRetry() const
{
    return m_state == u"40001" || m_state == u"40P01";
}

int PostgresBackend::changeSocket() const
{
    return m_open && !m_lost ? m_connection.socket() : -1;
}

bool PostgresBackend::fail()
{
    const Postgres::Error& error = m_connection.error();
    m_state = error.sqlState;
    m_lost = error.lost || !m_connection.isOpen();
    m_error = isBusy() ? QStringLiteral("it is in use by another program (%1)").arg(error.message()) : error.message();
    return false;
}

bool PostgresBackend::fail(const QString& why)
{
    m_state.clear();
    m_error = why;
    return false;
}

void PostgresBackend::close()
{
    rollback();
    m_connection.close();
    m_open = false;
}

bool PostgresBackend::open()
{
    close();
    m_lost = m_commitLost = m_committedWhenLost = false;
    m_error.clear();
    m_state.clear();
    m_readOnlyReason.clear();
    if (!m_connection.open(m_conninfo))
        return fail();
    if (const QString problem = PostgresSchema::ensure(m_connection, m_sql.schema); !problem.isEmpty()) {
        fail();
        m_error = problem;
        close();
        return false;
    }
    if (!m_connection.listen(m_sql.channel) || !readState()) {
        fail();
        close();
        return false;
    }
    m_open = true;
    return true;
}

// The counter, and whether this user may write where the store is.
bool PostgresBackend::readState()
{
    const QByteArray sql = statement(
        "SELECT (SELECT count FROM %1.changes WHERE id = 1), has_table_privilege('%1.settings', 'INSERT') AND "
        "has_table_privilege('%1.settings', 'UPDATE') AND has_table_privilege('%1.settings', 'DELETE') AND "
        "has_table_privilege('%1.changes', 'UPDATE'), current_setting('transaction_read_only') = 'on'",
        m_sql.schema);
    const Postgres::Result state = m_connection.exec(sql.constData());
    if (!state.ok() || state.rows() != 1)
        return false;
    m_known = state.integer(0, 0);
    m_changed = false;
    if (state.text(0, 2) == u"t")
        m_readOnlyReason = QStringLiteral("the server takes no writes: it is a standby");
    else if (state.text(0, 1) != u"t")
        m_readOnlyReason = QStringLiteral("the server lets this user read the store only");
    return true;
}

bool PostgresBackend::reconnect()
{
    rollback();
    if (!m_connection.reconnect())
        return fail();
    m_lost = false;
    // Whether the commit the connection went with was made is the server's to say.
    if (std::exchange(m_commitLost, false)) {
        const Postgres::Result fate = m_connection.exec("SELECT txid_status($1::bigint)", {m_xid});
        if (!fate.ok())
            return fail();
        m_committedWhenLost = fate.text(0, 0) == u"committed";
    }
    // Notifications sent meanwhile are lost: the store reads everything anew.
    return readState() || fail();
}

StoreBackend::Read PostgresBackend::readKey(const QString& sectionFold, const QString& keyFold, QString& value)
{
    if (!flush())
        return Read::Failed;
    const Postgres::Result found = m_connection.exec(m_sql.readKey.constData(), {sectionFold, keyFold});
    if (!found.ok())
        return fail(), Read::Failed;
    if (found.rows() == 0)
        return Read::Absent;
    if (found.utf8(0, 0).size() > MaxValueBytes)
        return Read::TooLarge;
    value = found.text(0, 0);
    return Read::Found;
}

bool PostgresBackend::rows(const QByteArray& sql, std::initializer_list<QStringView> parameters, const Row& row)
{
    if (!flush())
        return false;
    const Postgres::Result found = m_connection.exec(sql.constData(), parameters);
    if (!found.ok())
        return fail();
    for (int r = 0; r < found.rows(); ++r) {
        const QByteArrayView value = found.utf8(r, 1);
        row(found.utf8(r, 0), value.size() > MaxValueBytes ? QByteArrayView() : value, 0);
    }
    return true;
}

bool PostgresBackend::readRange(const QString& sectionFold, const QString& fromFold, const QString& toFold,
                                const Row& row)
{
    return rows(m_sql.readRange, {sectionFold, fromFold, toFold}, row);
}

bool PostgresBackend::scan(const QString& sectionFold, const Row& row)
{
    return rows(m_sql.scanSection, {sectionFold}, row);
}

std::optional<qint64> PostgresBackend::countKeys(const QString& sectionFold)
{
    if (!flush())
        return std::nullopt;
    const Postgres::Result count = m_connection.exec(m_sql.countKeys.constData(), {sectionFold});
    if (!count.ok())
        return fail(), std::nullopt;
    return count.integer(0, 0);
}

// The planner's figures: the table's rows by the share of the section among
// its most common; 0 for a section too small to be among them.
qint64 PostgresBackend::estimateKeys(const QString& sectionFold)
{
    const QByteArray sql = statement(
        "SELECT coalesce(max(c.reltuples * s.most_common_freqs[array_position(s.most_common_vals::text::text[], "
        "$1)]), 0)::bigint FROM pg_class c, pg_stats s WHERE c.oid = '%1.settings'::regclass AND "
        "s.schemaname = $2 AND s.tablename = 'settings' AND s.attname = 'section_fold'",
        m_sql.schema);
    const Postgres::Result estimate = m_connection.exec(sql.constData(), {sectionFold, m_sql.schema});
    return estimate.ok() && estimate.rows() == 1 ? estimate.integer(0, 0) : 0;
}

// A system call that takes in what the socket holds; one round trip only
// when another program said it committed.
StoreBackend::Poll PostgresBackend::changedElsewhere()
{
    if (!m_open)
        return Poll::Same;
    if (m_lost)
        return Poll::Failed;
    bool others = false;
    for (const Postgres::Notification& n : m_connection.notifications())
        others = others || !n.fromSelf;
    if (!m_connection.isOpen())
        return fail(), Poll::Failed;
    if (others && !m_inTransaction) {
        const Postgres::Result count = m_connection.exec(m_sql.changeCount.constData());
        if (!count.ok() || count.rows() != 1)
            return fail(), Poll::Failed;
        m_changed = m_changed || count.integer(0, 0) != m_known;
        m_known = count.integer(0, 0);
    }
    return std::exchange(m_changed, false) ? Poll::Changed : Poll::Same;
}

bool PostgresBackend::begin()
{
    if (!m_open)
        return fail(QStringLiteral("the store %1 is not open").arg(location()));
    if (m_lost)
        return false;
    if (isReadOnly())
        return fail(QStringLiteral("%1 can only be read (%2)").arg(location(), m_readOnlyReason));
    m_pending->clear();
    m_written = 0;
    m_commitLost = m_committedWhenLost = false;
    // The lock before the snapshot: what others committed before it is seen,
    // and nobody else commits until this is done. One round trip.
    const QByteArray lock = "BEGIN ISOLATION LEVEL SERIALIZABLE; " + QByteArray(kLockTimeout) + "; " + m_sql.writeLock +
                            "; " + statement("SELECT count, txid_current() FROM %1.changes WHERE id = 1", m_sql.schema);
    const Postgres::Result count = m_connection.exec(lock.constData());
    m_inTransaction = true;
    if (!count.ok() || count.rows() != 1) {
        fail();
        rollback();
        return false;
    }
    // Also what a notification has not told yet, or another tool wrote without one.
    const qint64 now = count.integer(0, 0);
    m_changed = m_changed || now != m_known;
    m_known = now;
    m_xid = count.text(0, 1);
    return true;
}

bool PostgresBackend::commit()
{
    if (!m_inTransaction)
        return fail(QStringLiteral("no change is under way"));
    const bool flushed = flush();
    if (flushed && m_connection.run("COMMIT")) {
        // The counter counts what the statements wrote: memory reflects it without asking.
        m_known += m_written;
        m_inTransaction = false;
        return true;
    }
    fail();
    // Sent, but no answer came: made or not, only the server knows.
    m_commitLost = flushed && m_lost;
    rollback();
    return false;
}

void PostgresBackend::rollback()
{
    m_pending->clear();
    // Straight to libpq, so that the failure that led here stays told.
    if (std::exchange(m_inTransaction, false) && m_connection.isOpen())
        PQclear(PQexec(m_connection.handle(), "ROLLBACK"));
}

bool PostgresBackend::flush()
{
    Pending& p = *m_pending;
    if (p.keyFolds.isEmpty())
        return true;
    const Postgres::Result written =
        p.removing ? m_connection.exec(m_sql.removeMany.constData(),
                                       {Postgres::textArray(p.sectionFolds), Postgres::textArray(p.keyFolds)})
                   : m_connection.exec(m_sql.upsertMany.constData(),
                                       {Postgres::textArray(p.sections), Postgres::textArray(p.keys),
                                        Postgres::textArray(p.values), Postgres::textArray(p.sectionFolds),
                                        Postgres::textArray(p.keyFolds)});
    p.clear();
    m_written += written.affected();
    return written.ok() || fail();
}

bool PostgresBackend::set(QStringView section, QStringView key, QStringView value, const QString& sectionFold,
                          const QString& keyFold, qint64)
{
    Pending& p = *m_pending;
    const QString named = sectionFold + QChar(u'\n') + keyFold;
    if ((p.removing || p.named.contains(named)) && !flush())
        return false;
    p.removing = false;
    p.named.insert(named);
    p.sections << section.toString();
    p.keys << key.toString();
    p.values << value.toString();
    p.sectionFolds << sectionFold;
    p.keyFolds << keyFold;
    return p.keyFolds.size() < kBatch || flush();
}

bool PostgresBackend::remove(const QString& sectionFold, const QString& keyFold, qint64)
{
    Pending& p = *m_pending;
    const QString named = sectionFold + QChar(u'\n') + keyFold;
    if (((!p.removing && !p.keyFolds.isEmpty()) || p.named.contains(named)) && !flush())
        return false;
    p.removing = true;
    p.named.insert(named);
    p.sectionFolds << sectionFold;
    p.keyFolds << keyFold;
    return p.keyFolds.size() < kBatch || flush();
}

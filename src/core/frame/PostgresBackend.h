#pragma once

#include "core/frame/Postgres.h"
#include "core/frame/PostgresSchema.h"
#include "core/frame/StoreBackend.h"

#include <memory>
#include <optional>

// The store in a schema of a PostgreSQL database (PostgresSchema.h), for
// programs on several computers. A read is one statement, which sees what was
// committed before it. A read-modify-write is one SERIALIZABLE transaction
// that first takes the store's write lock, so that programs wait their turn
// as they do on one SQLite file, and its writes go to the server in batches.
//
// Another program's commit is told by a notification that arrives on the
// connection's socket without a round trip; the change counter, read when
// one came and under the write lock, decides whether what was read is stale.
class PostgresBackend : public StoreBackend
{
public:
    // conninfo in libpq's terms; shown names it in messages until connected.
    PostgresBackend(const QString& conninfo, const QString& shown,
                    const QString& schema = PostgresSchema::defaultName());
    ~PostgresBackend() override;

    QString location() const override;
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool isReadOnly() const override { return !m_readOnlyReason.isEmpty(); }
    QString readOnlyReason() const override { return m_readOnlyReason; }
    bool mayMissRecent() const override { return false; }
    bool isBusy() const override;
    QString error() const override { return m_error; }
    QString server() const override;
    QString database() const override;
    bool isLost() const override { return m_lost; }
    bool reconnect() override;
    bool committedWhenLost() const override { return m_committedWhenLost; }
    bool mayRetry() const override;
    int changeSocket() const override;

    Read readKey(const QString& sectionFold, const QString& keyFold, QString& value) override;
    bool readRange(const QString& sectionFold, const QString& fromFold, const QString& toFold, const Row& row) override;
    bool scan(const QString& sectionFold, const Row& row) override;
    std::optional<qint64> countKeys(const QString& sectionFold) override;
    qint64 estimateKeys(const QString& sectionFold) override;
    Poll changedElsewhere() override;

    bool begin() override;
    bool commit() override;
    void rollback() override;
    bool set(QStringView section, QStringView key, QStringView value, const QString& sectionFold,
             const QString& keyFold, qint64 row) override;
    bool remove(const QString& sectionFold, const QString& keyFold, qint64 row) override;

private:
    bool fail();
    bool fail(const QString& why);
    bool readState();
    // Sends the writes waiting for one statement; reads flush first.
    bool flush();
    bool rows(const QByteArray& sql, std::initializer_list<QStringView> parameters, const Row& row);

    QString m_conninfo;
    QString m_shown;
    PostgresSchema::Statements m_sql;
    Postgres::Connection m_connection;
    bool m_open = false;
    bool m_lost = false;
    QString m_error;
    QString m_state; // SQLSTATE of the last failure
    QString m_readOnlyReason;
    // The change count that what was read reflects, and whether the store
    // has yet to hear that it moved.
    qint64 m_known = -1;
    bool m_changed = false;
    bool m_inTransaction = false;
    qint64 m_written = 0; // keys the transaction under way changed, as the counter counts them
    QString m_xid;        // of the transaction under way, to ask after a lost commit
    bool m_commitLost = false;
    bool m_committedWhenLost = false;
    struct Pending;
    std::unique_ptr<Pending> m_pending;
};

#pragma once

#include "core/frame/Sqlite.h"
#include "core/frame/StoreBackend.h"

#include <optional>

// The store in one SQLite file per account (table "settings", readable with
// the sqlite3 shell), in WAL mode so that readers never wait for a writer.
// Every change counts in table "changes", kept by triggers, so that a backup
// knows whether the data changed since the newest copy. A file that is not a
// sound store is reported and left exactly as it was; one that may only be
// read is shown all the same.
class SqliteBackend : public StoreBackend
{
public:
    explicit SqliteBackend(const QString& path, int busyMs = Sqlite::Database::DefaultBusyMs);
    ~SqliteBackend() override;

    QString location() const override { return m_path; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_db.isOpen(); }
    bool isReadOnly() const override { return m_readOnly; }
    QString readOnlyReason() const override { return m_readOnlyReason; }
    bool mayMissRecent() const override { return m_mayMissRecent; }
    bool isBusy() const override { return m_busy; }
    QString error() const override { return m_error; }

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
    // Opening (SqliteSchema.cpp, SqliteReadOnly.cpp).
    bool create();
    bool openExisting();
    bool openReadOnly(const QString& reason);
    QString whyReadOnly() const;
    int validate();
    bool prepare();
    // The file or its folder refuses writes: show the data, read-only.
    static bool cannotWrite(int rc);

    bool fail(const QString& what);
    bool failed();
    bool written();

    QString m_path;
    int m_busyMs;
    Sqlite::Database m_db;
    QString m_error;
    bool m_readOnly = false;
    bool m_busy = false;
    bool m_mayMissRecent = false;
    QString m_readOnlyReason;
    qint64 m_dataVersion = 0;

    std::optional<Sqlite::Statement> m_upsert;
    std::optional<Sqlite::Statement> m_updateRow;
    std::optional<Sqlite::Statement> m_deleteRow;
    std::optional<Sqlite::Statement> m_deleteKey;
    std::optional<Sqlite::Statement> m_readKey;
    std::optional<Sqlite::Statement> m_readRange;
    std::optional<Sqlite::Statement> m_countKeys;
    std::optional<Sqlite::Statement> m_version;
    std::optional<Sqlite::Transaction> m_transaction;
    // The writes of the transaction under way; beyond a few hundred the
    // triggers go quiet and the changes are counted here (SqliteSchema.cpp).
    qint64 m_written = 0;
    bool m_quiet = false;
    qint64 m_quietChanges = 0;
};

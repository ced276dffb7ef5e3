#include "core/frame/SqliteBackend.h"

#include <QFileInfo>

#include <sqlite3.h>

SqliteBackend::SqliteBackend(const QString& path, int busyMs) : m_path(path), m_busyMs(busyMs) {}

SqliteBackend::~SqliteBackend()
{
    close();
}

void SqliteBackend::close()
{
    m_transaction.reset();
    m_upsert.reset();
    m_updateRow.reset();
    m_deleteRow.reset();
    m_deleteKey.reset();
    m_readKey.reset();
    m_readRange.reset();
    m_countKeys.reset();
    m_version.reset();
    m_db.close();
}

bool SqliteBackend::open()
{
    close();
    m_readOnly = m_busy = m_mayMissRecent = false;
    m_readOnlyReason.clear();
    m_error.clear();
    const bool ok = (QFileInfo::exists(m_path) ? openExisting() : create()) && prepare();
    if (!ok)
        close();
    return ok;
}

bool SqliteBackend::fail(const QString& what)
{
    m_error = what;
    return false;
}

// The failure of the last statement, said so that a lock is not taken for damage.
bool SqliteBackend::failed()
{
    m_busy = m_db.isBusy();
    if (m_busy)
        return fail(QStringLiteral("it is in use by another program (%1)").arg(m_db.error()));
    return fail(m_db.error());
}

bool SqliteBackend::prepare()
{
    if (!m_readOnly) {
        m_upsert.emplace(m_db,
                         "INSERT INTO settings(section, key, value, section_fold, key_fold) VALUES(?1, ?2, ?3, ?4, ?5)"
                         " ON CONFLICT(section_fold, key_fold) DO UPDATE SET value = excluded.value"
                         // A value written again unchanged is no change: it asks for no backup.
                         " WHERE value IS NOT excluded.value");
        m_updateRow.emplace(m_db, "UPDATE settings SET value = ?1 WHERE rowid = ?2 AND section_fold = ?3 AND "
                                  "key_fold = ?4 AND value IS NOT ?1");
        m_deleteRow.emplace(m_db, "DELETE FROM settings WHERE rowid = ?1 AND section_fold = ?2 AND key_fold = ?3");
        m_deleteKey.emplace(m_db, "DELETE FROM settings WHERE section_fold = ?1 AND key_fold = ?2");
        if (!m_upsert->isValid() || !m_updateRow->isValid() || !m_deleteRow->isValid() || !m_deleteKey->isValid())
            return failed();
    }
    m_readKey.emplace(m_db, "SELECT value FROM settings WHERE section_fold = ?1 AND key_fold = ?2");
    m_readRange.emplace(
        m_db,
        "SELECT key_fold, value, rowid FROM settings WHERE section_fold = ?1 AND key_fold >= ?2 AND key_fold < ?3");
    m_countKeys.emplace(m_db, "SELECT count(*) FROM settings WHERE section_fold = ?1");
    m_version.emplace(m_db, "PRAGMA data_version");
    if (!m_readKey->isValid() || !m_readRange->isValid() || !m_countKeys->isValid() || !m_version->isValid())
        return failed();
    if (m_version->step() != SQLITE_ROW)
        return failed();
    m_dataVersion = m_version->integer(0);
    m_version->reset();
    return true;
}

StoreBackend::Read SqliteBackend::readKey(const QString& sectionFold, const QString& keyFold, QString& value)
{
    m_readKey->bind(1, sectionFold).bind(2, keyFold);
    const int rc = m_readKey->step();
    Read read = Read::Absent;
    if (rc == SQLITE_ROW && m_readKey->bytes(0) > MaxValueBytes)
        read = Read::TooLarge;
    else if (rc == SQLITE_ROW) {
        value = m_readKey->text(0);
        read = Read::Found;
    } else if (rc != SQLITE_DONE) {
        failed();
        read = Read::Failed;
    }
    m_readKey->reset();
    return read;
}

bool SqliteBackend::readRange(const QString& sectionFold, const QString& fromFold, const QString& toFold,
                              const Row& row)
{
    m_readRange->bind(1, sectionFold).bind(2, fromFold).bind(3, toFold);
    int rc = SQLITE_ROW;
    while ((rc = m_readRange->step()) == SQLITE_ROW)
        row(m_readRange->utf8(0), m_readRange->bytes(1) > MaxValueBytes ? QByteArrayView() : m_readRange->utf8(1),
            m_readRange->integer(2));
    m_readRange->reset();
    return rc == SQLITE_DONE || failed();
}

bool SqliteBackend::scan(const QString& sectionFold, const Row& row)
{
    // When the section holds most of the file, reading the table in its own
    // order is several times faster than through the index by key.
    bool most = false;
    {
        Sqlite::Statement highest(m_db, "SELECT max(rowid) FROM settings");
        most = 2 * estimateKeys(sectionFold) >= (highest.step() == SQLITE_ROW ? highest.integer(0) : 0);
    }
    Sqlite::Statement all(m_db, most ? "SELECT key_fold, value, rowid FROM settings NOT INDEXED WHERE section_fold = ?1"
                                     : "SELECT key_fold, value, rowid FROM settings WHERE section_fold = ?1");
    all.bind(1, sectionFold);
    int rc = SQLITE_ROW;
    while ((rc = all.step()) == SQLITE_ROW)
        row(all.utf8(0), all.bytes(1) > MaxValueBytes ? QByteArrayView() : all.utf8(1), all.integer(2));
    return rc == SQLITE_DONE || failed();
}

std::optional<qint64> SqliteBackend::countKeys(const QString& sectionFold)
{
    m_countKeys->bind(1, sectionFold);
    const int rc = m_countKeys->step();
    const std::optional<qint64> count =
        rc == SQLITE_ROW ? std::optional(m_countKeys->integer(0)) : (failed(), std::nullopt);
    m_countKeys->reset();
    return count;
}

// Told by a few rows spread over the file.
qint64 SqliteBackend::estimateKeys(const QString& sectionFold)
{
    Sqlite::Statement highest(m_db, "SELECT max(rowid) FROM settings");
    const qint64 rows = highest.step() == SQLITE_ROW ? highest.integer(0) : 0;
    Sqlite::Statement probe(m_db, "SELECT section_fold = ?1 FROM settings WHERE rowid >= ?2 LIMIT 1");
    constexpr int probes = 32;
    int ours = 0;
    for (int i = 0; i < probes; ++i) {
        probe.bind(1, sectionFold).bind(2, rows * (2 * i + 1) / (2 * probes));
        ours += probe.step() == SQLITE_ROW && probe.integer(0) ? 1 : 0;
        probe.reset();
    }
    return rows * ours / probes;
}

// Costs one small statement that reads the journal's index, not the file.
StoreBackend::Poll SqliteBackend::changedElsewhere()
{
    if (!m_version)
        return Poll::Same;
    const int rc = m_version->step();
    const qint64 now = rc == SQLITE_ROW ? m_version->integer(0) : m_dataVersion;
    m_version->reset();
    if (rc != SQLITE_ROW) {
        failed();
        return Poll::Failed;
    }
    if (now == m_dataVersion)
        return Poll::Same;
    m_dataVersion = now;
    return Poll::Changed;
}

bool SqliteBackend::begin()
{
    if (!m_db.isOpen())
        return fail(QStringLiteral("the store %1 is not open").arg(m_path));
    if (m_readOnly)
        return fail(QStringLiteral("%1 can only be read (%2)").arg(m_path, m_readOnlyReason));
    m_written = m_quietChanges = 0;
    m_quiet = false;
    m_transaction.emplace(m_db);
    if (m_transaction->isActive())
        return true;
    m_transaction.reset();
    return failed();
}

void SqliteBackend::rollback()
{
    // Rolled back by going out of scope, triggers and all.
    m_transaction.reset();
}

bool SqliteBackend::set(QStringView section, QStringView key, QStringView value, const QString& sectionFold,
                        const QString& keyFold, qint64 row)
{
    int changed = 0;
    if (row > 0) {
        if (!m_updateRow->bind(1, value).bind(2, row).bind(3, sectionFold).bind(4, keyFold).run())
            return failed();
        changed = m_db.changes();
    }
    if (changed == 0) {
        m_upsert->bind(1, section).bind(2, key).bind(3, value).bind(4, sectionFold).bind(5, keyFold);
        if (!m_upsert->run())
            return failed();
    }
    return written();
}

bool SqliteBackend::remove(const QString& sectionFold, const QString& keyFold, qint64 row)
{
    int changed = 0;
    if (row > 0) {
        if (!m_deleteRow->bind(1, row).bind(2, sectionFold).bind(3, keyFold).run())
            return failed();
        changed = m_db.changes();
    }
    if (changed == 0 && !m_deleteKey->bind(1, sectionFold).bind(2, keyFold).run())
        return failed();
    return written();
}

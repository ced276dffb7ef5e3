// The SQLite store's table, its change count and how a store comes to be:
// made afresh, or opened and checked without a write.
#include "core/frame/SqliteBackend.h"

#include "core/frame/Files.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace
{
constexpr const char* kSchema =
    "CREATE TABLE settings(section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
    " section_fold TEXT NOT NULL, key_fold TEXT NOT NULL, PRIMARY KEY(section_fold, key_fold))";

// Every change of a value, by this program, another one or a hand edit,
// counts here; a backup holds the count it was made at, so that a start
// without changes makes no copy.
constexpr const char* kChangeCount =
    "CREATE TABLE IF NOT EXISTS changes(id INTEGER PRIMARY KEY CHECK(id = 1), count INTEGER NOT NULL);"
    "INSERT OR IGNORE INTO changes VALUES(1, 0);"
    "CREATE TRIGGER IF NOT EXISTS settings_inserted AFTER INSERT ON settings"
    " BEGIN UPDATE changes SET count = count + 1; END;"
    "CREATE TRIGGER IF NOT EXISTS settings_updated AFTER UPDATE ON settings"
    " BEGIN UPDATE changes SET count = count + 1; END;"
    "CREATE TRIGGER IF NOT EXISTS settings_deleted AFTER DELETE ON settings"
    " BEGIN UPDATE changes SET count = count + 1; END;";

// A trigger run per row doubles the cost of a large edit: for one, they are
// dropped inside its transaction, the edit counts its own changes, and they
// are made again before the commit, so no other program ever sees them gone.
constexpr const char* kQuietChanges = "DROP TRIGGER IF EXISTS settings_inserted; DROP TRIGGER IF EXISTS "
                                      "settings_updated; DROP TRIGGER IF EXISTS settings_deleted;";
constexpr qint64 kLoudWrites = 256;
} // namespace

bool SqliteBackend::cannotWrite(int rc)
{
    rc &= 0xff;
    return rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN || rc == SQLITE_PERM || rc == SQLITE_IOERR;
}

// A new store is built beside its final name and moved into place, so that a
// tanko.db that exists is always a complete store.
bool SqliteBackend::create()
{
    const QFileInfo info(m_path);
    if (const QString problem = Files::makeFolder(info.absolutePath()); !problem.isEmpty())
        return fail(problem);
    // Named for this process: two programs may make the store at one moment.
    const QString fresh = m_path + QStringLiteral(".new-") + QString::number(QCoreApplication::applicationPid());
    QFile::remove(fresh);
    if (!m_db.open(fresh, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, m_busyMs))
        return fail(m_db.error());
    const bool made = m_db.exec("PRAGMA journal_mode=WAL") && m_db.exec(kSchema) && m_db.exec(kChangeCount);
    if (!made)
        failed();
    m_db.close();
    if (!made) {
        QFile::remove(fresh);
        return false;
    }
    // Never over a store that another program made meanwhile: that one is used.
    const bool moved = QFile::rename(fresh, m_path);
    QFile::remove(fresh);
    if (!moved && !QFileInfo::exists(m_path))
        return fail(QStringLiteral("cannot move %1 into place").arg(fresh));
    return openExisting();
}

bool SqliteBackend::openExisting()
{
    if (QFileInfo(m_path).size() == 0)
        return fail(QStringLiteral("the file is empty"));
    int rc = m_db.open(m_path, SQLITE_OPEN_READWRITE, m_busyMs) ? validate() : m_db.errorCode();
    if (m_busy)
        return false;
    if (cannotWrite(rc) || (rc == SQLITE_OK && sqlite3_db_readonly(m_db.handle(), "main") == 1))
        return openReadOnly(whyReadOnly());
    if (rc != SQLITE_OK)
        return false;
    // Also the first wait for another program's write lock: one that holds
    // the file stops the start here, before anything is shown or changed.
    bool writable = m_db.exec("PRAGMA journal_mode=WAL") && m_db.exec("PRAGMA synchronous=FULL");
    if (writable) {
        Sqlite::Transaction transaction(m_db);
        writable = transaction.isActive() && m_db.exec(kChangeCount) && transaction.commit();
    }
    if (writable)
        return true;
    if (!m_db.isBusy() && cannotWrite(m_db.errorCode()))
        return openReadOnly(whyReadOnly());
    return failed();
}

// Reads only: a damaged file must stay exactly as it was. SQLite checks the
// header and the size it gives against the file when it reads the schema.
int SqliteBackend::validate()
{
    Sqlite::Statement table(m_db, "SELECT section, key, value, section_fold, key_fold FROM settings LIMIT 1");
    int rc = table.isValid() ? table.step() : m_db.errorCode();
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        return SQLITE_OK;
    rc = m_db.errorCode();
    if (m_db.isBusy())
        failed();
    else if (cannotWrite(rc))
        return rc;
    else if ((rc & 0xff) == SQLITE_CORRUPT)
        fail(QStringLiteral("it is damaged (%1)").arg(m_db.error()));
    else if ((rc & 0xff) == SQLITE_ERROR)
        fail(QStringLiteral("it is not a Tankometer store (%1)").arg(m_db.error()));
    else
        fail(QStringLiteral("it is not a readable Tankometer store (%1)").arg(m_db.error()));
    return rc == SQLITE_OK ? SQLITE_ERROR : rc;
}

// Counts a write of the transaction under way; the triggers go quiet past a
// few hundred of them.
bool SqliteBackend::written()
{
    if (m_quiet)
        m_quietChanges += m_db.changes();
    else if (++m_written > kLoudWrites) {
        m_quiet = m_db.exec(kQuietChanges);
        if (!m_quiet)
            return failed();
    }
    return true;
}

// The triggers back, and the changes they missed counted.
bool SqliteBackend::commit()
{
    if (!m_transaction)
        return fail(QStringLiteral("no change is under way"));
    bool ok = true;
    if (m_quiet) {
        Sqlite::Statement count(m_db, "UPDATE changes SET count = count + ?1");
        ok = count.bind(1, m_quietChanges).run() && m_db.exec(kChangeCount);
    }
    ok = ok && m_transaction->commit();
    if (!ok)
        failed();
    m_transaction.reset();
    return ok;
}

#include "frame/Backup.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace
{
QString sqliteMessage(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}
} // namespace

BackupResult BackupStore(const QString& storePath, int keep)
{
    BackupResult result;
    const QFileInfo store(storePath);
    if (!store.exists()) {
        result.error = QStringLiteral("%1 does not exist").arg(storePath);
        return result;
    }
    QDir folder(store.absolutePath());
    if (!folder.mkpath(QStringLiteral("backups")) || !folder.cd(QStringLiteral("backups"))) {
        result.error = QStringLiteral("cannot create %1/backups").arg(store.absolutePath());
        return result;
    }
    // Names sort by time; a second copy within the same millisecond gets a suffix.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString name = QStringLiteral("tanko-%1.db").arg(stamp);
    for (int n = 2; folder.exists(name); ++n)
        name = QStringLiteral("tanko-%1-%2.db").arg(stamp).arg(n);
    const QString target = folder.filePath(name);
    const QString partial = target + QStringLiteral(".part");

    sqlite3* source = nullptr;
    sqlite3* copy = nullptr;
    int rc = sqlite3_open_v2(storePath.toUtf8().constData(), &source, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_open_v2(partial.toUtf8().constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source, "main");
        if (!backup) {
            rc = SQLITE_ERROR;
            result.error = sqliteMessage(copy);
        } else {
            rc = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
            else
                result.error = sqliteMessage(copy);
        }
    } else {
        result.error = sqliteMessage(copy ? copy : source);
    }
    sqlite3_close_v2(copy);
    sqlite3_close_v2(source);
    // Only a complete copy gets a backup's name.
    if (rc != SQLITE_OK || !QFile::rename(partial, target)) {
        QFile::remove(partial);
        if (result.error.isEmpty())
            result.error = QStringLiteral("cannot write %1").arg(target);
        return result;
    }
    result.ok = true;
    result.file = target;

    QStringList copies = folder.entryList({QStringLiteral("tanko-*.db")}, QDir::Files, QDir::Name);
    while (copies.size() > keep)
        folder.remove(copies.takeFirst());
    return result;
}

StartupBackup::StartupBackup(const QString& storePath, int keep)
    : m_worker([storePath, keep] { BackupStore(storePath, keep); })
{
}

StartupBackup::~StartupBackup()
{
    if (m_worker.joinable())
        m_worker.join();
}

#include "core/frame/Backup.h"

#include "core/frame/Files.h"
#include "core/frame/Log.h"
#include "core/frame/Sqlite.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>

namespace
{
struct Copy
{
    qint64 number = 0; // 0 for copies named by their time only, made before numbers
    QString name;
    bool operator<(const Copy& other) const
    {
        return number != other.number ? number < other.number : name < other.name;
    }
};

// Oldest first.
std::vector<Copy> copiesIn(const QDir& folder)
{
    static const QRegularExpression numbered(QStringLiteral("^tanko-(\\d{6,})-\\d{8}-"));
    std::vector<Copy> copies;
    for (const QString& name : folder.entryList({QStringLiteral("tanko-*.db")}, QDir::Files)) {
        const QRegularExpressionMatch match = numbered.match(name);
        copies.push_back({match.hasMatch() ? match.captured(1).toLongLong() : 0, name});
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

// The count of changes a store or a copy holds; -1 when it holds none.
qint64 changeCount(const Sqlite::Database& db)
{
    Sqlite::Statement count(db, "SELECT count FROM changes WHERE id = 1");
    return count.isValid() && count.step() == SQLITE_ROW ? count.integer(0) : -1;
}

qint64 copyChangeCount(const QString& path)
{
    Sqlite::Database copy;
    const QString uri = QStringLiteral("file:") + QString::fromUtf8(QUrl::toPercentEncoding(path, "/")) +
                        QStringLiteral("?immutable=1");
    return copy.open(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI) ? changeCount(copy) : -1;
}

void removeCopy(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

// Copies source's snapshot into target; empty on success, else why not.
QString copyInto(const Sqlite::Database& source, const QString& target)
{
    Sqlite::Database copy;
    if (!copy.open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
        return copy.error();
    sqlite3_backup* backup = sqlite3_backup_init(copy.handle(), "main", source.handle(), "main");
    if (!backup)
        return copy.error();
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        return copy.error();
    // A damaged store would push the good copies out one by one.
    Sqlite::Statement check(copy, "PRAGMA quick_check");
    if (!check.isValid() || check.step() != SQLITE_ROW)
        return copy.error();
    if (const QString verdict = check.text(0); verdict != QLatin1String("ok"))
        return QStringLiteral("the data file is damaged (%1); the earlier copies are kept").arg(verdict);
    return {};
}
} // namespace

BackupResult BackupStore(const QString& storePath, int keep)
{
    BackupResult result;
    const QFileInfo store(storePath);
    result.folder = QDir(store.absolutePath()).filePath(QStringLiteral("backups"));
    if (!store.exists()) {
        result.error = QStringLiteral("%1 does not exist").arg(QDir::toNativeSeparators(storePath));
        return result;
    }
    if (const QString problem = Files::makeFolder(result.folder); !problem.isEmpty()) {
        result.error = problem;
        return result;
    }
    const QDir folder(result.folder);
    // Left by a run that stopped in the middle of a copy.
    for (const QString& name : folder.entryList({QStringLiteral("*.part*")}, QDir::Files | QDir::System))
        QFile::remove(folder.filePath(name));

    const std::vector<Copy> before = copiesIn(folder);
    Sqlite::Database source;
    if (!source.open(storePath, SQLITE_OPEN_READONLY)) {
        result.error = source.error();
        return result;
    }
    // One snapshot for the count and the copy, whatever others write meanwhile.
    if (!source.exec("BEGIN")) {
        result.error = source.error();
        return result;
    }
    const qint64 changes = changeCount(source);
    if (changes >= 0 && !before.empty() && copyChangeCount(folder.filePath(before.back().name)) == changes) {
        result.outcome = BackupResult::Unchanged;
        return result;
    }
    const qint64 number = before.empty() ? 1 : before.back().number + 1;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString target = folder.filePath(QStringLiteral("tanko-%1-%2.db").arg(number, 6, 10, QChar(u'0')).arg(stamp));
    const QString partial = target + QStringLiteral(".part");
    result.error = copyInto(source, partial);
    source.exec("COMMIT");
    if (result.error.isEmpty())
        result.error = Files::replace(partial, target);
    if (!result.error.isEmpty()) {
        removeCopy(partial);
        return result;
    }
    result.outcome = BackupResult::Made;
    result.file = target;

    std::vector<Copy> copies = copiesIn(folder);
    for (size_t i = 0; i + keep < copies.size(); ++i)
        removeCopy(folder.filePath(copies[i].name));
    return result;
}

StartupBackup::StartupBackup(const QString& storePath, Failed failed, int keep)
    : m_worker([storePath, keep, failed = std::move(failed)] {
          const BackupResult result = BackupStore(storePath, keep);
          if (result.outcome != BackupResult::Failed)
              return;
          qCWarning(lcBackup, "no backup of %s in %s: %s", qUtf8Printable(storePath), qUtf8Printable(result.folder),
                    qUtf8Printable(result.error));
          if (QCoreApplication* app = QCoreApplication::instance(); app && failed)
              QMetaObject::invokeMethod(
                  app, [failed, result] { failed(result); }, Qt::QueuedConnection);
      })
{
}

StartupBackup::~StartupBackup()
{
    if (m_worker.joinable())
        m_worker.join();
}

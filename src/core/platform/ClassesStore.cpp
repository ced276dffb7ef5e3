#include "core/platform/ClassesStore.h"

#include "core/frame/Files.h"
#include "core/frame/SettingsStore.h"
#include "core/frame/Sqlite.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace
{
// Like a registry key, the file is opened for each access and closed after it.
bool openClasses(Sqlite::Database& db, const QString& path, bool make = false)
{
    if (make && !path.isEmpty() && !QFileInfo::exists(path) &&
        (!Files::makeFolder(QFileInfo(path).absolutePath()).isEmpty() ||
         !db.open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)))
        return false;
    if (path.isEmpty() || !QFileInfo::exists(path) || (!db.isOpen() && !db.open(path, SQLITE_OPEN_READWRITE)))
        return false;
    // The settings store may be writing at the same moment.
    sqlite3_busy_timeout(db.handle(), 5000);
    return true;
}

} // namespace

ClassesStore::ClassesStore(std::function<QString()> path, bool make) : m_path(std::move(path)), m_make(make) {}

QString ClassesStore::accountFile()
{
    return QFileInfo(SettingsStore::defaultPath()).dir().filePath(QStringLiteral("classes.db"));
}

std::optional<Platform::RegistryValue> ClassesStore::query(quint32 root, const QString& keyPath,
                                                           const QString& valueName)
{
    Sqlite::Database db;
    if (!openClasses(db, m_path()))
        return std::nullopt;
    Sqlite::Statement row(db, "SELECT type, data FROM classes WHERE root = ?1 AND key_fold = ?2 AND name_fold = ?3");
    row.bind(1, qint64(root)).bind(2, keyPath.toCaseFolded()).bind(3, valueName.toCaseFolded());
    if (row.step() != SQLITE_ROW)
        return std::nullopt;
    Platform::RegistryValue value;
    value.type = quint32(row.integer(0));
    if (value.type == Platform::RegDword)
        value.number = quint32(row.integer(1));
    else
        value.text = row.text(1);
    return value;
}

bool ClassesStore::setString(quint32 root, const QString& keyPath, const QString& valueName, const QString& text)
{
    Platform::RegistryValue value;
    value.type = Platform::RegSz;
    value.text = text;
    return set(root, keyPath, valueName, value);
}

bool ClassesStore::setDword(quint32 root, const QString& keyPath, const QString& valueName, quint32 number)
{
    Platform::RegistryValue value;
    value.type = Platform::RegDword;
    value.number = number;
    return set(root, keyPath, valueName, value);
}

bool ClassesStore::set(quint32 root, const QString& keyPath, const QString& valueName,
                       const Platform::RegistryValue& value)
{
    Sqlite::Database db;
    if (!openClasses(db, m_path(), m_make))
        return false;
    // The column "data" has no type, so a string stays text and a number stays a number.
    if (!db.exec("CREATE TABLE IF NOT EXISTS classes(root INTEGER NOT NULL, key TEXT NOT NULL, name TEXT NOT NULL,"
                 " type INTEGER NOT NULL, data, key_fold TEXT NOT NULL, name_fold TEXT NOT NULL,"
                 " PRIMARY KEY(root, key_fold, name_fold))"))
        return false;
    Sqlite::Statement write(db, "INSERT INTO classes(root, key, name, type, data, key_fold, name_fold)"
                                " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7) ON CONFLICT(root, key_fold, name_fold)"
                                " DO UPDATE SET type = excluded.type, data = excluded.data");
    write.bind(1, qint64(root)).bind(2, keyPath).bind(3, valueName).bind(4, qint64(value.type));
    if (value.type == Platform::RegDword)
        write.bind(5, qint64(value.number));
    else
        write.bind(5, value.text);
    write.bind(6, keyPath.toCaseFolded()).bind(7, valueName.toCaseFolded());
    return write.run();
}

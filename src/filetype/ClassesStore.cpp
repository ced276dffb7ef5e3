#include "filetype/ClassesStore.h"

#include "frame/SettingsStore.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace
{
class Connection
{
public:
    explicit Connection(const QString& path)
    {
        if (path.isEmpty() || !QFileInfo::exists(path))
            return;
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            return;
        }
        // The settings store may be writing at the same moment.
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Connection()
    {
        sqlite3_finalize(m_stmt);
        sqlite3_close_v2(m_db);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool prepare(const char* sql)
    {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        return m_db && sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) == SQLITE_OK;
    }
    void bind(int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, qint64 number) { sqlite3_bind_int64(m_stmt, index, number); }
    int step() { return sqlite3_step(m_stmt); }
    sqlite3_stmt* statement() const { return m_stmt; }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

QString fold(const QString& name)
{
    return name.toCaseFolded();
}

QString currentStorePath()
{
    const SettingsStore* store = SettingsStore::current();
    return store ? store->path() : QString();
}
} // namespace

ClassesStore::ClassesStore(std::function<QString()> path) : m_path(path ? std::move(path) : currentStorePath) {}

std::optional<FileType::RegistryValue> ClassesStore::query(quint32 root, const QString& keyPath,
                                                           const QString& valueName)
{
    Connection db(m_path());
    if (!db.prepare("SELECT type, data FROM classes WHERE root = ?1 AND key_fold = ?2 AND name_fold = ?3"))
        return std::nullopt;
    db.bind(1, qint64(root));
    db.bind(2, fold(keyPath));
    db.bind(3, fold(valueName));
    if (db.step() != SQLITE_ROW)
        return std::nullopt;
    sqlite3_stmt* row = db.statement();
    FileType::RegistryValue value;
    value.type = quint32(sqlite3_column_int64(row, 0));
    if (value.type == FileType::RegDword) {
        value.number = quint32(sqlite3_column_int64(row, 1));
    } else {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(row, 1));
        value.text = QString::fromUtf8(data, sqlite3_column_bytes(row, 1));
    }
    return value;
}

bool ClassesStore::setString(quint32 root, const QString& keyPath, const QString& valueName, const QString& text)
{
    FileType::RegistryValue value;
    value.type = FileType::RegSz;
    value.text = text;
    return set(root, keyPath, valueName, value);
}

bool ClassesStore::setDword(quint32 root, const QString& keyPath, const QString& valueName, quint32 number)
{
    FileType::RegistryValue value;
    value.type = FileType::RegDword;
    value.number = number;
    return set(root, keyPath, valueName, value);
}

bool ClassesStore::set(quint32 root, const QString& keyPath, const QString& valueName,
                       const FileType::RegistryValue& value)
{
    Connection db(m_path());
    // The column "data" has no type, so a string stays text and a number stays a number.
    if (!db.prepare("CREATE TABLE IF NOT EXISTS classes(root INTEGER NOT NULL, key TEXT NOT NULL, name TEXT NOT NULL,"
                    " type INTEGER NOT NULL, data, key_fold TEXT NOT NULL, name_fold TEXT NOT NULL,"
                    " PRIMARY KEY(root, key_fold, name_fold))") ||
        db.step() != SQLITE_DONE)
        return false;
    if (!db.prepare("INSERT INTO classes(root, key, name, type, data, key_fold, name_fold)"
                    " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7) ON CONFLICT(root, key_fold, name_fold)"
                    " DO UPDATE SET type = excluded.type, data = excluded.data"))
        return false;
    db.bind(1, qint64(root));
    db.bind(2, keyPath);
    db.bind(3, valueName);
    db.bind(4, qint64(value.type));
    if (value.type == FileType::RegDword)
        db.bind(5, qint64(value.number));
    else
        db.bind(5, value.text);
    db.bind(6, fold(keyPath));
    db.bind(7, fold(valueName));
    return db.step() == SQLITE_DONE;
}

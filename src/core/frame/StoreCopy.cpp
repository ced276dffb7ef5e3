// A copy of a whole store, and the SQLite file's two sides of it.
#include "core/frame/StoreCopy.h"

#include "core/frame/Sqlite.h"
#include "core/frame/SqliteBackend.h"
#include "core/frame/StoreCopyParts.h"
#include "core/frame/StoreLocation.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <sqlite3.h>

#include <charconv>
#include <optional>

namespace StoreCopy
{
namespace
{
// How often stop() is asked, in keys.
constexpr qint64 kStopEvery = 2000;

class FileSource : public Source
{
public:
    explicit FileSource(const QString& path) : m_path(path) {}

    QString open() override
    {
        if (!QFileInfo(m_path).isFile())
            return QStringLiteral("there is no such file");
        // One snapshot, whatever another program writes meanwhile.
        if (!m_db.open(m_path, SQLITE_OPEN_READONLY) || !m_db.exec("BEGIN"))
            return m_db.error();
        return {};
    }

    QString read(const Row& row) override
    {
        Sqlite::Statement all(m_db, "SELECT section, key, value, section_fold, key_fold FROM settings");
        if (!all.isValid())
            return QStringLiteral("it is not a Tankometer store (%1)").arg(m_db.error());
        int rc = SQLITE_ROW;
        while ((rc = all.step()) == SQLITE_ROW)
            if (const QString problem = row({all.utf8(0), all.utf8(1), all.utf8(2), all.utf8(3), all.utf8(4)});
                !problem.isEmpty())
                return problem;
        return rc == SQLITE_DONE ? QString() : m_db.error();
    }

private:
    QString m_path;
    Sqlite::Database m_db;
};

// A new file is made beside its name and moved there once whole; a file
// that exists is replaced inside one transaction, which a program using it
// sees as another program's change.
class FileTarget : public Target
{
public:
    explicit FileTarget(const QString& path) : m_path(path) {}
    ~FileTarget() override
    {
        m_insert.reset();
        m_transaction.reset();
        m_db.close();
        if (!m_fresh.isEmpty())
            for (const char* suffix : {"", "-wal", "-shm"})
                QFile::remove(m_fresh + QLatin1String(suffix));
    }

    QString begin(bool replace) override
    {
        QString file = m_path;
        if (!QFileInfo::exists(m_path)) {
            file = m_fresh = m_path + QStringLiteral(".copy-") + QString::number(QCoreApplication::applicationPid());
            QFile::remove(m_fresh);
        }
        // Made, or checked, as the program makes and checks its store.
        SqliteBackend store(file);
        if (!store.open())
            return store.error();
        if (store.isReadOnly())
            return QStringLiteral("it can only be read (%1)").arg(store.readOnlyReason());
        store.close();
        if (!m_db.open(file, SQLITE_OPEN_READWRITE))
            return m_db.error();
        m_transaction.emplace(m_db);
        Sqlite::Statement count(m_db, "SELECT count(*) FROM settings");
        if (!m_transaction->isActive() || count.step() != SQLITE_ROW)
            return m_db.error();
        m_changes = count.integer(0);
        if (m_changes > 0 && !replace)
            return QStringLiteral("it holds data already (%1 keys)").arg(m_changes);
        if (!SqliteBackend::quiet(m_db) || !m_db.exec("DELETE FROM settings"))
            return m_db.error();
        m_insert.emplace(m_db, "INSERT INTO settings(section, key, value, section_fold, key_fold) VALUES(?1, ?2, ?3, "
                               "?4, ?5)");
        return m_insert->isValid() ? QString() : m_db.error();
    }

    QString put(const Fields& fields) override
    {
        for (int i = 0; i < 5; ++i)
            m_insert->bindUtf8(i + 1, fields[size_t(i)]);
        ++m_changes;
        return m_insert->run() ? QString() : m_db.error();
    }

    QString readBack(Digest& held) override
    {
        Sqlite::Statement all(m_db, "SELECT section, key, value, section_fold, key_fold FROM settings");
        int rc = SQLITE_ROW;
        while ((rc = all.step()) == SQLITE_ROW)
            held.add({all.utf8(0), all.utf8(1), all.utf8(2), all.utf8(3), all.utf8(4)});
        return rc == SQLITE_DONE ? QString() : m_db.error();
    }

    QString commit() override
    {
        m_insert.reset();
        if (!SqliteBackend::loud(m_db, m_changes) || !m_transaction->commit())
            return m_db.error();
        m_db.close();
        if (m_fresh.isEmpty())
            return {};
        // Never over a store that another program made meanwhile.
        if (QFileInfo::exists(m_path) || !QFile::rename(m_fresh, m_path))
            return QStringLiteral("cannot move %1 into place").arg(m_fresh);
        m_fresh.clear();
        return {};
    }

private:
    QString m_path;
    QString m_fresh; // the new file until it is in place
    Sqlite::Database m_db;
    std::optional<Sqlite::Transaction> m_transaction;
    std::optional<Sqlite::Statement> m_insert;
    qint64 m_changes = 0; // keys deleted and inserted, for the change count
};

QString named(const StoreLocation& location)
{
    return (location.kind == StoreLocation::Kind::Server ? QStringLiteral("server ") : QString()) + location.shown();
}
} // namespace

void Digest::add(const Fields& fields)
{
    // Half a million keys: one buffer and one hash, used again for each.
    thread_local QCryptographicHash md5(QCryptographicHash::Md5);
    thread_local QByteArray bytes;
    bytes.clear();
    for (QByteArrayView field : fields) {
        char length[24];
        const auto end = std::to_chars(length, length + sizeof length, field.size()).ptr;
        bytes.append(length, end - length).append(':').append(field);
    }
    md5.reset();
    md5.addData(bytes);
    const QByteArrayView hash = md5.resultView();
    first += qFromBigEndian<quint32>(hash.data());
    second += qFromBigEndian<quint32>(hash.data() + 4);
    ++count;
}

bool Digest::operator==(const Digest& other) const
{
    return count == other.count && first == other.first && second == other.second;
}

QString Digest::against(const Digest& copied) const
{
    if (count != copied.count)
        return QStringLiteral("%1 keys read, %2 keys in the copy").arg(count).arg(copied.count);
    return QStringLiteral("the same %1 keys, but the checksums of their texts differ").arg(count);
}

std::unique_ptr<Source> fileSource(const QString& path)
{
    return std::make_unique<FileSource>(path);
}

std::unique_ptr<Target> fileTarget(const QString& path)
{
    return std::make_unique<FileTarget>(path);
}

Result run(const StoreLocation& from, const StoreLocation& to, bool replace, const std::function<bool()>& stop)
{
    Result result;
    const auto failed = [&result](const StoreLocation& side, const QString& problem) {
        result.problem = named(side) + QStringLiteral(": ") + problem;
        return result;
    };
    if (from.kind == to.kind && from.value == to.value)
        return failed(to, QStringLiteral("it is the store to copy from"));
    const bool fromServer = from.kind == StoreLocation::Kind::Server;
    const std::unique_ptr<Source> source = fromServer ? serverSource(from.value) : fileSource(from.value);
    const std::unique_ptr<Target> target =
        to.kind == StoreLocation::Kind::Server ? serverTarget(to.value) : fileTarget(to.value);
    if (const QString problem = source->open(); !problem.isEmpty())
        return failed(from, problem);
    if (const QString problem = target->begin(replace); !problem.isEmpty())
        return failed(to, problem);
    Digest read;
    QString refused; // by the target
    const QString problem = source->read([&](const Fields& fields) {
        if (stop && read.count % kStopEvery == 0 && stop())
            return (result.stopped = true), QStringLiteral("stopped");
        read.add(fields);
        refused = target->put(fields);
        return refused;
    });
    if (!refused.isEmpty())
        return failed(to, refused);
    if (result.stopped)
        return failed(to, QStringLiteral("stopped"));
    if (!problem.isEmpty())
        return failed(from, problem);
    Digest held;
    if (const QString unread = target->readBack(held); !unread.isEmpty())
        return failed(to, unread);
    if (!(held == read))
        return failed(to, QStringLiteral("the copy does not match what was read (%1)").arg(read.against(held)));
    if (const QString uncommitted = target->commit(); !uncommitted.isEmpty())
        return failed(to, uncommitted);
    result.keys = read.count;
    return result;
}
} // namespace StoreCopy

#include "core/frame/Sqlite.h"

#include <sqlite3.h>

#include <cstring>

namespace Sqlite
{
Database::~Database()
{
    close();
}

namespace
{
// Before SQLite starts: counting every allocation takes a global lock.
const int g_unmetered = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
} // namespace

bool Database::open(const QString& fileOrUri, int flags, int busyMs)
{
    close();
    m_openError.clear();
    // A connection is used by one thread at a time (a backup opens its own):
    // without SQLite's lock around every call, reading 500,000 rows takes half the time.
    const int rc = sqlite3_open_v2(fileOrUri.toUtf8().constData(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(m_db, busyMs);
        return true;
    }
    m_openError = error();
    if (m_openError.isEmpty())
        m_openError = QString::fromUtf8(sqlite3_errstr(rc));
    close();
    return false;
}

void Database::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool Database::exec(const char* sql)
{
    return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

QString Database::error() const
{
    if (!m_db)
        return m_openError.isEmpty() ? QStringLiteral("the database is not open") : m_openError;
    QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
    // SQLite says "disk I/O error"; the system says why.
    if (const int system = sqlite3_system_errno(m_db); system != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(system));
        if (!text.contains(reason, Qt::CaseInsensitive))
            text += QStringLiteral(": ") + reason;
    }
    return text;
}

int Database::errorCode() const
{
    return m_db ? sqlite3_errcode(m_db) : SQLITE_CANTOPEN;
}

bool Database::isBusy() const
{
    const int rc = errorCode() & 0xff;
    return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

int Database::changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

Statement::Statement(const Database& db, const char* sql)
{
    if (db.handle() && sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement& Statement::bind(int index, QStringView text)
{
    // An edit of 100,000 records binds two million texts: each goes into a
    // buffer of its parameter that keeps its room, and SQLite reads it there.
    if (index < 1)
        return *this;
    if (m_texts.size() < size_t(index))
        m_texts.resize(size_t(index));
    QByteArray& utf8 = m_texts[size_t(index - 1)];
    utf8.resize(text.size());
    qsizetype i = 0;
    for (; i < text.size() && text[i].unicode() < 0x80; ++i)
        utf8[i] = char(text[i].unicode());
    if (i < text.size())
        utf8 = text.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
    return *this;
}

Statement& Statement::bind(int index, const QString& text)
{
    return bind(index, QStringView(text));
}

Statement& Statement::bindUtf8(int index, QByteArrayView bytes)
{
    sqlite3_bind_text(m_stmt, index, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, qint64 number)
{
    sqlite3_bind_int64(m_stmt, index, number);
    return *this;
}

int Statement::step()
{
    return m_stmt ? sqlite3_step(m_stmt) : SQLITE_MISUSE;
}

bool Statement::run()
{
    const int rc = step();
    reset();
    return rc == SQLITE_DONE;
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
}

QString Statement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}

QByteArrayView Statement::utf8(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QByteArrayView(data, sqlite3_column_bytes(m_stmt, column));
}

int Statement::bytes(int column) const
{
    return sqlite3_column_bytes(m_stmt, column);
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

int Statement::type(int column) const
{
    return sqlite3_column_type(m_stmt, column);
}

Transaction::Transaction(Database& db) : m_db(db)
{
    m_active = m_db.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (m_active)
        m_db.exec("ROLLBACK");
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    if (!m_db.exec("COMMIT"))
        return false; // the destructor rolls back
    m_active = false;
    return true;
}
} // namespace Sqlite

// A store whose file or folder cannot be written: its data is shown all the
// same. Where even the journal cannot be read, the main file alone is shown,
// and whether that may miss the latest fill-ups is known from the journal's size.
#include "core/frame/SqliteBackend.h"

#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

bool SqliteBackend::openReadOnly(const QString& reason)
{
    m_readOnly = true;
    m_readOnlyReason = reason;
    m_error.clear();
    int rc = m_db.open(m_path, SQLITE_OPEN_READONLY, m_busyMs) ? validate() : m_db.errorCode();
    if (m_busy)
        return false;
    if (rc != SQLITE_OK && cannotWrite(rc)) {
        m_error.clear();
        const QString uri = QStringLiteral("file:") + QString::fromUtf8(QUrl::toPercentEncoding(m_path, "/")) +
                            QStringLiteral("?immutable=1");
        rc = m_db.open(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, m_busyMs) ? validate() : m_db.errorCode();
        m_mayMissRecent = rc == SQLITE_OK && QFileInfo(m_path + QStringLiteral("-wal")).size() > 0;
        if (m_mayMissRecent)
            m_error = reason;
    }
    if (rc != SQLITE_OK && m_error.isEmpty())
        fail(m_db.error());
    return rc == SQLITE_OK;
}

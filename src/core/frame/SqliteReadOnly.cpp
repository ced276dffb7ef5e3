// A store whose file or folder cannot be written: its data is shown all the
// same. Where even the journal cannot be read, the main file alone is shown,
// and whether that may miss the latest fill-ups is known from the journal's size.
#include "core/frame/SqliteBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

// SQLite opens a file it may not write for reading without a word, and of a
// folder it may not write says only "readonly": the system says why.
QString SqliteBackend::whyReadOnly() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return QStringLiteral("the file cannot be written: %1").arg(file.errorString());
    file.close();
    const QString folder = QFileInfo(m_path).absolutePath();
    // The journal is made beside the file; a folder that refuses it refuses this too.
    QFile probe(folder + QStringLiteral("/.tanko-probe-") + QString::number(QCoreApplication::applicationPid()));
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return QStringLiteral("its folder %1 cannot be written: %2")
            .arg(QDir::toNativeSeparators(folder), probe.errorString());
    probe.remove();
    return m_db.error();
}

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

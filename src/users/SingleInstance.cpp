#include "users/SingleInstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace
{
QString runtimeDirectory()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return dir.isEmpty() ? QDir::tempPath() : dir;
}
} // namespace

SingleInstance::SingleInstance(const QString& directory)
    : m_directory(directory.isEmpty() ? runtimeDirectory() : directory)
{
}

SingleInstance::~SingleInstance()
{
    delete m_server.data();
}

QString SingleInstance::lockPath() const
{
    return QDir(m_directory).filePath(QStringLiteral("tankometer.lock"));
}

QString SingleInstance::serverName() const
{
#ifdef Q_OS_WIN
    // A pipe name, not a path: the folder makes it the account's own.
    return QStringLiteral("tankometer-") +
           QString::fromLatin1(
               QCryptographicHash::hash(m_directory.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
#else
    return QDir(m_directory).filePath(QStringLiteral("tankometer.socket"));
#endif
}

bool SingleInstance::PrevInstance()
{
    if (m_prevInstance)
        return *m_prevInstance;
    QDir().mkpath(m_directory);
    m_lock = std::make_unique<QLockFile>(lockPath());
    // A run may last for days: only a dead holder makes the lock stale.
    m_lock->setStaleLockTime(0);
    const bool locked = m_lock->tryLock(0);
    // A lock that cannot be made at all (no such folder, no rights) must not
    // keep the program from starting.
    m_prevInstance = !locked && m_lock->error() == QLockFile::LockFailedError;
    return *m_prevInstance;
}

void SingleInstance::wakeRunning()
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(500))
        return;
    socket.write("show\n");
    socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
}

void SingleInstance::listen(std::function<void()> wake)
{
    if (m_server)
        return;
    m_server = new QLocalServer(QCoreApplication::instance());
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is ours, so a socket left behind belongs to a dead run.
    QLocalServer::removeServer(serverName());
    m_server->listen(serverName());
    QObject::connect(m_server, &QLocalServer::newConnection, m_server, [server = m_server.data(), wake] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromServer();
            wake();
        }
    });
}

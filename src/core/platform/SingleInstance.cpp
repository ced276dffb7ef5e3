#include "core/platform/SingleInstance.h"

#include "core/frame/Log.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
#ifndef Q_OS_WIN
    if (m_fd >= 0)
        ::close(m_fd);
#endif
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
    // A socket's path has room for about a hundred bytes: beside a runtime
    // folder deeper than that, one named after the folder in /tmp.
    const QString beside = QDir(m_directory).filePath(QStringLiteral("tankometer.socket"));
    if (QFile::encodeName(beside).size() <= 100)
        return beside;
    return QStringLiteral("/tmp/tankometer-%1-%2.socket")
        .arg(::getuid())
        .arg(QString::fromLatin1(
            QCryptographicHash::hash(m_directory.toUtf8(), QCryptographicHash::Sha1).toHex().left(16)));
#endif
}

#ifdef Q_OS_WIN
bool SingleInstance::otherRunning()
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
#else
bool SingleInstance::otherRunning()
{
    if (m_prevInstance)
        return *m_prevInstance;
    m_prevInstance = false;
    QDir().mkpath(m_directory);
    const QByteArray path = QFile::encodeName(lockPath());
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            // Something else in its place (a link, a folder): ours to clear.
            if (errno == ELOOP || errno == EISDIR)
                if (::unlink(path.constData()) == 0 || ::rmdir(path.constData()) == 0)
                    continue;
            // A lock that cannot be made at all (no such folder, no rights)
            // must not keep the program from starting.
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            m_prevInstance = errno == EWOULDBLOCK;
            return *m_prevInstance;
        }
        // Another start may have replaced the file between our open and our
        // lock: the lock counts only on the file that bears the name.
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::lstat(path.constData(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
            m_fd = fd;
            const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
            if (::ftruncate(fd, 0) == 0 && ::write(fd, pid.constData(), size_t(pid.size())) < 0)
                qCWarning(lcPlatform, "cannot write %s", path.constData());
            return false;
        }
        ::close(fd);
    }
    return false;
}
#endif

bool SingleInstance::wakeRunning(const QString& openPath)
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(500))
        return false;
    socket.write(openPath.isEmpty() ? QByteArray("show\n") : "open " + openPath.toUtf8() + '\n');
    const bool written = socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(500);
    return written;
}

void SingleInstance::listen(std::function<void(const QString& openPath)> wake)
{
    if (m_server)
        return;
    m_server = new QLocalServer(QCoreApplication::instance());
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is ours, so a socket left behind belongs to a dead run.
    QLocalServer::removeServer(serverName());
    if (!m_server->listen(serverName()))
        qCWarning(lcPlatform, "a later start cannot reach this one: %s", qUtf8Printable(m_server->errorString()));
    QObject::connect(m_server, &QLocalServer::newConnection, m_server, [server = m_server.data(), wake] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            // The request is read when the knocking start hangs up; one that
            // never does is dropped after a while.
            const auto finish = [socket, wake] {
                const QByteArray request = socket->readAll();
                socket->deleteLater();
                const QByteArray line = request.left(request.indexOf('\n'));
                wake(line.startsWith("open ") ? QString::fromUtf8(line.mid(5)) : QString());
            };
            if (socket->state() == QLocalSocket::UnconnectedState) {
                finish();
                continue;
            }
            QObject::connect(socket, &QLocalSocket::disconnected, socket, finish);
            QTimer::singleShot(5000, socket, [socket] { socket->abort(); });
        }
    });
}

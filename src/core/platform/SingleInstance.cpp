#include "core/platform/SingleInstance.h"

#include "core/frame/Log.h"
#include "core/platform/OwnFolder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <utility>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace
{
#ifndef Q_OS_WIN
// The account of the program at the other end of a local socket; -1 when the
// system does not say.
qint64 peerAccount(int fd)
{
#ifdef SO_PEERCRED
    struct ucred peer;
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0)
        return peer.uid;
#else
    uid_t uid;
    gid_t gid;
    if (::getpeereid(fd, &uid, &gid) == 0)
        return uid;
#endif
    return -1;
}

int connectTo(const QByteArray& name)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

enum class Lock
{
    Taken,
    Held, // by a running program
    None  // cannot be had here
};

// Takes the lock in folder, creating its file when create, or finds it held.
Lock lockIn(const QString& folder, bool create, int& taken)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QStringLiteral("tankometer.lock")));
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
        if (fd < 0) {
            // Something else in its place (a link, a folder): ours to clear.
            if (create && (errno == ELOOP || errno == EISDIR))
                if (::unlink(path.constData()) == 0 || ::rmdir(path.constData()) == 0)
                    continue;
            return Lock::None;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool held = errno == EWOULDBLOCK;
            ::close(fd);
            return held ? Lock::Held : Lock::None;
        }
        // Another start may have replaced the file between our open and our
        // lock: the lock counts only on the file that bears the name.
        struct stat locked, named;
        if (::fstat(fd, &locked) == 0 && ::lstat(path.constData(), &named) == 0 && locked.st_ino == named.st_ino &&
            locked.st_dev == named.st_dev) {
            taken = fd;
            return Lock::Taken;
        }
        ::close(fd);
    }
    return Lock::None;
}
#endif

bool fromThisAccount([[maybe_unused]] QLocalSocket& socket)
{
#ifdef Q_OS_WIN
    // A pipe made with UserAccessOption admits this account alone.
    return true;
#else
    const qint64 peer = peerAccount(int(socket.socketDescriptor()));
    if (peer != qint64(::geteuid()))
        qCWarning(lcPlatform, "a request from another account (%lld) was turned away", peer);
    return peer == qint64(::geteuid());
#endif
}
} // namespace

SingleInstance::SingleInstance(const QString& directory) : m_directory(directory) {}

SingleInstance::~SingleInstance()
{
    delete m_server.data();
#ifndef Q_OS_WIN
    for (const int fd : {m_fd, m_peer})
        if (fd >= 0)
            ::close(fd);
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
    // A socket's path has room for about a hundred bytes: beside a folder
    // deeper than that, one named after the folder in a folder of our own in
    // /tmp, whatever TMPDIR says.
    const QString beside = QDir(m_directory).filePath(QStringLiteral("tankometer.socket"));
    if (QFile::encodeName(beside).size() <= 100)
        return beside;
    return QDir(OwnFolder::first(OwnFolder::inTemp(QStringLiteral("/tmp"))))
        .filePath(QStringLiteral("tankometer-%1.socket")
                      .arg(QString::fromLatin1(
                          QCryptographicHash::hash(m_directory.toUtf8(), QCryptographicHash::Sha1).toHex().left(16))));
#endif
}

#ifdef Q_OS_WIN
bool SingleInstance::otherRunning()
{
    if (m_prevInstance)
        return *m_prevInstance;
    if (m_directory.isEmpty())
        m_directory = OwnFolder::candidates().value(0);
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

bool SingleInstance::wakeRunning(const QString& openPath)
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(500))
        return false;
    socket.write(request(openPath));
    const bool written = socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(500);
    return written;
}
#else
bool SingleInstance::otherRunning()
{
    if (m_prevInstance)
        return *m_prevInstance;
    m_prevInstance = false;
    const QStringList folders = m_directory.isEmpty() ? OwnFolder::candidates() : QStringList{m_directory};
    // The first folder of our own takes the lock; the later ones are only
    // looked into, for a run that found the first taken and went on.
    for (const QString& folder : folders) {
        const bool first = m_fd < 0;
        if (!(first ? OwnFolder::claim(folder) : OwnFolder::isOwn(folder)))
            continue;
        int fd = -1;
        const Lock lock = lockIn(folder, first, fd);
        if (lock == Lock::Held) {
            if (m_fd >= 0)
                ::close(std::exchange(m_fd, -1));
            m_directory = folder;
            m_prevInstance = reachRunning();
            return *m_prevInstance;
        }
        if (lock == Lock::Taken && first) {
            m_fd = fd;
            m_directory = folder;
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    if (m_fd < 0) {
        // A lock that cannot be made at all must not keep the program from starting.
        qCWarning(lcPlatform, "no folder of this account's own takes the lock (%s ...); this run stands alone",
                  qUtf8Printable(folders.join(QStringLiteral(", "))));
        return false;
    }
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(m_fd, 0) == 0 && ::write(m_fd, pid.constData(), size_t(pid.size())) < 0)
        qCWarning(lcPlatform, "cannot write %s", qUtf8Printable(lockPath()));
    return false;
}

bool SingleInstance::reachRunning()
{
    const QByteArray name = QFile::encodeName(serverName());
    // A run that has just taken the lock listens a moment later.
    for (int attempt = 0; attempt < 40; ++attempt, ::usleep(50000)) {
        const int fd = connectTo(name);
        if (fd < 0)
            continue;
        const qint64 peer = peerAccount(fd);
        if (peer == qint64(::geteuid())) {
            m_peer = fd;
            return true;
        }
        ::close(fd);
        qCWarning(lcPlatform, "%s is held, but another account (%lld) listens on %s; this run stands alone",
                  qUtf8Printable(lockPath()), peer, name.constData());
        return false;
    }
    qCWarning(lcPlatform, "%s is held, but no program answers on %s; this run stands alone", qUtf8Printable(lockPath()),
              name.constData());
    return false;
}

bool SingleInstance::wakeRunning(const QString& openPath)
{
    if (!otherRunning() || m_peer < 0)
        return false;
    const QByteArray message = request(openPath);
    const timeval wait{0, 500000};
    ::setsockopt(m_peer, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    qsizetype sent = 0;
    while (sent < message.size()) {
        const ssize_t n = ::send(m_peer, message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        sent += n;
    }
    // The running program reads the request when we hang up.
    ::close(std::exchange(m_peer, -1));
    return sent == message.size();
}
#endif

QByteArray SingleInstance::request(const QString& openPath)
{
    if (openPath.isEmpty())
        return QByteArrayLiteral("show\n");
    // Counted, not ended by a line break: a file name may hold any byte but "/" and NUL.
    const QByteArray name = QFile::encodeName(openPath);
    return "file " + QByteArray::number(name.size()) + '\n' + name;
}

std::optional<QString> SingleInstance::requestedPath(const QByteArray& request)
{
    if (request == "show\n")
        return QString();
    const qsizetype end = request.indexOf('\n');
    bool counted = false;
    const qint64 size = request.startsWith("file ") ? request.mid(5, end - 5).toLongLong(&counted) : 0;
    if (!counted || end < 0 || size <= 0 || request.size() - end - 1 != size)
        return std::nullopt;
    const QByteArray name = request.mid(end + 1);
    const QString path = QFile::decodeName(name);
    // Bytes that do not read back the same would name another file.
    if (QFile::encodeName(path) != name)
        return std::nullopt;
    return path;
}

void SingleInstance::listen(std::function<void(const QString& openPath)> wake)
{
    if (m_server)
        return;
#ifndef Q_OS_WIN
    // Only the run that holds the lock may clear a socket left behind.
    if (m_fd < 0)
        return;
#endif
    m_server = new QLocalServer(QCoreApplication::instance());
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is ours, so a socket left behind belongs to a dead run.
    QLocalServer::removeServer(serverName());
    if (!m_server->listen(serverName()))
        qCWarning(lcPlatform, "a later start cannot reach this one: %s", qUtf8Printable(m_server->errorString()));
    QObject::connect(m_server, &QLocalServer::newConnection, m_server, [server = m_server.data(), wake] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            if (!fromThisAccount(*socket)) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            // The request is read when the knocking start hangs up; one that
            // never does is dropped after a while.
            const auto finish = [socket, wake] {
                const std::optional<QString> path = requestedPath(socket->readAll());
                socket->deleteLater();
                if (path && path->isEmpty())
                    qCInfo(lcPlatform, "asked to come to the front");
                if (path)
                    wake(*path);
                else
                    qCWarning(lcPlatform, "a request that does not read whole was ignored");
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

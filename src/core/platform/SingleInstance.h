#pragma once

#include "core/frame/Platform.h"

#include <QLocalServer>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLockFile;

// One run of the program per account. The first run holds a lock on a file
// in a folder of the account's own (OwnFolder) and listens on a local socket
// beside it; a later start finds the lock held, knocks on the socket so that
// the running program comes to the front (asking "show", or "file" and the
// path of a data file the desktop asked it to open), and ends. The lock is
// the system's (flock): it goes with the process that held it, however that
// process ended, so what a dead run left in the file (its number, garbage,
// nothing) blocks no start.
//
// Nothing crosses to another account: each side asks the system who is at the
// other end of the socket (the peer's credentials), the later start before it
// says anything, the running program before it acts. A lock held by a program
// that cannot be reached so (none listens, or another account does) lets the
// start go on as a run of its own, and the log says why: two runs share the
// store safely, and a program that silently refuses to start would not.
class SingleInstance : public Platform::InstanceGuard
{
public:
    // directory holds the lock and the socket; empty means the first folder
    // of the account's own.
    explicit SingleInstance(const QString& directory = {});
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Whether another run of the program holds the lock and answers. Decided
    // at the first call, which takes the lock when it is free; needs no
    // application object.
    bool otherRunning() override;
    // Asks the running program to show itself, and hands it the file to
    // open; waits a moment at most.
    bool wakeRunning(const QString& openPath) override;
    // From now on a later start calls wake; only the run that holds the lock
    // listens. Needs a QCoreApplication.
    void listen(std::function<void(const QString& openPath)> wake) override;

    QString lockPath() const;
    QString serverName() const;

    // The request that asks for openPath (empty: to come to the front), and
    // back: nullopt for a request that cannot be read whole.
    static QByteArray request(const QString& openPath);
    static std::optional<QString> requestedPath(const QByteArray& request);

private:
    QString m_directory;
#ifdef Q_OS_WIN
    std::unique_ptr<QLockFile> m_lock;
#else
    bool reachRunning();
    int m_fd = -1;
    // The connection to the running program, its peer checked.
    int m_peer = -1;
#endif
    std::optional<bool> m_prevInstance;
    // Owned by the application object, so that it goes before it.
    QPointer<QLocalServer> m_server;
};

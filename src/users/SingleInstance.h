#pragma once

#include <QLocalServer>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLockFile;

// One run of the program per account. The first run holds a lock file in the
// account's runtime folder and listens on a local socket beside it; a later
// start finds the lock held, knocks on the socket so that the running program
// comes to the front, and ends. A lock left by a run that died is recognised
// by its process id and taken over.
class SingleInstance
{
public:
    // directory holds the lock and the socket; empty means the runtime folder.
    explicit SingleInstance(const QString& directory = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Whether another run of the program holds the lock. Decided at the first
    // call, which takes the lock when it is free; needs no application object.
    bool PrevInstance();
    // Asks the running program to show itself; waits a moment at most.
    // Needs a QCoreApplication.
    void wakeRunning();
    // From now on a later start calls wake. Needs a QCoreApplication.
    void listen(std::function<void()> wake);

    QString lockPath() const;
    QString serverName() const;

private:
    QString m_directory;
    std::unique_ptr<QLockFile> m_lock;
    std::optional<bool> m_prevInstance;
    // Owned by the application object, so that it goes before it.
    QPointer<QLocalServer> m_server;
};

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
// in the account's runtime folder and listens on a local socket beside it; a
// later start finds the lock held, knocks on the socket so that the running
// program comes to the front (saying "show", or "open" and the path of a data
// file the desktop asked it to open, a line of UTF-8), and ends. The lock is the system's (flock): it
// goes with the process that held it, however that process ended, so what a
// dead run left in the file (its number, garbage, nothing) blocks no start.
class SingleInstance : public Platform::InstanceGuard
{
public:
    // directory holds the lock and the socket; empty means the runtime folder.
    explicit SingleInstance(const QString& directory = {});
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Whether another run of the program holds the lock. Decided at the first
    // call, which takes the lock when it is free; needs no application object.
    bool otherRunning() override;
    // Asks the running program to show itself, and hands it the file to
    // open; waits a moment at most. Needs a QCoreApplication.
    bool wakeRunning(const QString& openPath) override;
    // From now on a later start calls wake. Needs a QCoreApplication.
    void listen(std::function<void(const QString& openPath)> wake) override;

    QString lockPath() const;
    QString serverName() const;

private:
    QString m_directory;
#ifdef Q_OS_WIN
    std::unique_ptr<QLockFile> m_lock;
#else
    int m_fd = -1;
#endif
    std::optional<bool> m_prevInstance;
    // Owned by the application object, so that it goes before it.
    QPointer<QLocalServer> m_server;
};

#pragma once

#include <QString>

#include <thread>

// A copy of the store at every start, made with SQLite's online backup so
// that it is consistent even while the program writes. The copies go into a
// "backups" folder beside the store; the newest ones are kept.
struct BackupResult
{
    bool ok = false;
    QString file;  // the copy made
    QString error; // why none was made
};

BackupResult BackupStore(const QString& storePath, int keep = 10);

// The start-up copy, made beside the user's first steps so that a large store
// does not delay the first window. Waits for the copy when destroyed.
class StartupBackup
{
public:
    explicit StartupBackup(const QString& storePath, int keep = 10);
    ~StartupBackup();
    StartupBackup(const StartupBackup&) = delete;
    StartupBackup& operator=(const StartupBackup&) = delete;

private:
    std::thread m_worker;
};

#pragma once

#include <QString>

#include <functional>
#include <thread>

// Copies of the store in a "backups" folder beside it, made with SQLite's
// online backup so that a copy is consistent even while another program
// writes. A copy is made only when the data changed since the newest one;
// which copies are the newest is decided by the order they were made in
// (a number in the name), never by the clock.
struct BackupResult
{
    enum Outcome
    {
        Made,
        Unchanged, // the newest copy holds the data as it is
        Failed
    };
    Outcome outcome = Failed;
    QString file;   // the copy made
    QString folder; // where the copies go
    QString error;  // why none was made, with the system's reason
};

BackupResult BackupStore(const QString& storePath, int keep = 10);

// The start-up copy, made beside the user's first steps so that a large store
// does not delay the first window. A failure is logged (tanko.backup) and
// handed to failed on the thread of the application object; the program
// goes on. Waits for the copy when destroyed.
class StartupBackup
{
public:
    using Failed = std::function<void(const BackupResult& result)>;
    StartupBackup(const QString& storePath, Failed failed, int keep = 10);
    ~StartupBackup();
    StartupBackup(const StartupBackup&) = delete;
    StartupBackup& operator=(const StartupBackup&) = delete;

private:
    std::thread m_worker;
};

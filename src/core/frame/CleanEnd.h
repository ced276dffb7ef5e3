#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT end the program as its own Exit does, not where
// the signal finds it: main runs to its end, the store closes, SQLite moves
// its journal (-wal) into the data file, and the file alone holds every
// fill-up. A signal that was ignored when the program started (nohup) stays
// ignored.
namespace CleanEnd
{
class Signals
{
public:
    // Catches the three signals until destroyed. The handler only notes the
    // signal and writes a byte to a pipe, all that a handler may do. With
    // endEventLoops, the application's event loops then end, exit status
    // 128 + the signal; without, the program asks received() between steps.
    explicit Signals(bool endEventLoops);
    ~Signals();
    Signals(const Signals&) = delete;
    Signals& operator=(const Signals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// The signal that asked the program to end; 0 while none did.
int received();
// "SIGTERM"
QString signalName(int signal);
// A line typed on stdin, without its line break; nullopt when one of the
// signals came first.
std::optional<QByteArray> readLine();
// Moves what the journal holds into the data file, through a connection of
// its own: for a program that the session may end by force.
bool checkpoint(const QString& storePath);
} // namespace CleanEnd

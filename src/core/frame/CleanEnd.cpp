#include "core/frame/CleanEnd.h"

#include "core/frame/Log.h"
#include "core/frame/Sqlite.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace CleanEnd
{
namespace
{
volatile std::sig_atomic_t g_received = 0;
#ifndef Q_OS_WIN
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};

extern "C" void noteSignal(int signal)
{
    const int saved = errno;
    if (g_received == 0)
        g_received = signal;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void drain()
{
    char bytes[64];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
}
#endif
} // namespace

#ifdef Q_OS_WIN
Signals::Signals(bool) {}
Signals::~Signals() = default;
#else
Signals::Signals(bool endEventLoops)
{
    if (g_pipe[0] < 0 && ::pipe(g_pipe) != 0) {
        qCWarning(lcPlatform, "cannot catch the signals that end the program: %s", std::strerror(errno));
        return;
    }
    for (const int fd : g_pipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    for (const int signal : kSignals) {
        struct sigaction action = {};
        if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_IGN)
            continue;
        action.sa_handler = noteSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(signal, &action, nullptr);
    }
    if (!endEventLoops || !QCoreApplication::instance())
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [] {
        drain();
        qCInfo(lcPlatform, "%s: ending", qUtf8Printable(signalName(g_received)));
        // exit, not quit: no window may refuse, and a dialog's own loop ends too.
        QCoreApplication::exit(128 + g_received);
    });
}

Signals::~Signals()
{
    m_notifier.reset();
    for (const int signal : kSignals) {
        struct sigaction action = {};
        if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler == noteSignal)
            std::signal(signal, SIG_DFL);
    }
}
#endif

int received()
{
    return g_received;
}

QString signalName(int signal)
{
    switch (signal) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
#ifndef Q_OS_WIN
    case SIGHUP:
        return QStringLiteral("SIGHUP");
#endif
    }
    return QStringLiteral("signal %1").arg(signal);
}

std::optional<QByteArray> readLine()
{
    QByteArray line;
#ifdef Q_OS_WIN
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar())
        line += char(c);
#else
    pollfd watched[] = {{STDIN_FILENO, POLLIN, 0}, {g_pipe[0], POLLIN, 0}};
    while (g_received == 0) {
        if (::poll(watched, g_pipe[0] < 0 ? 1 : 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        char c = 0;
        if (watched[1].revents != 0 || (watched[0].revents != 0 && ::read(STDIN_FILENO, &c, 1) != 1) || c == '\n')
            break;
        line += c;
    }
#endif
    if (g_received != 0)
        return std::nullopt;
    return line;
}

bool checkpoint(const QString& storePath)
{
    Sqlite::Database db;
    if (!db.open(storePath, SQLITE_OPEN_READWRITE, 1000) || !db.exec("PRAGMA wal_checkpoint(TRUNCATE)")) {
        qCWarning(lcStore, "%s: the journal stays beside it: %s", qUtf8Printable(storePath),
                  qUtf8Printable(db.error()));
        return false;
    }
    return true;
}
} // namespace CleanEnd

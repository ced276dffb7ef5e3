#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Every service of the system the program uses without a window, each behind
// a small interface. Start-up gathers the real ones (core/platform); a test
// builds doubles that record what was asked and answer. The services that
// show something over a window are the GUI's (gui/platform).
namespace Platform
{
class Launcher
{
public:
    virtual ~Launcher() = default;
    // Starts a program in its own window; false when it could not be started.
    virtual bool start(const QString& program) = 0;
    // The calculator programs to start, in order.
    virtual QStringList calculatorPaths() = 0;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() = 0;
    QDate today() { return now().date(); }
};

// Value types, numbered as the Windows registry numbers them.
enum RegistryType : quint32
{
    RegNone = 0,
    RegSz = 1,
    RegBinary = 3,
    RegDword = 4
};

struct RegistryValue
{
    quint32 type = RegNone;
    QString text;       // RegSz, exactly as stored (a terminating NUL included, if any)
    quint32 number = 0; // RegDword
};

// Typed values under a root key: the Windows registry, or its stand-in.
class Registry
{
public:
    virtual ~Registry() = default;
    // Type and data of a value; nothing when the key or the value is missing
    // or cannot be read. An empty name is the key's default value.
    virtual std::optional<RegistryValue> query(quint32 root, const QString& keyPath, const QString& valueName) = 0;
    // Creates the key when it is missing. False when the write failed.
    virtual bool setString(quint32 root, const QString& keyPath, const QString& valueName, const QString& text) = 0;
    virtual bool setDword(quint32 root, const QString& keyPath, const QString& valueName, quint32 number) = 0;
};

// The shell's notice that file associations changed.
class ShellNotifier
{
public:
    virtual ~ShellNotifier() = default;
    virtual void changeNotify(qint32 eventId, quint32 flags) = 0;
};

class ProgramLocation
{
public:
    virtual ~ProgramLocation() = default;
    // The folder that holds the running program, as the platform writes it.
    virtual QString folder() = 0;
    // The program's file name without its extension.
    virtual QString exeName() = 0;
    // The full path that starts the program on this machine.
    virtual QString filePath() = 0;
};

// One running program per account.
class InstanceGuard
{
public:
    virtual ~InstanceGuard() = default;
    // Whether another run of the program holds the account. Decided at the
    // first call, which claims the account when it is free.
    virtual bool otherRunning() = 0;
    // Asks the running program to come to the front and, when openPath is
    // not empty, to offer that data file for import; waits a moment at most.
    // False when the running program could not be reached.
    virtual bool wakeRunning(const QString& openPath) = 0;
    // From now on a later start calls wake, with the file it was asked to
    // open (empty for none).
    virtual void listen(std::function<void(const QString& openPath)> wake) = 0;
};

struct SystemServices
{
    Clock* clock = nullptr;
    Launcher* launcher = nullptr;
    Registry* registry = nullptr;
    ShellNotifier* shell = nullptr;
    ProgramLocation* program = nullptr;
    InstanceGuard* instance = nullptr;
};
} // namespace Platform

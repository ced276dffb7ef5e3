#pragma once

#include "core/frame/LocaleInfo.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QObject;
// Windows are opaque here: a service that shows something over a window gets
// it as its owner and nothing more.
class QWidget;

// Every service of the desktop the program uses, each behind a small
// interface, all reached through one struct. The program installs the real
// ones at start (core/platform, gui/platform); a test installs doubles that
// record what was asked and answer, so that no test blocks on a modal box.
namespace Platform
{
// Message box styles: an OK button with a critical, exclamation or
// information icon.
enum MessageStyle
{
    Critical = 16,
    Exclamation = 48,
    Information = 64
};

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // The text is shown as plain text, whatever it holds.
    virtual void show(QWidget* owner, const QString& text, int style, const QString& title) = 0;
    // A question: one button per text, the first the default. The index of
    // the button pressed, -1 when the box was closed without one.
    virtual int ask(QWidget* owner, const QString& text, const QStringList& buttons, int style,
                    const QString& title) = 0;
};

// The desktop's file dialog, driven the way the common dialog of the original
// program is: a title, a "description|pattern" filter, flag bits and an
// initial file name.
class FileDialogs
{
public:
    enum Flag
    {
        OverwritePrompt = 0x2,
        HideReadOnly = 0x4,
        PathMustExist = 0x800,
        FileMustExist = 0x1000,
        Explorer = 0x80000,
        LongNames = 0x200000,
    };

    struct Request
    {
        QString title;
        QString filter;      // "Tanko files (*.tnk)|*.tnk": description and pattern pairs
        int filterIndex = 1; // 1 is the first pair
        int flags = 0;
        QString fileName;   // initial file; empty for none
        QString defaultExt; // ".tnk", added to a name typed without extension
        bool save = false;  // the save dialog rather than the open one
    };

    struct Answer
    {
        enum Outcome
        {
            Chosen,
            Cancelled,
            Failed
        };
        Outcome outcome = Cancelled;
        QString fileName; // full path of the chosen file
    };

    virtual ~FileDialogs() = default;
    virtual Answer show(QWidget* owner, const Request& request) = 0;
};

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

// Where the changed name of a control goes for a screen reader: the control
// takes it, and the reader is told once.
class Announcer
{
public:
    virtual ~Announcer() = default;
    virtual void rename(QObject* control, const QString& name) = 0;
};

struct Services
{
    MessageBoxes* messages = nullptr;
    FileDialogs* files = nullptr;
    Launcher* launcher = nullptr;
    Clock* clock = nullptr;
    Registry* registry = nullptr;
    ShellNotifier* shell = nullptr;
    ProgramLocation* program = nullptr;
    InstanceGuard* instance = nullptr;
    Announcer* announcer = nullptr;
    // The user's number and date notation; the system's unless a test chose another.
    LocaleInfo locale;
};

// The services in use.
Services& services();
} // namespace Platform

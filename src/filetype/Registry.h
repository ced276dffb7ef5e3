#pragma once

#include <QString>

#include <optional>

// The desktop services behind the data-file type: a registry of typed values
// under a root key, the shell's notice that file associations changed, and
// where the running program lives. Windows has the real registry and shell;
// elsewhere a classes store in tanko.db and the freedesktop files stand in.
namespace FileType
{
// Value types, numbered as the registry numbers them.
enum ValueType : quint32
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

struct Services
{
    Registry* registry = nullptr;
    ShellNotifier* shell = nullptr;
    ProgramLocation* program = nullptr;
};

// The services in use: the real ones unless a test installed its own.
Services& services();
} // namespace FileType

#pragma once

#include "filetype/Registry.h"

// The registry and shell of Windows. The classes root is reached through the
// account's own Software\Classes, which is what HKEY_CLASSES_ROOT shows to a
// user without administrator rights and where such a user may write.
class WinRegistry : public FileType::Registry
{
public:
    std::optional<FileType::RegistryValue> query(quint32 root, const QString& keyPath,
                                                 const QString& valueName) override;
    bool setString(quint32 root, const QString& keyPath, const QString& valueName, const QString& text) override;
    bool setDword(quint32 root, const QString& keyPath, const QString& valueName, quint32 number) override;
};

class WinShell : public FileType::ShellNotifier
{
public:
    void changeNotify(qint32 eventId, quint32 flags) override;
};

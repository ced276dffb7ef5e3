#pragma once

#include "filetype/Registry.h"

// The registry and shell of Windows as the program's services: a thin layer
// that turns the program's texts into the platform's wide strings and back,
// over filetype/win32/WinRegistry.h. Built everywhere, linked on Windows.
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

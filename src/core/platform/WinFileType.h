#pragma once

#include "core/frame/Platform.h"

// The registry and shell of Windows as the program's services: a thin layer
// that turns the program's texts into the platform's wide strings and back,
// over win32/WinRegistry.h. Built everywhere, linked on Windows.
class WinRegistry : public Platform::Registry
{
public:
    std::optional<Platform::RegistryValue> query(quint32 root, const QString& keyPath,
                                                 const QString& valueName) override;
    bool setString(quint32 root, const QString& keyPath, const QString& valueName, const QString& text) override;
    bool setDword(quint32 root, const QString& keyPath, const QString& valueName, quint32 number) override;
};

class WinShell : public Platform::ShellNotifier
{
public:
    void changeNotify(qint32 eventId, quint32 flags) override;
};

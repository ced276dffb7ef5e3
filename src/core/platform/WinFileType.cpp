#include "core/platform/WinFileType.h"

#include "core/platform/win32/WinRegistry.h"

std::optional<Platform::RegistryValue> WinRegistry::query(quint32 root, const QString& keyPath,
                                                          const QString& valueName)
{
    const std::optional<WinNative::RegValue> native =
        WinNative::queryValue(root, keyPath.toStdWString(), valueName.toStdWString());
    if (!native)
        return std::nullopt;
    Platform::RegistryValue value;
    value.type = native->type;
    value.text = QString::fromStdWString(native->text);
    value.number = native->number;
    return value;
}

bool WinRegistry::setString(quint32 root, const QString& keyPath, const QString& valueName, const QString& text)
{
    return WinNative::setStringValue(root, keyPath.toStdWString(), valueName.toStdWString(), text.toStdWString());
}

bool WinRegistry::setDword(quint32 root, const QString& keyPath, const QString& valueName, quint32 number)
{
    return WinNative::setDwordValue(root, keyPath.toStdWString(), valueName.toStdWString(), number);
}

void WinShell::changeNotify(qint32 eventId, quint32 flags)
{
    WinNative::changeNotify(eventId, flags);
}

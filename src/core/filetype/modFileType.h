#pragma once

#include "core/frame/Platform.h"

#include <QString>

// The ".tnk" data-file type: its class, description, icon and open command,
// declared under the classes root once per account. None of these routines
// reports an error; a failed write is simply tried again at the next start.
namespace modFileType
{
// HKEY_CLASSES_ROOT, SHCNE_ASSOCCHANGED and SHCNF_IDLIST, named so as not to
// meet the macros of <windows.h>.
constexpr quint32 ClassesRoot = 0x80000000u;
constexpr qint32 AssocChanged = 0x08000000;
constexpr quint32 IdList = 0;

// The text of a string value; a null QString (equal to "") when the key or
// the value is missing or the value is not a string.
QString ReadRegString(Platform::Registry& registry, quint32 hKey, const QString& strPath, const QString& strValue);
void WriteRegString(Platform::Registry& registry, quint32 hKey, const QString& strPath, const QString& strValue,
                    const QString& strData);
void WriteRegDword(Platform::Registry& registry, quint32 hKey, const QString& strPath, const QString& strValue,
                   quint32 lData);
} // namespace modFileType

// Declares the type unless "Content Type" of ".tnk" already holds a text, then
// tells the shell. Called when the user window loads and before import/export.
void RegisterDataFileType(const Platform::SystemServices& services);

#pragma once

#include <QString>

// The ".tnk" data-file type: its class, description, icon and open command,
// declared under the classes root once per account. None of these routines
// reports an error; a failed write is simply tried again at the next start.
namespace modFileType
{
constexpr quint32 HKEY_CLASSES_ROOT = 0x80000000u;
constexpr qint32 SHCNE_ASSOCCHANGED = 0x08000000;
constexpr quint32 SHCNF_IDLIST = 0;

// The text of a string value; a null QString (equal to "") when the key or
// the value is missing or the value is not a string.
QString ReadRegString(quint32 hKey, const QString& strPath, const QString& strValue);
void WriteRegString(quint32 hKey, const QString& strPath, const QString& strValue, const QString& strData);
void WriteRegDword(quint32 hKey, const QString& strPath, const QString& strValue, quint32 lData);
} // namespace modFileType

// Declares the type unless "Content Type" of ".tnk" already holds a text, then
// tells the shell. Called when the user window loads and before import/export.
void RegisterDataFileType();

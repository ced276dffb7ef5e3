#include "filetype/modFileType.h"

#include "filetype/Registry.h"

namespace modFileType
{
QString ReadRegString(quint32 hKey, const QString& strPath, const QString& strValue)
{
    const std::optional<FileType::RegistryValue> value = FileType::services().registry->query(hKey, strPath, strValue);
    if (!value || value->type != FileType::RegSz)
        return QString();
    // A string written by another program may carry its terminating NUL.
    const qsizetype nul = value->text.indexOf(QChar(u'\0'));
    return nul < 0 ? value->text : value->text.left(nul);
}

void WriteRegString(quint32 hKey, const QString& strPath, const QString& strValue, const QString& strData)
{
    FileType::services().registry->setString(hKey, strPath, strValue, strData);
}

void WriteRegDword(quint32 hKey, const QString& strPath, const QString& strValue, quint32 lData)
{
    FileType::services().registry->setDword(hKey, strPath, strValue, lData);
}
} // namespace modFileType

void RegisterDataFileType()
{
    using namespace modFileType;
    if (!ReadRegString(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QStringLiteral("Content Type")).isEmpty())
        return;

    FileType::ProgramLocation& program = *FileType::services().program;
    WriteRegString(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QString(), QStringLiteral("Tanko File"));
    WriteRegString(HKEY_CLASSES_ROOT, QStringLiteral(".tnk"), QStringLiteral("Content Type"), QStringLiteral("Data"));
    WriteRegString(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File"), QString(), QStringLiteral("Tanko saved Data"));
    WriteRegDword(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File"), QStringLiteral("EditFlags"), 0);
    // One separator whatever the folder ends with: at a drive's root it doubles.
    WriteRegString(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File\\DefaultIcon"), QString(),
                   program.folder() + u'\\' + program.exeName() + QStringLiteral(".exe,0"));
    WriteRegString(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File\\Shell"), QString(), QString());
    WriteRegString(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File\\Shell\\Open"), QString(), QString());
    // Both quoted: unquoted, a folder with a blank would start its first word.
    WriteRegString(HKEY_CLASSES_ROOT, QStringLiteral("Tanko File\\Shell\\Open\\Command"), QString(),
                   u'"' + program.folder() + u'\\' + program.exeName() + QStringLiteral(".exe\" \"%1\""));
    FileType::services().shell->changeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST);
}

#include "core/filetype/modFileType.h"

#include "core/frame/Log.h"

namespace modFileType
{
QString ReadRegString(Platform::Registry& registry, quint32 hKey, const QString& strPath, const QString& strValue)
{
    const std::optional<Platform::RegistryValue> value = registry.query(hKey, strPath, strValue);
    if (!value || value->type != Platform::RegSz)
        return QString();
    // A string written by another program may carry its terminating NUL.
    const qsizetype nul = value->text.indexOf(QChar(u'\0'));
    return nul < 0 ? value->text : value->text.left(nul);
}

// A failed write is not reported: the declaration is simply made again at
// the next start, as long as its marker is missing.
void WriteRegString(Platform::Registry& registry, quint32 hKey, const QString& strPath, const QString& strValue,
                    const QString& strData)
{
    if (!registry.setString(hKey, strPath, strValue, strData))
        qCWarning(lcFileType, "cannot write %s\\%s", qUtf8Printable(strPath), qUtf8Printable(strValue));
}

void WriteRegDword(Platform::Registry& registry, quint32 hKey, const QString& strPath, const QString& strValue,
                   quint32 lData)
{
    if (!registry.setDword(hKey, strPath, strValue, lData))
        qCWarning(lcFileType, "cannot write %s\\%s", qUtf8Printable(strPath), qUtf8Printable(strValue));
}
} // namespace modFileType

void RegisterDataFileType(const Platform::SystemServices& services)
{
    using namespace modFileType;
    Platform::Registry& r = *services.registry;
    if (!ReadRegString(r, ClassesRoot, QStringLiteral(".tnk"), QStringLiteral("Content Type")).isEmpty())
        return;

    Platform::ProgramLocation& program = *services.program;
    WriteRegString(r, ClassesRoot, QStringLiteral(".tnk"), QString(), QStringLiteral("Tanko File"));
    WriteRegString(r, ClassesRoot, QStringLiteral(".tnk"), QStringLiteral("Content Type"), QStringLiteral("Data"));
    WriteRegString(r, ClassesRoot, QStringLiteral("Tanko File"), QString(), QStringLiteral("Tanko saved Data"));
    WriteRegDword(r, ClassesRoot, QStringLiteral("Tanko File"), QStringLiteral("EditFlags"), 0);
    // One separator whatever the folder ends with: at a drive's root it doubles.
    WriteRegString(r, ClassesRoot, QStringLiteral("Tanko File\\DefaultIcon"), QString(),
                   program.folder() + u'\\' + program.exeName() + QStringLiteral(".exe,0"));
    WriteRegString(r, ClassesRoot, QStringLiteral("Tanko File\\Shell"), QString(), QString());
    WriteRegString(r, ClassesRoot, QStringLiteral("Tanko File\\Shell\\Open"), QString(), QString());
    // Both quoted: unquoted, a folder with a blank would start its first word.
    WriteRegString(r, ClassesRoot, QStringLiteral("Tanko File\\Shell\\Open\\Command"), QString(),
                   u'"' + program.folder() + u'\\' + program.exeName() + QStringLiteral(".exe\" \"%1\""));
    services.shell->changeNotify(AssocChanged, IdList);
}

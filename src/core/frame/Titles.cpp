#include "core/frame/Titles.h"

#include "core/frame/Conversions.h"

#include "Version.h"

QString ProgramVersion()
{
    return LocaleText(Version::Major) + u'.' + LocaleText(Version::Minor) + u'.' + LocaleText(Version::Revision);
}

QString UserWindowTitle(const QString& user)
{
    return QStringLiteral("Tankometer - ") + user + QStringLiteral(" - v") + ProgramVersion();
}

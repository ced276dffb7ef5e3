#include "core/frame/Titles.h"

#include "Version.h"

// Whole numbers read the same in every notation.
QString ProgramVersion()
{
    return QString::number(Version::Major) + u'.' + QString::number(Version::Minor) + u'.' +
           QString::number(Version::Revision);
}

QString UserWindowTitle(const QString& user)
{
    return QStringLiteral("Tankometer - ") + user + QStringLiteral(" - v") + ProgramVersion();
}

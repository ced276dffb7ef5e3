#include "core/frame/Titles.h"

#include "Version.h"
#include "core/frame/Speech.h"

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

QString LicenceNotice(const Speech& speech)
{
    return speech.text(Text::AboutVersion).arg(ProgramVersion()) + u'\n' +
           speech.text(Text::AboutLicence).arg(QLatin1StringView(Version::License)) + u'\n' +
           speech.text(Text::AboutSource).arg(QLatin1StringView(Version::SourceLocation));
}

QString VersionText()
{
    return QStringLiteral("tankometer ") + ProgramVersion() + u'\n' + QLatin1StringView(Version::LicenseLine) +
           QStringLiteral("\nThis is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\nSource code: ") +
           QLatin1StringView(Version::SourceLocation) + u'\n';
}

#include "core/platform/FreedesktopShell.h"

#include "core/filetype/modFileType.h"
#include "core/frame/Files.h"
#include "core/frame/Log.h"
#include "core/frame/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace
{
// The declaration is made again at the next start while its marker is
// missing, so a failure is only logged; the old file stays whole.
void writeFile(const QString& path, const QByteArray& content)
{
    if (const QString problem = Files::write(path, content); !problem.isEmpty())
        qCWarning(lcFileType, "%s", qUtf8Printable(problem));
}

QByteArray programIconData()
{
    ensureCoreResources();
    QFile icon(QStringLiteral(":/icons/tankometer.svg"));
    return icon.open(QIODevice::ReadOnly) ? icon.readAll() : QByteArray();
}

QString runningProgram()
{
    return QCoreApplication::applicationFilePath();
}

void startDetached(const QString& program, const QStringList& arguments)
{
    QProcess::startDetached(program, arguments);
}
} // namespace

FreedesktopShell::FreedesktopShell(std::function<QString()> programPath, Runner runner)
    : m_programPath(programPath ? std::move(programPath) : runningProgram),
      m_runner(runner ? std::move(runner) : startDetached)
{
}

QString FreedesktopShell::dataHome()
{
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    const QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        return QDir::cleanPath(home);
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString FreedesktopShell::execArgument(const QString& argument)
{
    // Two layers: the quoting of Exec, then the escapes of any string value,
    // which is why a backslash in the path ends up as four.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    quoted += u'"';
    QString escaped;
    for (const QChar c : quoted) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

void FreedesktopShell::changeNotify(qint32 eventId, quint32 flags)
{
    Q_UNUSED(flags);
    if (eventId != modFileType::AssocChanged)
        return;
    const QString home = dataHome();
    const QString mime = QString::fromLatin1(MimeType);
    const QString iconName = QString(mime).replace(u'/', u'-');

    writeFile(home + QStringLiteral("/mime/packages/") + QString::fromLatin1(MimeFile),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
              "  <mime-type type=\"" +
                  mime.toUtf8() +
                  "\">\n"
                  "    <comment>Tanko saved Data</comment>\n"
                  "    <icon name=\"" +
                  iconName.toUtf8() +
                  "\"/>\n"
                  "    <glob pattern=\"*.tnk\"/>\n"
                  "  </mime-type>\n"
                  "</mime-info>\n");

    // NoDisplay: the entry only opens data files; it is no second menu item.
    writeFile(home + QStringLiteral("/applications/") + QString::fromLatin1(DesktopFile),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Version=1.0\n"
              "Name=Tankometer\n"
              "Exec=" +
                  execArgument(m_programPath()).toUtf8() +
                  " %f\n"
                  "Icon=tankometer\n"
                  "MimeType=" +
                  mime.toUtf8() +
                  ";\n"
                  "NoDisplay=true\n"
                  "Terminal=false\n");

    const QByteArray icon = programIconData();
    if (!icon.isEmpty()) {
        writeFile(home + QStringLiteral("/icons/hicolor/scalable/apps/tankometer.svg"), icon);
        writeFile(home + QStringLiteral("/icons/hicolor/scalable/mimetypes/") + iconName + QStringLiteral(".svg"),
                  icon);
    }

    const QString updateMime = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (!updateMime.isEmpty())
        m_runner(updateMime, {home + QStringLiteral("/mime")});
    const QString updateDesktop = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!updateDesktop.isEmpty())
        m_runner(updateDesktop, {home + QStringLiteral("/applications")});
}

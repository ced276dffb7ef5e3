#include "core/platform/FreedesktopShell.h"

#include "core/filetype/modFileType.h"
#include "core/frame/Files.h"
#include "core/frame/Log.h"
#include "core/frame/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// XDG_DATA_DIRS, absolute folders only, or the XDG Base Directory default.
QStringList dataDirs()
{
    QStringList dirs;
    for (const QString& dir : qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(dir))
            dirs << QDir::cleanPath(dir);
    return dirs.isEmpty() ? QStringList{QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")} : dirs;
}

// The program an installed desktop entry starts: the first word of its Exec
// key. Ours names a bare program; a quoted one matches no file, so that a
// stranger's entry never counts as the installation.
QString execProgram(const QString& entryPath)
{
    bool inEntry = false;
    for (const QByteArray& line : contentOf(entryPath).split('\n')) {
        if (line.startsWith('['))
            inEntry = line.trimmed() == "[Desktop Entry]";
        else if (inEntry && line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5)).section(u' ', 0, 0, QString::SectionSkipEmpty);
    }
    return {};
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

std::vector<FreedesktopShell::AccountFile> FreedesktopShell::accountFiles() const
{
    const QString home = dataHome();
    const QString mime = QString::fromLatin1(MimeType);
    const QString iconName = QString(mime).replace(u'/', u'-');
    std::vector<AccountFile> files;
    files.push_back({home + QStringLiteral("/mime/packages/") + QString::fromLatin1(MimeFile),
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
                         "</mime-info>\n"});

    // NoDisplay: the entry only opens data files; it is no second menu item.
    files.push_back({home + QStringLiteral("/applications/") + QString::fromLatin1(DesktopFile),
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
                         "Terminal=false\n"});

    const QByteArray icon = programIconData();
    if (!icon.isEmpty()) {
        files.push_back({home + QStringLiteral("/icons/hicolor/scalable/apps/tankometer.svg"), icon});
        files.push_back(
            {home + QStringLiteral("/icons/hicolor/scalable/mimetypes/") + iconName + QStringLiteral(".svg"), icon});
    }
    return files;
}

void FreedesktopShell::refreshCaches(const QString& home)
{
    const QString updateMime = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (!updateMime.isEmpty())
        m_runner(updateMime, {home + QStringLiteral("/mime")});
    const QString updateDesktop = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!updateDesktop.isEmpty())
        m_runner(updateDesktop, {home + QStringLiteral("/applications")});
}

void FreedesktopShell::changeNotify(qint32 eventId, quint32 flags)
{
    Q_UNUSED(flags);
    if (eventId != modFileType::AssocChanged)
        return;
    // The installation declares the type; the start removed the account's copies.
    if (installed())
        return;
    for (const AccountFile& file : accountFiles())
        writeFile(file.path, file.content);
    refreshCaches(dataHome());
}

void FreedesktopShell::removeAccountCopiesIfInstalled()
{
    if (!installed())
        return;
    bool removed = false;
    // Only a file exactly as this program writes it: one the user changed is theirs.
    for (const AccountFile& file : accountFiles()) {
        if (QFileInfo(file.path).size() != file.content.size() || contentOf(file.path) != file.content)
            continue;
        if (QFile::remove(file.path))
            removed = true;
        else
            qCWarning(lcFileType, "cannot remove %s", qUtf8Printable(file.path));
    }
    if (removed)
        refreshCaches(dataHome());
}

bool FreedesktopShell::installed() const
{
    const QString program = QFileInfo(m_programPath()).canonicalFilePath();
    if (program.isEmpty())
        return false;
    for (const QString& dir : dataDirs()) {
        if (!QFileInfo::exists(dir + QStringLiteral("/mime/packages/") + QString::fromLatin1(InstalledMimeFile)))
            continue;
        const QString exec =
            execProgram(dir + QStringLiteral("/applications/") + QString::fromLatin1(InstalledDesktopFile));
        if (exec.isEmpty())
            continue;
        // A bare name is the program installed with that data folder: PREFIX/bin beside PREFIX/share.
        const QString path = QDir::isAbsolutePath(exec) ? exec : dir + QStringLiteral("/../bin/") + exec;
        if (QFileInfo(path).canonicalFilePath() == program)
            return true;
    }
    return false;
}

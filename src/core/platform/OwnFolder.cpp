#include "core/platform/OwnFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace OwnFolder
{
#ifdef Q_OS_WIN
// The account's profile holds the folder: no other account reaches it.
bool isOwn(const QString& path)
{
    return QFileInfo(path).isDir();
}

QStringList inTemp(const QString& base)
{
    return {base};
}

QStringList candidates()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return {dir.isEmpty() ? QDir::tempPath() : dir};
}

bool claim(const QString& path)
{
    return QDir().mkpath(path);
}
#else
bool isOwn(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

QStringList inTemp(const QString& base)
{
    const QString own = QDir(base).filePath(QStringLiteral("tankometer-%1").arg(::geteuid()));
    QStringList folders{own};
    for (int n = 1; n <= 7; ++n)
        folders << own + QStringLiteral("-%1").arg(n);
    return folders;
}

QStringList candidates()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return (!runtime.isEmpty() && isOwn(runtime) ? QStringList{runtime} : QStringList()) + inTemp(QDir::tempPath());
}

bool claim(const QString& path)
{
    // mkdir never follows a link in the name's place, and fails on anything there.
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
        return false;
    return isOwn(path);
}
#endif

QString first(const QStringList& folders)
{
    for (const QString& folder : folders)
        if (claim(folder))
            return folder;
    return {};
}
} // namespace OwnFolder

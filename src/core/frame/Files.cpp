#include "core/frame/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
QString systemReason(const QString& what, const QString& path)
{
    return QStringLiteral("%1 %2: %3")
        .arg(what, QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno)));
}
} // namespace

namespace Files
{
QString makeFolder(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return {};
    if (info.exists() || info.isSymLink())
        return QStringLiteral("%1 is not a folder").arg(QDir::toNativeSeparators(path));
    if (const QString parent = info.absolutePath(); parent != info.absoluteFilePath())
        if (const QString problem = makeFolder(parent); !problem.isEmpty())
            return problem;
#ifdef Q_OS_WIN
    if (QDir().mkdir(path))
        return {};
    return QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(path));
#else
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || errno == EEXIST)
        return {};
    return systemReason(QStringLiteral("cannot create the folder"), path);
#endif
}

QString replace(const QString& from, const QString& to)
{
#ifdef Q_OS_WIN
    // One call that replaces the old file, so that there is never a moment
    // without one.
    const QString source = QDir::toNativeSeparators(from);
    const QString target = QDir::toNativeSeparators(to);
    if (::MoveFileExW(reinterpret_cast<const wchar_t*>(source.utf16()),
                      reinterpret_cast<const wchar_t*>(target.utf16()),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    return QStringLiteral("cannot move %1 into place (Windows error %2)").arg(target).arg(::GetLastError());
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return {};
    return systemReason(QStringLiteral("cannot move into place"), to);
#endif
}

QString write(const QString& path, const QByteArray& content)
{
    if (const QString problem = makeFolder(QFileInfo(path).absolutePath()); !problem.isEmpty())
        return problem;
    const QString part = path + QStringLiteral(".part");
    QFile file(part);
    QString problem;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        problem = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(part), file.errorString());
    else if (file.write(content) != content.size() || !file.flush())
        problem = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(part), file.errorString());
#ifdef Q_OS_WIN
    else if (::_commit(file.handle()) != 0)
#else
    else if (::fsync(file.handle()) != 0)
#endif
        problem = systemReason(QStringLiteral("cannot write"), part);
    file.close();
    if (problem.isEmpty())
        problem = replace(part, path);
    if (!problem.isEmpty())
        QFile::remove(part);
    return problem;
}
} // namespace Files

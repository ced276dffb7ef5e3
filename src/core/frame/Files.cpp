#include "core/frame/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

// May the user replace this existing file, and keep it as it was (its owner,
// what it is)?
Files::Target::Refusal writable(const QString& file, QString& reason)
{
    QFile existing(file);
    if (existing.open(QIODevice::ReadOnly)) {
        // An SQLite database of any program, the store and its copies among them.
        if (existing.read(16) == QByteArray("SQLite format 3\0", 16))
            return Files::Target::Database;
        existing.close();
    }
#ifndef Q_OS_WIN
    const QByteArray name = QFile::encodeName(file);
    if (::access(name.constData(), W_OK) != 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return Files::Target::NotWritable;
    }
    struct stat held;
    if (::stat(name.constData(), &held) != 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return Files::Target::NotWritable;
    }
    // Root may write anything; a file nobody may write was made read-only on purpose.
    if ((held.st_mode & 0222) == 0) {
        reason = QStringLiteral("the file is read-only");
        return Files::Target::NotWritable;
    }
    // A rewrite makes a new file, which only root can give to another account.
    if (held.st_uid != ::geteuid() && ::geteuid() != 0)
        return Files::Target::OtherOwner;
#else
    if (!QFileInfo(file).isWritable()) {
        reason = QStringLiteral("Access is denied");
        return Files::Target::NotWritable;
    }
#endif
    return Files::Target::None;
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
    return writeWhole(path, content);
}

Target chosen(const QString& path)
{
    Target target;
    QFileInfo info(path);
    // A link is followed to the file it names, which is what gets written.
    for (int depth = 0; info.isSymLink(); ++depth) {
        if (depth == 40) {
            target.refusal = Target::LinkLoop;
            return target;
        }
        info.setFile(info.symLinkTarget());
    }
    target.file = info.absoluteFilePath();
    if (!info.exists()) {
        if (!QFileInfo(info.absolutePath()).isDir())
            target.refusal = Target::NoFolder;
        return target;
    }
    if (info.isDir())
        target.refusal = Target::Folder;
    else if (!info.isFile())
        target.refusal = Target::NotAFile;
    else
        target.refusal = writable(target.file, target.reason);
    return target;
}

QString writeWhole(const QString& file, const QByteArray& content)
{
    QSaveFile out(file);
    // Only a rename over the old file keeps it whole; never a write in place.
    out.setDirectWriteFallback(false);
    QString problem;
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size() || !out.flush())
        problem = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(file), out.errorString());
#ifndef Q_OS_WIN
    // The new file keeps the old one's owner and group.
    else if (struct stat held; ::stat(QFile::encodeName(file).constData(), &held) == 0 &&
                               (held.st_uid != ::geteuid() || held.st_gid != ::getegid()) &&
                               ::fchown(out.handle(), held.st_uid, held.st_gid) != 0)
        problem = systemReason(QStringLiteral("cannot keep the owner of"), file);
#endif
#ifdef Q_OS_WIN
    else if (::_commit(out.handle()) != 0)
#else
    else if (::fsync(out.handle()) != 0)
#endif
        problem = systemReason(QStringLiteral("cannot write"), file);
    if (!problem.isEmpty()) {
        out.cancelWriting();
        return problem;
    }
    if (!out.commit())
        return QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(file), out.errorString());
    return {};
}
} // namespace Files

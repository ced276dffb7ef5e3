#include "core/platform/FileArgument.h"

#include "core/filetype/CommandLine.h"
#include "core/filetype/QtOptions.h"
#include "core/frame/Log.h"
#include "core/platform/OwnFolder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifndef Q_OS_WIN
namespace
{
QByteArray absolute(const QByteArray& name)
{
    if (name.startsWith('/'))
        return name;
    char here[PATH_MAX];
    return ::getcwd(here, sizeof here) ? QByteArray(here) + '/' + name : QByteArray();
}

// A link to target under a name that reads as text; empty when none can be made.
QString linkTo(const QByteArray& target)
{
    const QString own = OwnFolder::first(OwnFolder::candidates());
    if (own.isEmpty())
        return {};
    // One folder per file, named after its bytes: the same file opened again
    // finds its link, and two files whose names read alike do not meet.
    const QString folder = QDir(own).filePath(
        QStringLiteral("file-") +
        QString::fromLatin1(QCryptographicHash::hash(target, QCryptographicHash::Sha1).toHex().left(16)));
    const QString link = QDir(folder).filePath(QFile::decodeName(target.mid(target.lastIndexOf('/') + 1)));
    const QByteArray linkName = QFile::encodeName(link);
    char held[PATH_MAX];
    const ssize_t size = ::readlink(linkName.constData(), held, sizeof held);
    if (size >= 0 && QByteArrayView(held, size) == target)
        return link;
    ::unlink(linkName.constData());
    if ((::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || errno == EEXIST) &&
        ::symlink(target.constData(), linkName.constData()) == 0)
        return link;
    qCWarning(lcPlatform, "cannot make %s: %s", linkName.constData(), std::strerror(errno));
    return {};
}
} // namespace
#endif

QString FileArgument([[maybe_unused]] int argc, [[maybe_unused]] char* argv[])
{
#ifdef Q_OS_WIN
    // Windows hands the program its command line as UTF-16: the text is the name.
    return CommandLine::FileToOpen(QCoreApplication::arguments());
#else
    for (const QByteArray& name : QtOptions::ownWords(argc, argv)) {
        if (name.startsWith('-'))
            continue;
        const QString text = QFile::decodeName(name);
        struct stat st;
        if (QFile::encodeName(text) != name && ::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode))
            return linkTo(absolute(name));
        // A file that is not there, or not a file, is named as it reads: opening it says why.
        return QFileInfo(text).absoluteFilePath();
    }
    return {};
#endif
}

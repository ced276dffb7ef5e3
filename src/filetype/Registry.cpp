#include "filetype/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include "filetype/WinFileType.h"
#else
#include "filetype/ClassesStore.h"
#include "filetype/FreedesktopShell.h"
#endif

namespace FileType
{
namespace
{
class RunningProgram : public ProgramLocation
{
public:
    // Qt writes a drive's root as "C:/": natively "C:\", the trailing
    // separator included, as the folder is reported there.
    QString folder() override { return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()); }
    QString exeName() override { return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(); }
    QString filePath() override { return QCoreApplication::applicationFilePath(); }
};
} // namespace

Services& services()
{
    static RunningProgram program;
#ifdef Q_OS_WIN
    static WinRegistry registry;
    static WinShell shell;
#else
    static ClassesStore registry;
    static FreedesktopShell shell([] { return program.filePath(); });
#endif
    static Services s{&registry, &shell, &program};
    return s;
}
} // namespace FileType

#include "core/platform/SystemServices.h"

#include "core/frame/Platform.h"
#include "core/platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include "core/platform/WinFileType.h"
#include "core/platform/win32/WinCalculator.h"
#else
#include "core/platform/ClassesStore.h"
#include "core/platform/FreedesktopShell.h"
#endif

namespace Platform
{
namespace
{
class SystemClock : public Clock
{
public:
    QDateTime now() override { return QDateTime::currentDateTime(); }
};

class ProcessLauncher : public Launcher
{
public:
    bool start(const QString& program) override { return QProcess::startDetached(program, {}); }

    QStringList calculatorPaths() override
    {
#ifdef Q_OS_WIN
        QStringList paths;
        for (const std::wstring& path : WinNative::calculatorPaths())
            paths << QString::fromStdWString(path);
        return paths;
#else
        // The desktop's own calculator: the first of the usual ones installed.
        for (const char* name : {"gnome-calculator", "kcalc", "mate-calc", "galculator", "qalculate-gtk", "xcalc"}) {
            const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
            if (!path.isEmpty())
                return {path};
        }
        return {};
#endif
    }
};

class RunningProgram : public ProgramLocation
{
public:
    // Qt writes a drive's root as "C:/": natively "C:\", the trailing
    // separator included, as the folder is reported there.
    QString folder() override { return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()); }
    QString exeName() override { return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(); }
    QString filePath() override
    {
        // Also asked before the application object exists, for the account's desktop files.
#ifdef Q_OS_LINUX
        if (!QCoreApplication::instance())
            return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
#endif
        return QCoreApplication::applicationFilePath();
    }
};
} // namespace

SystemServices systemServices(const QString& classesFile, bool makeClassesFile)
{
    static SystemClock clock;
    static ProcessLauncher launcher;
    static RunningProgram program;
    static SingleInstance instance;
#ifdef Q_OS_WIN
    Q_UNUSED(classesFile);
    Q_UNUSED(makeClassesFile);
    static WinRegistry registry;
    static WinShell shell;
#else
    static ClassesStore registry([classesFile] { return classesFile; }, makeClassesFile);
    static FreedesktopShell shell([] { return program.filePath(); });
    // The type is declared only once per account: the copies an earlier run
    // left there are looked at on every start instead.
    shell.removeAccountCopiesIfInstalled();
#endif
    return {&clock, &launcher, &registry, &shell, &program, &instance};
}
} // namespace Platform

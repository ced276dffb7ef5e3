#include "core/filetype/CommandLine.h"
#include "core/frame/Backup.h"
#include "core/frame/CleanEnd.h"
#include "core/frame/SettingsStore.h"
#include "core/frame/StoreLocation.h"
#include "core/frame/Titles.h"
#include "core/platform/ClassesStore.h"
#include "core/platform/FileArgument.h"
#include "core/platform/SystemServices.h"
#include "gui/WindowContext.h"
#include "gui/base/Appearance.h"
#include "gui/base/QtLanguage.h"
#include "gui/mainwindow/StartUp.h"
#include "gui/mainwindow/StoreMessages.h"
#include "gui/platform/DesktopServices.h"
#include "gui/platform/Display.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

#include <cstdio>
#include <optional>

namespace
{
// A second start in the same account ends here, before it opens a window or
// the store: the running program comes to the front, with the file to open if
// there is one. Only the command line hears of it.
int wakeRunning(Platform::InstanceGuard& instance, int argc, char* argv[])
{
    QCoreApplication core(argc, argv);
    const QString openPath = FileArgument(argc, argv);
    const bool reached = instance.wakeRunning(openPath);
    std::fputs(!reached ? "tankometer: already running in this account, but that program did not answer.\n"
               : openPath.isEmpty()
                   ? "tankometer: already running in this account; that window was brought to the front.\n"
                   : "tankometer: already running in this account; the file was handed to that window.\n",
               stderr);
    return 0;
}

// --store, TANKOMETER_STORE, store.conf, or the file of the account.
StoreLocation storeLocation(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return StoreLocation::choose(arguments, qEnvironmentVariable("TANKOMETER_STORE"), StoreLocation::settingsFilePath(),
                                 SettingsStore::defaultPath());
}
} // namespace

int main(int argc, char* argv[])
{
    // --export, --import, --help, --version, any other option: no window, no
    // display, and no need to be the only run (the store takes turns).
    if (CommandLine::Wanted(argc, argv))
        return CommandLine::Run(argc, argv);

    // The store's folder is named after the application: ~/.local/share/Tanko.
    QCoreApplication::setApplicationName(QString::fromUtf16(ApplicationName));
    const StoreLocation where = storeLocation(argc, argv);
    const bool onServer = where.kind == StoreLocation::Kind::Server;
    // The registry's stand-in stays in a file of the account when the data is on a server.
    const Platform::SystemServices system =
        Platform::systemServices(onServer ? ClassesStore::accountFile() : where.value, onServer);
    Platform::InstanceGuard& instance = *system.instance;
    if (instance.otherRunning())
        return wakeRunning(instance, argc, argv);

    const std::unique_ptr<QApplication> app = applicationOnDisplay(argc, argv);
    // The desktop matches the windows to the installed entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tankometer"));
    // SIGTERM, SIGHUP, SIGINT: out of the event loop, so that main ends and the store closes.
    const CleanEnd::Signals ending(true);
    // A ".tnk" file opened from the desktop: offered for import once a user is chosen.
    const QString openPath = FileArgument(argc, argv);
    const Platform::DesktopServices desktop = Platform::desktopServices();
    installProgramLook();
    QApplication::setWindowIcon(programIcon());

    SettingsStore store(where);
    WindowContext context(store, system, desktop, LocaleInfo::fromQLocale(QLocale::system()));
    if (!where.ok())
        return StoreMessages::LocationRefused(where.error, context.messages()), 1;
    context.setDesktopLanguage(desktopLanguage(QLocale::system().uiLanguages()));
    // Exit, chosen while another program held the store, is no failure.
    if (!StoreMessages::OpenStore(store, context.messages(), context.speech()))
        return store.isBusy() ? 0 : 1;
    // A sound store is copied when its data changed since the newest copy; a server backs itself up.
    std::optional<StartupBackup> backup;
    if (!onServer)
        backup.emplace(store.path(), [&context](const BackupResult& result) {
            StoreMessages::BackupFailed(result, context.messages(), context.speech());
        });
    // Logging out: the data file alone holds every fill-up, even if the session then ends the program by force.
    if (!onServer)
        QObject::connect(app.get(), &QGuiApplication::commitDataRequest, app.get(),
                         [&store] { CleanEnd::checkpoint(store.path()); });

    StartUp windows(context);
    instance.listen([&windows](const QString& path) {
        windows.bringToFront();
        if (!path.isEmpty())
            windows.openDataFile(path);
    });
    windows.showUserWindow();
    if (!openPath.isEmpty())
        windows.openDataFile(openPath);
    return QApplication::exec();
}

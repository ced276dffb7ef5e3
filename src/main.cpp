#include "core/filetype/CommandLine.h"
#include "core/frame/Backup.h"
#include "core/frame/CleanEnd.h"
#include "core/frame/Platform.h"
#include "core/frame/SettingsStore.h"
#include "core/platform/FileArgument.h"
#include "core/platform/SystemServices.h"
#include "gui/base/Appearance.h"
#include "gui/frame/StartUp.h"
#include "gui/platform/DesktopServices.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[])
{
    // --export, --import, --help, --version: no window, no display, and no
    // need to be the only run of the program (the store takes turns).
    if (CommandLine::Wanted(argc, argv))
        return CommandLine::Run(argc, argv);

    Platform::installSystemServices();
    // A second start in the same account ends here, before it opens a window
    // or the store: the running program comes to the front, with the file to
    // open if there is one. Only the command line hears of it.
    Platform::InstanceGuard& instance = *Platform::services().instance;
    if (instance.otherRunning()) {
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

    QApplication app(argc, argv);
    // SIGTERM, SIGHUP, SIGINT: out of the event loop, so that main ends and the store closes.
    const CleanEnd::Signals ending(true);
    // A ".tnk" file opened from the desktop: offered for import once a user is chosen.
    const QString openPath = FileArgument(argc, argv);
    Platform::installDesktopServices();
    // The store's folder is named after the application: ~/.local/share/Tanko.
    QApplication::setApplicationName(QStringLiteral("Tanko"));
    installProgramFont();
    QApplication::setWindowIcon(programIcon());

    SettingsStore store(SettingsStore::defaultPath());
    // Exit, chosen while another program held the store, is no failure.
    if (!OpenStore(store))
        return store.isBusy() ? 0 : 1;
    SettingsStore::setCurrent(&store);
    // Only a store that opened soundly is copied, and only when its data
    // changed since the newest copy.
    StartupBackup backup(store.path());

    // Logging out: the data file alone holds every fill-up, even if the session then ends the program by force.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&store] { CleanEnd::checkpoint(store.path()); });
    instance.listen([](const QString& path) {
        StartUp::bringToFront();
        if (!path.isEmpty())
            StartUp::openDataFile(path);
    });
    StartUp::showUserWindow();
    if (!openPath.isEmpty())
        StartUp::openDataFile(openPath);
    const int code = QApplication::exec();
    StartUp::unloadAll();
    return code;
}

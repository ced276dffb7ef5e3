#include "frame/Appearance.h"
#include "frame/Backup.h"
#include "frame/Platform.h"
#include "frame/SettingsStore.h"
#include "users/SingleInstance.h"
#include "users/StartUp.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    // A second start in the same account ends here, silently, before it
    // opens a window or the store: the running program comes to the front.
    SingleInstance instance;
    if (instance.PrevInstance()) {
        QCoreApplication core(argc, argv);
        instance.wakeRunning();
        return 0;
    }

    QApplication app(argc, argv);
    // The store's folder is named after the application: ~/.local/share/Tanko.
    QApplication::setApplicationName(QStringLiteral("Tanko"));
    installProgramFont();
    QApplication::setWindowIcon(programIcon());

    SettingsStore store(SettingsStore::defaultPath());
    if (!OpenStore(store))
        return 1;
    SettingsStore::setCurrent(&store);
    // Only a store that opened soundly is copied, so a damaged file never
    // pushes the good copies out.
    StartupBackup backup(store.path());

    instance.listen(StartUp::bringToFront);
    StartUp::showUserWindow();
    const int code = QApplication::exec();
    StartUp::unloadAll();
    return code;
}

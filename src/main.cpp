#include "frame/Appearance.h"
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
    if (!store.open()) {
        Platform::services().messages->show(
            nullptr,
            QStringLiteral("Tankometer cannot use its data file\n%1\nbecause %2.\n\nThe file was left exactly as it "
                           "was. Restore it from a backup copy, or move it away to start with an empty one.")
                .arg(store.path(), store.lastError()),
            Platform::Critical, QStringLiteral("Tankometer"));
        return 1;
    }
    SettingsStore::setCurrent(&store);

    instance.listen(StartUp::bringToFront);
    StartUp::showUserWindow();
    const int code = QApplication::exec();
    StartUp::unloadAll();
    return code;
}

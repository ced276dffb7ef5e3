#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Platform.h"
#include "frame/SettingsStore.h"

#include <QApplication>

int main(int argc, char* argv[])
{
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

    Form1 form1;
    QObject::connect(&form1, &Form1::closed, &app, &QApplication::quit);
    form1.show();
    return QApplication::exec();
}

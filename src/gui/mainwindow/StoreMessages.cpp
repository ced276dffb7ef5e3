#include "gui/mainwindow/StoreMessages.h"

#include "core/frame/Backup.h"
#include "core/frame/Log.h"
#include "core/frame/SettingsStore.h"

#include <QDir>

namespace StoreMessages
{
bool OpenStore(SettingsStore& store, Platform::MessageBoxes& messages, const Speech& speech)
{
    const QString file = QDir::toNativeSeparators(store.path());
    while (!store.open()) {
        // Also for whoever started the program from a command line.
        qCWarning(lcStore, "%s: %s", qUtf8Printable(file), qUtf8Printable(store.lastError()));
        if (!store.isBusy()) {
            messages.show(nullptr,
                          QStringLiteral("Tankometer cannot use its data file\n%1\nbecause %2.\n\nThe file was left "
                                         "exactly as it was. Restore it from a copy in the backups folder beside it, "
                                         "or move it away to start afresh.")
                              .arg(file, store.lastError()),
                          Platform::Critical, QStringLiteral("Tankometer"));
            return false;
        }
        if (messages.ask(nullptr, speech.text(Text::StoreBusy) + QStringLiteral("\n\n") + file,
                         {speech.text(Text::Retry), speech.text(Text::Exit)}, Platform::Exclamation,
                         QStringLiteral("Tankometer")) != 0)
            return false;
    }
    if (store.mayMissRecent())
        messages.show(nullptr,
                      speech.text(Text::StoreIncomplete) + QStringLiteral("\n\n") + file + u'\n' + store.lastError(),
                      Platform::Exclamation, QStringLiteral("Tankometer"));
    store.setReadFailureHandler([file, &messages, &speech](const QString& reason) {
        messages.show(nullptr, speech.text(Text::StoreIncomplete) + QStringLiteral("\n\n") + file + u'\n' + reason,
                      Platform::Exclamation, QStringLiteral("Tankometer"));
    });
    return true;
}

void BackupFailed(const BackupResult& result, Platform::MessageBoxes& messages, const Speech& speech)
{
    messages.show(nullptr,
                  speech.text(Text::BackupFailed) + QStringLiteral("\n\n") + QDir::toNativeSeparators(result.folder) +
                      u'\n' + result.error,
                  Platform::Exclamation, QStringLiteral("Tankometer"));
}
} // namespace StoreMessages

#include "gui/mainwindow/StoreMessages.h"

#include "core/frame/Backup.h"
#include "core/frame/Log.h"
#include "core/frame/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>

namespace StoreMessages
{
namespace
{
// The server named with libpq's reason or the server's words.
int askServer(Platform::MessageBoxes& messages, const Speech& speech, Text::Id text, const QString& reason)
{
    return messages.ask(nullptr, speech.text(text) + QStringLiteral("\n\n") + reason,
                        {speech.text(Text::Retry), speech.text(Text::Exit)}, Platform::Exclamation,
                        QStringLiteral("Tankometer"));
}

void whenLost(SettingsStore& store, Platform::MessageBoxes& messages, const Speech& speech)
{
    store.setConnectionLostHandler([&messages, &speech](const QString& reason) {
        qCWarning(lcStore, "%s", qUtf8Printable(reason));
        if (askServer(messages, speech, Text::ConnectionLost, reason) == 0)
            return true;
        // Also out of the question's own loop, and of any window's.
        QCoreApplication::exit(1);
        return false;
    });
}
} // namespace

void LocationRefused(const QString& reason, Platform::MessageBoxes& messages)
{
    qCWarning(lcStore, "%s", qUtf8Printable(reason));
    messages.show(nullptr, QStringLiteral("Tankometer cannot tell where its data is:\n") + reason, Platform::Critical,
                  QStringLiteral("Tankometer"));
}

bool OpenStore(SettingsStore& store, Platform::MessageBoxes& messages, const Speech& speech)
{
    const QString file = QDir::toNativeSeparators(store.path());
    while (!store.open()) {
        // Also for whoever started the program from a command line.
        qCWarning(lcStore, "%s: %s", qUtf8Printable(file), qUtf8Printable(store.lastError()));
        if (store.isLost()) {
            if (askServer(messages, speech, Text::ServerUnreachable, store.lastError()) != 0)
                return false;
            continue;
        }
        if (!store.server().isEmpty()) {
            messages.show(nullptr, speech.text(Text::ServerUnusable) + QStringLiteral("\n\n") + store.lastError(),
                          Platform::Critical, QStringLiteral("Tankometer"));
            return false;
        }
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
    whenLost(store, messages, speech);
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

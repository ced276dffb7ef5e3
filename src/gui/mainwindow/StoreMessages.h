#pragma once

#include "core/frame/Speech.h"
#include "gui/platform/Dialogs.h"

#include <QString>

class SettingsStore;
struct BackupResult;

// What the user is told of the store: it opens, or why not; some of it could
// not be read; no backup could be made. The store and the backup only report.
namespace StoreMessages
{
// Opens the store at start-up. A store held by another program is waited for,
// then the user may retry or exit (false, isBusy()). A store that cannot be
// used is explained in a message that names it and gives the system's reason,
// and false is returned; one that may miss its latest records opens all the
// same, after a message that says so. From then on, values that cannot be
// read are told once.
//
// A server that cannot be reached, or that refuses the connection, is named
// with libpq's reason or the server's words, with Retry and Exit. Later, a
// lost connection asks the same while what was under way waits; Exit ends
// the program.
bool OpenStore(SettingsStore& store, Platform::MessageBoxes& messages, const Speech& speech);
// --store, TANKOMETER_STORE or store.conf named no store that can be used: why.
void LocationRefused(const QString& reason, Platform::MessageBoxes& messages);
// A backup that could not be made, told once as a notice.
void BackupFailed(const BackupResult& result, Platform::MessageBoxes& messages, const Speech& speech);
} // namespace StoreMessages

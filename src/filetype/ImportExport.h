#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class QWidget;

// Import and export let the user pick a ".tnk" file, confirm the choice and
// remember it under LastPath. No data moves: every fill-up stays in the store.

// Declares the data-file type to the desktop; runs first in every import and
// export. RegisterDataFileType unless a test watches it.
std::function<void()>& registerDataFileTypeHook();

// mode 1 imports, 2 exports. parent owns the dialogs; mainTitle is the main
// window's title, which the confirmation carries.
void Import_Export(qint16 mode, QWidget* parent, const QString& mainTitle);

// The dialog's settings, the same for both modes.
namespace ImportExport
{
inline constexpr int Flags = 2627588; // 0x281804
inline constexpr char16_t Filter[] = u"Tanko files (*.tnk)|*.tnk";
} // namespace ImportExport

#pragma once

#include "gui/platform/Dialogs.h"

#include <QStringList>

class QFileDialog;

// The real services that need windows: message boxes, the file dialog and
// the screen reader's notices, gathered once at start, beside the system's.
namespace Platform
{
DesktopServices desktopServices();

// "desc|pattern|desc|pattern" as the name filters of a Qt dialog; a
// description that does not show its patterns gets them appended.
QStringList nameFiltersFrom(const QString& filter);

// Gives a Qt file dialog everything a request asks for, as closely as Qt
// allows.
void configureFileDialog(QFileDialog& dialog, const FileDialogs::Request& request);
} // namespace Platform

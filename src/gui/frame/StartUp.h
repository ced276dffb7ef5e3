#pragma once

#include <QString>

class Form1;
class Form3;

// The program's two lasting windows. The main window is created when it is
// first shown and then kept, hidden or not, until the program ends; the user
// window is created each time it is shown and unloads itself when it closes.
namespace StartUp
{
Form1& mainWindow();
bool mainWindowLoaded();
// Shows the main window, creating it when it is not loaded.
void showMainWindow();
// Shows the user and language window, creating it when it is not loaded.
Form3& showUserWindow();
// nullptr when the user window is not loaded.
Form3* userWindow();
// A later start of the program asked for us: the window in use comes to the front.
void bringToFront();
// The desktop asked to open a data file: its import is offered to the
// current user once one is chosen (at once when the main window shows).
void openDataFile(const QString& path);
// Destroys both windows, before the application object goes.
void unloadAll();
} // namespace StartUp

#pragma once

class QIcon;
class QWidget;

// The program's look on every platform: Tahoma 8.25 pt where it exists, a
// sans-serif of similar width elsewhere.
void installProgramFont();
void ensureResources();
QIcon programIcon();
// Places a window in the middle of the screen it is on (or the main screen).
void centreOnScreen(QWidget* window);

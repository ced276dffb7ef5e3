#pragma once

class QIcon;
class QShowEvent;
class QWidget;

// The program's font on every platform: Tahoma where it exists, a sans-serif
// of similar width elsewhere, at the desktop's size.
void installProgramFont();
// The font, and a style under which no text is cut: one too long for its
// control ends in "…", and the control's tooltip shows it whole.
void installProgramLook();
// A window of fixed size keeps the desktop's font size where every line of its
// layout holds text that tall, or takes the largest size down to the
// program's 8.25 pt that does. Run once, before the window is first shown.
void fitFontToLayout(QWidget* window);
void ensureResources();
QIcon programIcon();
// Keeps a window inside the free area of its screen. One larger than that
// area is brought down to it, a resizable one by resizing, a fixed one by
// showing its controls in a scrolled view of that size; true when it was.
// Run before the window is shown.
bool fitOnScreen(QWidget* window);
// Fits the window, then places it in the middle of the free area.
void centreOnScreen(QWidget* window);
// A window shown by the program (at first, again after a modal window, by
// another window) is activated; one the desktop shows again is not: false.
// The first showing also centres it and puts the focus on `first`.
bool shownByProgram(QWidget* window, const QShowEvent* event, bool& shownBefore, QWidget* first);
// The same for a dialog that opens where it is put, fitted to the screen.
bool shownByProgram(QWidget* window, const QShowEvent* event);

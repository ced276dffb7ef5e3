#pragma once

#include "core/frame/Speech.h"
#include "gui/platform/Dialogs.h"

#include <QString>

#include <initializer_list>

class QLabel;
class QWidget;

// What a screen reader says for each control. Qt already names buttons, frames,
// check boxes and plain labels after their own caption, names a field after
// the label whose buddy it is, describes every control by its tooltip, and
// keeps all of these current as the texts change. What is left is named here:
// a control without a caption of its own (a row of the currency table, a
// picture) and a result label, which is read together with the heading above
// it. A name is handed to the screen reader only when it changes, so typing
// one character tells it of the results that character changed and nothing else.
namespace Accessibility
{
// The program's own ways of reading controls, installed before the first
// window that needs them makes its controls; once is enough.
void install();

// A window that is a plain widget is read as a frame with its title, not as a
// filler that some readers leave nameless; called before anything names it.
void readAsFrame(QWidget* window);

// The label captions field: the field is read as the label, and the two are
// related, which is how a combo box is read on Linux desktops.
void labelField(QLabel* label, QWidget* field);

// A picture the user clicks: it takes the focus by Tab and by click, is read as
// a button, and its window treats Enter and Space on it as a click.
void actAsButton(QWidget* picture);

// The names of one window's controls, told to the screen reader through the
// announcer, in the current language.
class Names
{
public:
    Names(Platform::Announcer& announcer, const Speech& speech) : m_announcer(announcer), m_speech(speech) {}

    // The controls whose captions, read in this order, name control; the
    // control itself may be one of them. With no caption showing, its tooltip
    // names it.
    void nameAfter(QWidget* control, std::initializer_list<const QWidget*> captions);

    // Names control "<heading>, row <row>", then the captions after it, for a
    // table whose columns have headings and whose rows have none. The heading
    // is a label of the window or, for a column without one, a text of the
    // string table.
    void nameRow(QWidget* control, const QWidget* heading, int row);
    void nameRow(QWidget* control, Text::Id headingText, int row, std::initializer_list<const QWidget*> captions);

    // A name of its own for a control that nothing on screen captions.
    void setName(QWidget* control, const QString& name);

    // The name nameAfter or nameRow gives control now, or its own caption.
    QString nameOf(const QWidget* control) const;

    // Renames every control of window named by nameAfter or nameRow whose name
    // changed; run after its captions change.
    void nameControls(QWidget* window);

    // Shows a result and, when it changed, has it read out once. The label is
    // one named with nameAfter.
    void showResult(QLabel* label, const QString& text);

private:
    Platform::Announcer& m_announcer;
    const Speech& m_speech;
};
} // namespace Accessibility

#pragma once

#include <QString>

#include <initializer_list>

class QAccessibleEvent;
class QLabel;
class QWidget;

// What a screen reader says for each control. Qt already names buttons, frames,
// check boxes and plain labels after their own caption and describes every
// control by its tooltip, and keeps both current as the texts change. What is
// left is named here: a control without a caption of its own (a text box under
// its label, the columns of the currency table, a picture) and a result label,
// which is read together with the heading above it.
namespace Accessibility
{
// Where notices of changed texts go: the platform's assistive technology, or
// a test's recorder.
class Announcer
{
public:
    virtual ~Announcer() = default;
    virtual void announce(QAccessibleEvent& event) = 0;
};

Announcer& announcer();
// nullptr puts the platform's back.
void setAnnouncer(Announcer* announcer);

// The controls whose captions, read in this order, name control; the control
// itself may be one of them. With no caption showing, its tooltip names it.
void nameAfter(QWidget* control, std::initializer_list<const QWidget*> captions);

// The label captions field alone: the field is named after it, and the two
// are related, which is how a combo box is read on Linux desktops.
void labelField(QLabel* label, QWidget* field);

// The name nameAfter gives control now, or its own caption.
QString nameOf(const QWidget* control);

// Renames every control of window named by nameAfter; run after its captions change.
void nameControls(QWidget* window);

// Shows a result and, when it changed, has it read out. The label is one named
// with nameAfter: Qt reads out by itself only the labels it names itself.
void showResult(QLabel* label, const QString& text);
} // namespace Accessibility

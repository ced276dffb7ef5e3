#pragma once

#include <QString>
#include <QStringList>

class QObject;
class QWidget;

// The services that show something over a window, each behind a small
// interface: message boxes, the file dialog and what a screen reader is told.
// Start-up gathers the real ones; a test builds doubles that record what was
// asked and answer, so that no test blocks on a modal box.
namespace Platform
{
// Message box styles: an OK button with a critical, exclamation or
// information icon.
enum MessageStyle
{
    Critical = 16,
    Exclamation = 48,
    Information = 64
};

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // The text is shown as plain text, whatever it holds.
    virtual void show(QWidget* owner, const QString& text, int style, const QString& title) = 0;
    // A question: one button per text, the first the default. The index of
    // the button pressed, -1 when the box was closed without one.
    virtual int ask(QWidget* owner, const QString& text, const QStringList& buttons, int style,
                    const QString& title) = 0;
};

// The desktop's file dialog, driven the way the common dialog of the original
// program is: a title, a "description|pattern" filter, flag bits and an
// initial file name.
class FileDialogs
{
public:
    enum Flag
    {
        OverwritePrompt = 0x2,
        HideReadOnly = 0x4,
        PathMustExist = 0x800,
        FileMustExist = 0x1000,
        Explorer = 0x80000,
        LongNames = 0x200000,
    };

    struct Request
    {
        QString title;
        QString filter;      // "Tanko files (*.tnk)|*.tnk": description and pattern pairs
        int filterIndex = 1; // 1 is the first pair
        int flags = 0;
        QString fileName;   // initial file; empty for none
        QString defaultExt; // ".tnk", added to a name typed without extension
        bool save = false;  // the save dialog rather than the open one
    };

    struct Answer
    {
        enum Outcome
        {
            Chosen,
            Cancelled,
            Failed
        };
        Outcome outcome = Cancelled;
        QString fileName; // full path of the chosen file
    };

    virtual ~FileDialogs() = default;
    virtual Answer show(QWidget* owner, const Request& request) = 0;
};

// Where the changed name of a control goes for a screen reader: the control
// takes it, and the reader is told once.
class Announcer
{
public:
    virtual ~Announcer() = default;
    virtual void rename(QObject* control, const QString& name) = 0;
    // Has the reader say text about control now, the control that has the
    // focus, without renaming it; told again each time it is asked.
    virtual void tell(QWidget* control, const QString& text) = 0;
};

struct DesktopServices
{
    MessageBoxes* messages = nullptr;
    FileDialogs* files = nullptr;
    Announcer* announcer = nullptr;
};
} // namespace Platform

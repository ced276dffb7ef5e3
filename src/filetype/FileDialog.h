#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

// The desktop's file dialog, described the way the common dialog of the
// original program is driven: a title, a "description|pattern" filter, flag
// bits and an initial file name. Tests install their own answer in its place.
class FileDialog
{
public:
    // The flag bits the program uses.
    enum Flag
    {
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

    virtual ~FileDialog() = default;
    virtual Answer show(QWidget* parent, const Request& request) = 0;

    // The dialog in use: the desktop's unless a test installed another
    // (nullptr puts the desktop's back).
    static FileDialog& current();
    static void setCurrent(FileDialog* dialog);
};

// "desc|pattern|desc|pattern" as the name filters of a Qt dialog; a
// description that does not show its patterns gets them appended.
QStringList nameFiltersFrom(const QString& filter);

// Gives a Qt file dialog everything a request asks for, as closely as Qt
// allows.
void configureFileDialog(QFileDialog& dialog, const FileDialog::Request& request);

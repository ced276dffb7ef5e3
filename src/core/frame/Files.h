#pragma once

#include <QByteArray>
#include <QString>

// Files the program writes: never left half written, and every failure said
// with the reason the system gave. Each returns an empty text on success,
// else what went wrong.
namespace Files
{
// Creates the folder and those above it.
QString makeFolder(const QString& path);
// Moves `from` over `to` in one step: `to` is the old file or the new one,
// never a part of either.
QString replace(const QString& from, const QString& to);
// A file of the program's own (beside its store, the desktop's files):
// the folder is made when missing, then the content is written as
// writeWhole() writes it.
QString write(const QString& path, const QByteArray& content);

// Why a file the user chose cannot be written; the file itself, a link
// followed to the file it names.
struct Target
{
    enum Refusal
    {
        None,
        Folder,      // a folder stands there
        NotAFile,    // a device, a FIFO or a socket
        NoFolder,    // the folder it would go in does not exist (it is never made)
        NotWritable, // the user may not write it; reason says why
        OtherOwner,  // it belongs to another account, which a rewrite would take from it
        Database,    // an SQLite database, which no export may replace
        LinkLoop     // links lead round in a circle
    };
    Refusal refusal = None;
    QString file;   // where the content would go
    QString reason; // the system's words, where it gave some
};
Target chosen(const QString& path);

// Writes the content under a fresh name beside the file, created for this
// write alone and never through a link, flushes it to the disk and moves it
// over the file: the file is whole, old or new, whatever happens. An existing
// file keeps its mode, owner and group; give it the file a link names, as
// chosen() finds it.
QString writeWhole(const QString& file, const QByteArray& content);
} // namespace Files

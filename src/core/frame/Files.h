#pragma once

#include <QByteArray>
#include <QString>

// Files the program writes beside its store: never left half written, and
// every failure said with the reason the system gave. Each returns an empty
// text on success, else what went wrong.
namespace Files
{
// Creates the folder and those above it.
QString makeFolder(const QString& path);
// Moves `from` over `to` in one step: `to` is the old file or the new one,
// never a part of either.
QString replace(const QString& from, const QString& to);
// Writes the content under `path` + ".part", flushes it to the disk and
// moves it into place; on failure the temporary file goes and the old file
// stays as it was.
QString write(const QString& path, const QByteArray& content);
} // namespace Files

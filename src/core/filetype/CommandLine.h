#pragma once

#include <QString>
#include <QStringList>

// The program without its windows, for scripts and for a machine without a
// display:
//   tankometer --export NAME FILE
//   tankometer --import NAME FILE [--yes]
//   tankometer --help | --version
// NAME is a user of the list exactly as the user window lists it. One line
// of summary, or the error, goes to stderr. Exit status: 0 done, 1 failed
// (nothing changed), 2 wrong arguments or no such user, 3 import declined.
namespace CommandLine
{
// Whether the arguments hold an option besides Qt's own: one of the above, or
// one the command line refuses (exit status 2) before any window opens. The
// windows take every other command line (Qt's options, a file to open).
bool Wanted(int argc, char* argv[]);
// Runs the command line on an application object of its own.
int Run(int argc, char* argv[]);
// The data file the desktop asked the windows to open: the first argument
// after the program's that is neither an option nor a value of Qt's, as an
// absolute path, whether or not there is such a file (the windows say so);
// empty for none.
QString FileToOpen(const QStringList& arguments);
} // namespace CommandLine

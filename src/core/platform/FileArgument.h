#pragma once

#include <QString>

// The data file the desktop asked the windows to open, as CommandLine::FileToOpen
// finds it, but read from the command line's bytes: on Unix a file name is
// bytes, and one that is not UTF-8 has no text that names it. Such a file is
// reached through a link of the same name as far as it reads (the bytes that
// are not text shown as U+FFFD), in a folder of the account's own, so that
// what opens it, here or in the running program, opens exactly that file.
// A name that is no file is handed on as it reads. Empty for none. Needs an
// application object.
QString FileArgument(int argc, char* argv[]);

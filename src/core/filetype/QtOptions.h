#pragma once

#include <QByteArrayList>
#include <QList>
#include <QStringList>

// Qt's own options of a program with windows (-platform xcb, -style=fusion,
// --reverse ...), with one dash or two, which the windows' application object
// takes off the command line. They stay valid wherever the program is
// started; the program reads the other arguments.
namespace QtOptions
{
// The positions of the program's own arguments: every one after the
// program's name but Qt's options and their values.
QList<int> ownArguments(const QByteArrayList& arguments);
// The arguments without Qt's options and their values, the program's name kept.
QStringList withoutQtOptions(const QStringList& arguments);
// The program's own arguments, without its name, Qt's options, and the
// store's place (--store WHERE, --store=WHERE), which the windows and the
// command line both take: what is left says what to do.
QByteArrayList ownWords(int argc, char* argv[]);
} // namespace QtOptions

#pragma once

#include <QString>
#include <QStringList>

// Folders of this account's alone, for what another account must neither
// read nor replace: the single-instance lock and socket, and the links to
// files whose names do not read as text. Without a runtime folder of the
// account's own (no XDG_RUNTIME_DIR, and Qt's stand-in taken by another
// account), the folder is one named for the account's number in the
// temporary folder; when another account holds that name, the next of a few
// fixed names, tried in the same order by every start, so that a later start
// finds the running one where a random name could not be found again.
namespace OwnFolder
{
// Whether path is a folder, not a link, owned by this account and closed
// to every other one (no group or other rights).
bool isOwn(const QString& path);
// tankometer-<uid>, tankometer-<uid>-1 ... tankometer-<uid>-7 in the
// temporary folder base, in the order to try.
QStringList inTemp(const QString& base);
// Where the program may keep its lock, in the order to try: the runtime
// folder when it is the account's own, then those in the temporary folder.
QStringList candidates();
// path made the account's own: created with mode 0700 when missing, and
// checked (also after the creation). False when another account holds it, or
// it is the account's but open to others: left as it is.
bool claim(const QString& path);
// The first of folders that can be claimed; empty when none.
QString first(const QStringList& folders);
} // namespace OwnFolder

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The list of users in section "Option" (TotUsers, User1 .. UserN, LastUser)
// and each user's language (Lang in the user's own section). The list only
// grows; names are kept exactly as typed and compared exactly, while the
// sections they name ignore letter case.
namespace UserList
{
// TotUsers as a single-precision number (0 when absent). Nothing when the
// store holds a count the program could not have written: not a number in
// the user's notation, negative, or larger than the keys of "Option".
std::optional<float> ReadUserTotal();

struct Users
{
    float total = 0;   // the count the list was read with
    QStringList names; // in the order they were first confirmed
    int selected = -1; // the entry to select, -1 for none
};
// The names to list and the one to select: the last entry equal to
// LastUser, or the first entry when LastUser is empty.
Users Read();

// A name longer than this is refused at entry, unless it is on the list.
inline constexpr int MaxNameLength = 100;

// Appends the name unless a User key already holds it, then records it as
// the last user and stores its language, all in one transaction. With an
// unreadable count nothing is appended, so that no User key is overwritten.
// False, with the store's lastError(), when nothing could be written.
bool Save(const QString& name, int language);

// The language stored for the name, when there is one that can be used.
std::optional<int> StoredLanguage(const QString& name);
// Stores the language at once for a name that already has one.
void StoreLanguageIfKnown(const QString& name, int language);
} // namespace UserList

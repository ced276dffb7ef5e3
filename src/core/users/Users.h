#pragma once

#include "core/frame/LocaleInfo.h"
#include "core/frame/SettingsStore.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

// The user list: the one owner of the users kept in section "Option"
// (TotUsers, User1 .. UserN, LastUser) and of each user's own settings beside
// the fill-ups and the currency (Lang, LastPath, ReportPlace, and the columns chosen for
// an import's header, ImportColumns & a digest of the header). The list only grows; names
// are kept exactly as typed and compared exactly, while the sections they
// name ignore letter case.
class Users
{
public:
    Users(SettingsStore& store, const LocaleInfo& locale);

    // A name longer than this is refused at entry, unless it is on the list.
    static constexpr int MaxNameLength = 100;

    // TotUsers as a single-precision number (0 when absent). Nothing when the
    // store holds a count the program could not have written: not a number in
    // the user's notation, negative, or larger than the keys of "Option".
    std::optional<float> total() const;

    struct List
    {
        float total = 0;   // the count the list was read with
        QStringList names; // in the order they were first confirmed
        int selected = -1; // the entry to select, -1 for none
    };
    // The names to list and the one to select: the last entry equal to
    // LastUser, or the first entry when LastUser is empty.
    List read() const;

    // Appends the name unless a User key already holds it, then records it as
    // the last user and stores its language, all in one transaction. With an
    // unreadable count nothing is appended, so that no User key is overwritten.
    // False, with reason(), when nothing could be written.
    bool confirm(const QString& name, int language);
    QString reason() const { return m_store.lastError(); }

    // The language stored for the name, when there is one that can be used.
    std::optional<int> language(const QString& name) const;
    // Stores the language at once for a name that already has one.
    bool storeLanguageIfKnown(const QString& name, int language);

    // The file the user last chose to import or export, "" for none.
    QString lastPath(const QString& user) const;
    bool setLastPath(const QString& user, const QString& path);

    // The columns the user chose for files with this header line (an
    // import's assignment in its text form), "" for none.
    QString importColumns(const QString& user, const QString& headerLine) const;
    bool setImportColumns(const QString& user, const QString& headerLine, const QString& columns);
    // Where the user last left the report window: the top left of its frame
    // and the size inside it, in the desktop's pixels, and whether it filled
    // the screen. Nothing when they never moved or resized it, or when the
    // stored text is not four whole numbers and a positive size.
    struct Place
    {
        QRect rect;
        bool maximized = false;
    };
    std::optional<Place> reportPlace(const QString& user) const;
    bool setReportPlace(const QString& user, const Place& place);

private:
    QString value(QStringView section, QStringView key) const;

    SettingsStore& m_store;
    LocaleInfo m_locale;
};

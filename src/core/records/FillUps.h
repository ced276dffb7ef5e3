#pragma once

#include "core/frame/LocaleInfo.h"
#include "core/frame/SettingsStore.h"
#include "core/records/FillUp.h"
#include "core/records/FillUpList.h"

#include <QString>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

// The fill-up log: the one owner of every user's fill-ups in the store. It
// alone knows their keys (Date, Tanko, Pay, PayCom, Kms, Ltrs & n), the count
// TotEntry and the texts they hold; everything else hands it FillUps and gets
// FillUps back.
//
// What it read is kept between uses (the report opened again, the total
// average at each keystroke) and read again only when the store changed:
// through another program, or through this one past the log. Its own changes
// are made in the store and in what it keeps together.
//
// Record numbers run from 1 to the count; without a count there are none to
// show. The next fill-up takes the number after the count; when the count
// cannot be used (absent, not a whole number from 0 to 2^31 - 1, too long to
// be one), after the highest record present, so that no record is ever
// written over.
class FillUps
{
public:
    static constexpr qint64 MaxRecord = std::numeric_limits<qint32>::max();

    FillUps(SettingsStore& store, const LocaleInfo& locale);
    ~FillUps();
    FillUps(const FillUps&) = delete;
    FillUps& operator=(const FillUps&) = delete;

    // The user's fill-ups from 1 to the last record number, those present, in
    // stored order. The list is changed in place by the changes below; a
    // change elsewhere makes the next call read a new one.
    std::shared_ptr<const FillUpList> list(const QString& user);
    // Whether list() for the user would read the store again.
    bool isStale(const QString& user) const;
    // Whether a list handed out is still what the store holds.
    bool isCurrent(const QString& user, const FillUpList& seen) const;

    // The mean of the stored consumptions that are not 0; a consumption that is
    // not a number is left out.
    struct Average
    {
        double value = 0; // 0 when no fill-up has a consumption
        bool outOfRange = false;
    };
    Average average(const QString& user);
    // The last record number shown: the count, the highest record present
    // when the count cannot be used, 0 without a count.
    qint64 lastRecord(const QString& user) const;

    enum class Outcome
    {
        Done,
        ChangedElsewhere, // nothing was written: another program changed the fill-ups since they were read
        Declined,         // nothing was written: no record number is left, or the caller stopped
        Failed            // nothing was written; reason() says why
    };
    QString reason() const { return m_store.lastError(); }

    // Appends the fill-up as the user's next record.
    Outcome save(const QString& user, const FillUp& fillUp);
    // The fill-up at a position of the list the caller saw replaced, removed,
    // or put in: ChangedElsewhere when that list is no longer what the store holds.
    Outcome replace(const QString& user, const FillUpList& seen, size_t position, const FillUp& fillUp);
    Outcome remove(const QString& user, const FillUpList& seen, size_t position);
    Outcome insert(const QString& user, const FillUpList& seen, size_t position, const FillUp& fillUp);
    // Every record in date order, in one transaction; those without a date
    // that reads keep their place after the one before them. The order
    // before is kept until the next change, for undoSort to put it back.
    Outcome sortByDate(const QString& user);
    bool canUndoSort(const QString& user) const;
    Outcome undoSort(const QString& user);

    // Appends many fill-ups in one transaction, in batches: duplicates(present)
    // says which repeat a fill-up present at that moment, and those are left
    // out; progress is told how many are written and may stop it all.
    using Duplicates = std::function<std::vector<char>(const FillUpList& present)>;
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    struct Appended
    {
        Outcome outcome = Outcome::Failed;
        qint64 written = 0;
        qint64 duplicates = 0;
        bool cancelled = false; // progress stopped it
    };
    Appended append(const QString& user, const std::vector<FillUp>& fillUps, const Duplicates& duplicates,
                    const Progress& progress = {});
    // The same for count fill-ups made one at a time, so that a large import
    // need not hold them all as FillUps.
    using FillUpAt = std::function<FillUp(size_t)>;
    Appended append(const QString& user, qint64 count, const FillUpAt& fillUpAt, const Duplicates& duplicates,
                    const Progress& progress = {});

    // The last record number shown, of a count (nothing when absent, a null
    // text when too long to read) and of the highest record present.
    static qint64 LastRecord(const std::optional<QString>& count, qint64 highest, const LocaleInfo& locale);

private:
    struct Kept;
    Outcome commit(const QString& user, const FillUpList& seen, std::vector<FillUpList::Record>& after);
    bool current(const Kept& kept) const;
    void written(Kept& kept);

    SettingsStore& m_store;
    LocaleInfo m_locale;
    std::unique_ptr<Kept> m_kept;
    std::unique_ptr<Kept> m_average;
    struct Sorted; // what undoSort needs
    std::unique_ptr<Sorted> m_sorted;
};

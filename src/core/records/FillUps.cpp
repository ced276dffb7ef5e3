#include "core/records/FillUps.h"

#include "core/frame/Conversions.h"
#include "core/frame/StoreCache.h"
#include "core/records/FillUpKeys.h"

#include <algorithm>
#include <cmath>

namespace
{
// How often a long import tells its progress, in fill-ups.
constexpr qint64 kProgressStep = 2000;

bool sameUser(const QString& a, const QString& b)
{
    return StoreCache::FoldedEqual()(a, b) || StoreCache::folded(a) == StoreCache::folded(b);
}

std::optional<qint64> usableCount(QStringView text, const LocaleInfo& locale)
{
    const std::optional<double> count = StoredNumber(text, locale);
    if (count && *count >= 0 && *count <= double(FillUps::MaxRecord) && std::trunc(*count) == *count)
        return qint64(*count);
    return std::nullopt;
}

// The highest record present, 1 to 2^31 - 1.
qint64 highestRecordIn(const SettingsStore& store, const QString& user)
{
    qint64 highest = 0;
    for (const char16_t* prefix : FillUpKeys::Prefix) {
        std::vector<qint64> numbers = store.keyNumbers(user, prefix);
        std::erase_if(numbers, [](qint64 n) { return n < 1 || n > FillUps::MaxRecord; });
        if (!numbers.empty())
            highest = std::max(highest, numbers.back());
    }
    return highest;
}

// The record the next fill-up follows: the count when it can be used,
// otherwise the highest record present, also when there is no count at all.
qint64 lastWrittenIn(const SettingsStore& store, const QString& user, const LocaleInfo& locale)
{
    if (const QString* count = store.find(user, FillUpKeys::Count))
        if (const std::optional<qint64> usable = usableCount(*count, locale))
            return *usable;
    return highestRecordIn(store, user);
}

// The keys of record n: each field's text, and no key for a field without one,
// so that a number taken again after a hand-edited count inherits nothing.
void writeRecord(const SettingsStore& store, SettingsStore::Writer& out, const QString& user, qint64 n,
                 const FillUp& fillUp)
{
    const QString* texts[] = {&fillUp.date.text, &fillUp.consumption.text, &fillUp.euro.text,
                              &fillUp.paid.text, &fillUp.distance.text,    &fillUp.litres.text};
    for (int f = 0; f < FillUpList::FieldCount; ++f) {
        const NumberedKey key(FillUpKeys::Prefix[f], n);
        if (!texts[f]->isNull())
            out.set(user, key, *texts[f]);
        else if (store.findNumbered(user, FillUpKeys::Prefix[f], n))
            out.remove(user, key);
    }
}
} // namespace

struct FillUps::Kept
{
    QString user;
    qint64 others = -1; // the store's othersChanges() when read
    qint64 writes = -1; // its writesTo(user) when read
    std::shared_ptr<FillUpList> list = std::make_shared<FillUpList>();
    double sum = 0; // of the consumptions that are not 0
    qint64 counted = 0;
};

// The order a sort changed, while the list is as the sort left it.
struct FillUps::Sorted
{
    QString user;
    qint64 writes = -1;
    std::vector<quint32> from; // the position before the sort of each position after it
};

FillUps::FillUps(SettingsStore& store, const LocaleInfo& locale) : m_store(store), m_locale(locale) {}

FillUps::~FillUps() = default;

qint64 FillUps::LastRecord(const std::optional<QString>& count, qint64 highest, const LocaleInfo& locale)
{
    if (!count)
        return 0;
    return usableCount(*count, locale).value_or(highest);
}

bool FillUps::current(const Kept& kept) const
{
    return kept.others == m_store.othersChanges() && kept.writes == m_store.writesTo(kept.user);
}

void FillUps::written(Kept& kept)
{
    kept.writes = m_store.writesTo(kept.user);
}

bool FillUps::isStale(const QString& user) const
{
    return !m_kept || !sameUser(m_kept->user, user) || !current(*m_kept);
}

bool FillUps::isCurrent(const QString& user, const FillUpList& seen) const
{
    return !isStale(user) && m_kept->list.get() == &seen;
}

std::shared_ptr<const FillUpList> FillUps::list(const QString& user)
{
    if (isStale(user)) {
        auto kept = std::make_unique<Kept>();
        kept->user = user;
        // Asked before the read: a change while it runs makes it stale.
        kept->others = m_store.othersChanges();
        kept->writes = m_store.writesTo(user);
        m_kept.reset();
        kept->list->read(m_store, user, m_locale);
        m_kept = std::move(kept);
    }
    return m_kept->list;
}

qint64 FillUps::lastRecord(const QString& user) const
{
    const QString* count = m_store.find(user, FillUpKeys::Count);
    if (count)
        if (const std::optional<qint64> usable = usableCount(*count, m_locale))
            return *usable;
    // A count too long to read cannot be used either.
    if (!count && !m_store.holds(user, FillUpKeys::Count))
        return 0;
    return highestRecordIn(m_store, user);
}

FillUps::Average FillUps::average(const QString& user)
{
    if (!m_average || !sameUser(m_average->user, user) || !current(*m_average)) {
        auto kept = std::make_unique<Kept>();
        kept->user = user;
        kept->others = m_store.othersChanges();
        kept->writes = m_store.writesTo(user);
        const auto add = [&kept](double conso) {
            if (!std::isnan(conso) && conso != 0) {
                kept->sum += conso;
                ++kept->counted;
            }
        };
        if (!isStale(user)) {
            for (size_t i = 0; i < m_kept->list->size(); ++i)
                add(m_kept->list->value(i, FillUpList::Consumption));
        } else {
            // The consumptions alone, without reading the whole records.
            const qint64 last = lastRecord(user);
            const char16_t* prefix = FillUpKeys::Prefix[FillUpList::Consumption];
            for (qint64 n : m_store.keyNumbers(user, prefix)) {
                if (n > last)
                    break;
                if (const QString* text = n >= 1 ? m_store.findNumbered(user, prefix, n) : nullptr)
                    add(StoredNumber(*text, m_locale).value_or(NAN));
            }
        }
        m_average = std::move(kept);
    }
    Average average;
    average.outOfRange = !std::isfinite(m_average->sum);
    average.value = m_average->counted > 0 && !average.outOfRange ? m_average->sum / double(m_average->counted) : 0;
    return average;
}

FillUps::Outcome FillUps::save(const QString& user, const FillUp& fillUp)
{
    bool full = false;
    qint64 number = 0;
    const SettingsStore::Update done = m_store.edit([&](const SettingsStore& s, SettingsStore::Writer& out) {
        const qint64 last = lastWrittenIn(s, user, m_locale);
        full = last >= MaxRecord;
        if (full)
            return false;
        number = last + 1;
        writeRecord(s, out, user, number, fillUp);
        out.set(user, FillUpKeys::Count, LocaleText(double(number), m_locale));
        return true;
    });
    if (done != SettingsStore::Update::Written)
        return full ? Outcome::Declined : Outcome::Failed;
    // What is kept follows when it was current up to this fill-up.
    for (Kept* kept : {m_kept.get(), m_average.get()}) {
        if (!kept || !sameUser(kept->user, user) || kept->others != m_store.othersChanges() ||
            kept->writes + 1 != m_store.writesTo(user))
            continue;
        FillUpList& list = *kept->list;
        // A list that something still shows, or that does not end where this
        // fill-up follows, is read again when next asked for.
        if (kept == m_kept.get() && (list.m_last + 1 != number || kept->list.use_count() > 1)) {
            kept->writes = -1;
            continue;
        }
        if (kept == m_kept.get()) {
            list.m_records.push_back(list.make(FillUpList::textsOf(fillUp)));
            list.m_records.back().number = number;
            list.m_last = number;
        } else if (const std::optional<double> conso = fillUp.consumption.value; conso && *conso != 0) {
            kept->sum += *conso;
            ++kept->counted;
        }
        written(*kept);
    }
    return Outcome::Done;
}

FillUps::Outcome FillUps::commit(const QString& user, const FillUpList& seen, std::vector<FillUpList::Record>& after)
{
    bool elsewhere = false;
    const SettingsStore::Update done = m_store.edit([&](const SettingsStore& s, SettingsStore::Writer& out) {
        // Another program's change may have moved what the user chose.
        elsewhere = !isCurrent(user, seen);
        if (!elsewhere)
            m_kept->list->writeDifferences(s, out, after);
        return !elsewhere;
    });
    if (elsewhere)
        return Outcome::ChangedElsewhere;
    if (done != SettingsStore::Update::Written)
        return Outcome::Failed;
    m_kept->list->adopt(std::move(after));
    written(*m_kept);
    return Outcome::Done;
}

FillUps::Outcome FillUps::replace(const QString& user, const FillUpList& seen, size_t position, const FillUp& fillUp)
{
    if (!isCurrent(user, seen) || position >= seen.size())
        return Outcome::ChangedElsewhere;
    FillUpList& list = *m_kept->list;
    std::vector<FillUpList::Record> after = list.room(list.size());
    after.assign(list.m_records.begin(), list.m_records.end());
    after[position] = list.make(FillUpList::textsOf(fillUp));
    return commit(user, seen, after);
}

FillUps::Outcome FillUps::remove(const QString& user, const FillUpList& seen, size_t position)
{
    if (!isCurrent(user, seen) || position >= seen.size())
        return Outcome::ChangedElsewhere;
    FillUpList& list = *m_kept->list;
    std::vector<FillUpList::Record> after = list.room(list.size());
    after.insert(after.end(), list.m_records.begin(), list.m_records.begin() + qsizetype(position));
    after.insert(after.end(), list.m_records.begin() + qsizetype(position) + 1, list.m_records.end());
    return commit(user, seen, after);
}

FillUps::Outcome FillUps::insert(const QString& user, const FillUpList& seen, size_t position, const FillUp& fillUp)
{
    if (!isCurrent(user, seen) || position > seen.size())
        return Outcome::ChangedElsewhere;
    FillUpList& list = *m_kept->list;
    std::vector<FillUpList::Record> after = list.room(list.size() + 1);
    after.insert(after.end(), list.m_records.begin(), list.m_records.begin() + qsizetype(position));
    after.push_back(list.make(FillUpList::textsOf(fillUp)));
    after.insert(after.end(), list.m_records.begin() + qsizetype(position), list.m_records.end());
    return commit(user, seen, after);
}

FillUps::Outcome FillUps::sortByDate(const QString& user)
{
    const std::shared_ptr<const FillUpList> seen = this->list(user);
    const FillUpList& list = *seen;
    // A fill-up whose date cannot be read stays after the one before it.
    std::vector<std::pair<double, size_t>> order(list.size());
    double day = -INFINITY;
    for (size_t i = 0; i < list.size(); ++i) {
        if (const double d = list.m_records[i].value[FillUpList::Date]; !std::isnan(d))
            day = d;
        order[i] = {day, i};
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<FillUpList::Record> sorted = list.room(list.size());
    auto undo = std::make_unique<Sorted>();
    undo->user = user;
    for (const auto& [key, i] : order) {
        sorted.push_back(list.m_records[i]);
        undo->from.push_back(quint32(i));
    }
    const Outcome outcome = commit(user, list, sorted);
    if (outcome == Outcome::Done) {
        undo->writes = m_store.writesTo(user);
        m_sorted = std::move(undo);
    }
    return outcome;
}

bool FillUps::canUndoSort(const QString& user) const
{
    return m_sorted && sameUser(m_sorted->user, user) && !isStale(user) && m_sorted->writes == m_store.writesTo(user) &&
           m_sorted->from.size() == m_kept->list->size();
}

FillUps::Outcome FillUps::undoSort(const QString& user)
{
    if (!canUndoSort(user))
        return Outcome::ChangedElsewhere;
    const FillUpList& list = *m_kept->list;
    std::vector<FillUpList::Record> before = list.room(list.size());
    before.resize(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        before[m_sorted->from[i]] = list.m_records[i];
    const Outcome outcome = commit(user, list, before);
    if (outcome == Outcome::Done)
        m_sorted.reset();
    return outcome;
}

FillUps::Appended FillUps::append(const QString& user, const std::vector<FillUp>& fillUps, const Duplicates& duplicates,
                                  const Progress& progress)
{
    return append(
        user, qint64(fillUps.size()), [&fillUps](size_t i) { return fillUps[i]; }, duplicates, progress);
}

FillUps::Appended FillUps::append(const QString& user, qint64 count, const FillUpAt& fillUpAt,
                                  const Duplicates& duplicates, const Progress& progress)
{
    Appended result;
    bool stopped = false;
    const SettingsStore::Update done = m_store.edit([&](const SettingsStore& s, SettingsStore::Writer& out) {
        // Another program may have saved since the caller looked.
        FillUpList present;
        if (!present.read(s, user, m_locale))
            return false;
        const std::vector<char> repeated = duplicates ? duplicates(present) : std::vector<char>();
        std::vector<size_t> todo;
        for (size_t i = 0; i < size_t(count); ++i)
            if (i >= repeated.size() || !repeated[i])
                todo.push_back(i);
        result.duplicates = count - qint64(todo.size());
        const qint64 last = lastWrittenIn(s, user, m_locale), total = qint64(todo.size());
        if (last + total > MaxRecord)
            return false;
        for (qint64 k = 0; k < total; ++k) {
            if (progress && k % kProgressStep == 0 && !progress(k, total))
                return !(stopped = true);
            writeRecord(s, out, user, last + 1 + k, fillUpAt(todo[size_t(k)]));
        }
        if (progress && !progress(total, total))
            return !(stopped = true);
        if (total > 0)
            out.set(user, FillUpKeys::Count, LocaleText(double(last + total), m_locale));
        result.written = total;
        return true;
    });
    result.outcome = done == SettingsStore::Update::Written  ? Outcome::Done
                     : done == SettingsStore::Update::Failed ? Outcome::Failed
                                                             : Outcome::Declined;
    if (result.outcome != Outcome::Done)
        result.written = 0;
    result.cancelled = stopped;
    return result;
}

#include "core/records/FillUpTable.h"

#include "core/frame/Conversions.h"
#include "core/frame/Memory.h"
#include "core/records/FillUp.h"
#include "core/records/FillUpRecords.h"

#include <algorithm>
#include <unordered_map>

namespace
{
constexpr qint64 kMaxRecord = std::numeric_limits<qint32>::max();
const char16_t* const kPrefixes[] = {u"Date", u"Tanko", u"Pay", u"PayCom", u"Kms", u"Ltrs"};
const char* const kFolded[] = {"date", "tanko", "pay", "paycom", "kms", "ltrs"};

int keyOf(QByteArrayView letters)
{
    for (int k = 0; k < FillUpTable::KeyCount; ++k)
        if (letters == kFolded[k])
            return k;
    return -1;
}

// n of a key prefix & n, written as the program writes it: digits without
// sign or leading zero, 1 to 2^31 - 1.
std::optional<qint64> numberOf(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 10 || digits[0] == '0')
        return std::nullopt;
    qint64 n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n <= kMaxRecord ? std::optional(n) : std::nullopt;
}

} // namespace

bool FillUpTable::read(const SettingsStore& store, const QString& user)
{
    m_user = user;
    m_records.clear();
    m_buffer.clear();
    m_last = 0;
    m_seen = store.othersChanges();
    std::vector<Record> records;
    // Most records have five keys of some eight characters.
    const qint64 keys = store.keyEstimate(user);
    records.reserve(size_t(keys / 5 + 16));
    m_buffer.reserve(keys * 8);
    PreferLargePages(records.data(), records.capacity() * sizeof(Record));
    PreferLargePages(m_buffer.constData(), size_t(m_buffer.capacity()) * sizeof(QChar));
    // A record's keys mostly follow each other in the file; numbers far
    // beyond the others (a hand edit) are not given room in the array.
    std::vector<qint32> where;
    std::unordered_map<qint64, size_t> far;
    std::optional<QString> count;
    qint64 highest = 0;
    const bool ok = store.scan(user, [&](QByteArrayView key, QByteArrayView value, qint64 row) {
        if (key == "totentry") {
            count = QString::fromUtf8(value);
            return;
        }
        qsizetype letters = 0;
        while (letters < key.size() && key[letters] >= 'a' && key[letters] <= 'z')
            ++letters;
        const int k = keyOf(key.first(letters));
        const std::optional<qint64> n = k < 0 ? std::nullopt : numberOf(key.sliced(letters));
        if (!n)
            return;
        size_t index = records.size();
        if (*n < qint64(where.size()) && where[size_t(*n)] >= 0) {
            index = size_t(where[size_t(*n)]);
        } else if (const auto it = far.find(*n); it != far.end()) {
            index = it->second;
        } else {
            records.emplace_back().number = *n;
            if (*n < qint64(4 * records.size() + 4096)) {
                if (*n >= qint64(where.size()))
                    where.resize(size_t(*n) + 1, -1);
                where[size_t(*n)] = qint32(index);
            } else {
                far.emplace(*n, index);
            }
        }
        Record& record = records[index];
        record.at[size_t(k)] = quint32(m_buffer.size());
        // Nearly every stored text is ASCII, and appended without a copy of its own.
        if (std::all_of(value.begin(), value.end(), [](char c) { return uchar(c) < 0x80; }))
            m_buffer.append(QLatin1StringView(value.data(), value.size()));
        else
            m_buffer += QString::fromUtf8(value);
        record.size[size_t(k)] = qint32(m_buffer.size() - record.at[size_t(k)]);
        record.row[size_t(k)] = row;
        highest = std::max(highest, *n);
    });
    if (!ok) {
        m_buffer.clear();
        return false;
    }
    // As LastRecordNumber reads it: the counter when it can be used, none when absent.
    m_last = count ? StoredRecordCount(*count).value_or(highest) : 0;
    std::erase_if(records, [this](const Record& r) { return r.number > m_last; });
    const auto byNumber = [](const Record& a, const Record& b) { return a.number < b.number; };
    if (!std::is_sorted(records.begin(), records.end(), byNumber))
        std::sort(records.begin(), records.end(), byNumber);
    for (Record& record : records)
        parse(record);
    m_records = std::move(records);
    return true;
}

void FillUpTable::parse(Record& record) const
{
    record.unreadable = 0;
    const auto number = [&](int key, double& value) {
        const QStringView text = this->text(record, key);
        value = NAN;
        if (text.isEmpty())
            return;
        // A whole number of a few digits (most distances and litres) is read here.
        if (text.size() <= 9 && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
            value = 0;
            for (QChar c : text)
                value = value * 10 + (c.unicode() - u'0');
            return;
        }
        if (const std::optional<double> read = StoredNumber(text))
            value = *read;
        else
            record.unreadable |= quint8(1 << key);
    };
    number(Tanko, record.conso);
    number(Pay, record.euro);
    number(Kms, record.km);
    number(Ltrs, record.l);
    record.day = Record::NoDay;
    if (const QStringView date = text(record, Date); !date.isEmpty()) {
        if (const std::optional<QDate> day = ReadFillUpDate(date))
            record.day = day->toJulianDay();
        else
            record.unreadable |= quint8(1 << Date);
    }
}

QStringView FillUpTable::text(const Record& record, int key) const
{
    const qint32 size = record.size[size_t(key)];
    if (size < 0)
        return {};
    if (size == 0)
        return u"";
    return QStringView(m_buffer).sliced(record.at[size_t(key)], size);
}

FillUpTable::Texts FillUpTable::texts(size_t position) const
{
    Texts out;
    for (int k = 0; k < KeyCount; ++k)
        out[size_t(k)] = text(m_records[position], k).toString();
    return out;
}

FillUpTable::Record FillUpTable::make(const Texts& texts)
{
    Record record;
    for (int k = 0; k < KeyCount; ++k) {
        if (texts[size_t(k)].isNull())
            continue;
        record.at[size_t(k)] = quint32(m_buffer.size());
        m_buffer += texts[size_t(k)];
        record.size[size_t(k)] = qint32(texts[size_t(k)].size());
    }
    parse(record);
    return record;
}

// Room for the records after an edit, filled at once.
std::vector<FillUpTable::Record> FillUpTable::room(size_t size)
{
    std::vector<Record> records;
    records.reserve(size);
    PreferLargePages(records.data(), size * sizeof(Record));
    return records;
}

FillUpTable::Outcome FillUpTable::replace(SettingsStore& store, size_t position, const Texts& texts)
{
    std::vector<Record> after = room(m_records.size());
    after.insert(after.end(), m_records.begin(), m_records.end());
    after[position] = make(texts);
    return commit(store, after);
}

FillUpTable::Outcome FillUpTable::remove(SettingsStore& store, size_t position)
{
    std::vector<Record> after = room(m_records.size());
    after.insert(after.end(), m_records.begin(), m_records.begin() + qsizetype(position));
    after.insert(after.end(), m_records.begin() + qsizetype(position) + 1, m_records.end());
    return commit(store, after);
}

FillUpTable::Outcome FillUpTable::insert(SettingsStore& store, size_t position, const Texts& texts)
{
    std::vector<Record> after = room(m_records.size() + 1);
    after.insert(after.end(), m_records.begin(), m_records.begin() + qsizetype(position));
    after.push_back(make(texts));
    after.insert(after.end(), m_records.begin() + qsizetype(position), m_records.end());
    return commit(store, after);
}

FillUpTable::Outcome FillUpTable::commit(SettingsStore& store, std::vector<Record>& after)
{
    bool elsewhere = false;
    const SettingsStore::Update done = store.edit([&](const SettingsStore& current, SettingsStore::Writer& out) {
        // Another program's change may have moved what the user chose.
        elsewhere = isStale(current);
        if (!elsewhere)
            writeDifferences(current, out, after);
        return !elsewhere;
    });
    if (elsewhere)
        return Outcome::ChangedElsewhere;
    if (done != SettingsStore::Update::Written)
        return Outcome::Failed;
    m_records = std::move(after);
    m_last = qint64(m_records.size());
    return Outcome::Done;
}

const FillUpTable::Record* FillUpTable::stored(qint64 number) const
{
    if (number >= 1 && number <= qint64(m_records.size()) && m_records[size_t(number - 1)].number == number)
        return &m_records[size_t(number - 1)];
    const auto it = std::lower_bound(m_records.begin(), m_records.end(), number,
                                     [](const Record& r, qint64 n) { return r.number < n; });
    return it != m_records.end() && it->number == number ? &*it : nullptr;
}

// Only the keys whose text changes are written: removing the first of
// 100,000 fill-ups rewrites what moves, not what stays.
void FillUpTable::writeDifferences(const SettingsStore& store, SettingsStore::Writer& out,
                                   std::vector<Record>& after) const
{
    for (size_t j = 0; j < after.size(); ++j) {
        Record& next = after[j];
        const qint64 n = qint64(j) + 1;
        const Record* now = stored(n);
        for (int k = 0; k < KeyCount; ++k) {
            const QStringView wanted = text(next, k);
            QStringView held;
            qint64 row = 0;
            if (now) {
                held = text(*now, k);
                row = now->row[size_t(k)];
            } else if (n > m_last) {
                // Beyond the old count a key may have been left by a hand edit.
                if (const QString* stray = store.find(m_user, NumberedKey(kPrefixes[k], n)))
                    held = *stray;
            }
            if (wanted.isNull() && !held.isNull())
                out.remove(m_user, NumberedKey(kPrefixes[k], n), row);
            else if (!wanted.isNull() && (held.isNull() || held != wanted))
                out.set(m_user, NumberedKey(kPrefixes[k], n), wanted, row);
            next.row[size_t(k)] = !wanted.isNull() && !held.isNull() ? row : 0;
        }
        next.number = n;
    }
    for (const Record& gone : m_records)
        if (gone.number > qint64(after.size()))
            for (int k = 0; k < KeyCount; ++k)
                if (gone.has(k))
                    out.remove(m_user, NumberedKey(kPrefixes[k], gone.number), gone.row[size_t(k)]);
    const QString count = LocaleText(double(after.size()));
    const QString* held = store.find(m_user, u"TotEntry");
    if (!held || *held != count)
        out.set(m_user, u"TotEntry", count);
}

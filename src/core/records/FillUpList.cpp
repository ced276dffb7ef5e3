#include "core/records/FillUpList.h"

#include "core/frame/Conversions.h"
#include "core/frame/Memory.h"
#include "core/records/FillUpKeys.h"
#include "core/records/FillUps.h"

#include <algorithm>
#include <unordered_map>

namespace
{
int fieldOf(QByteArrayView letters)
{
    for (int f = 0; f < FillUpList::FieldCount; ++f)
        if (letters == FillUpKeys::Folded[f])
            return f;
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
    return n <= FillUps::MaxRecord ? std::optional(n) : std::nullopt;
}

// Where the scan puts the keys of each record: they mostly follow each other
// in the file; numbers far beyond the others (a hand edit) get no room in the
// array.
struct Placer
{
    std::vector<qint32> where;
    std::unordered_map<qint64, size_t> far;

    template <typename Records> size_t place(Records& records, qint64 n)
    {
        if (n < qint64(where.size()) && where[size_t(n)] >= 0)
            return size_t(where[size_t(n)]);
        if (const auto it = far.find(n); it != far.end())
            return it->second;
        const size_t index = records.size();
        records.emplace_back().number = n;
        if (n < qint64(4 * records.size() + 4096)) {
            if (n >= qint64(where.size()))
                where.resize(size_t(n) + 1, -1);
            where[size_t(n)] = qint32(index);
        } else {
            far.emplace(n, index);
        }
        return index;
    }
};
} // namespace

bool FillUpList::read(const SettingsStore& store, const QString& user, const LocaleInfo& locale)
{
    m_user = user;
    m_locale = locale;
    m_records.clear();
    m_buffer.clear();
    m_last = 0;
    std::vector<Record> records;
    // Most records have five keys of some eight characters.
    const qint64 keys = store.keyEstimate(user);
    records.reserve(size_t(keys / 5 + 16));
    m_buffer.reserve(keys * 8);
    PreferLargePages(records.data(), records.capacity() * sizeof(Record));
    PreferLargePages(m_buffer.constData(), size_t(m_buffer.capacity()) * sizeof(QChar));
    Placer placer;
    std::optional<QString> count;
    qint64 highest = 0;
    const bool ok = store.scan(user, [&](QByteArrayView key, QByteArrayView value, qint64 row) {
        if (key == FillUpKeys::CountFolded) {
            count = QString::fromUtf8(value); // null when too large to be a count
            return;
        }
        qsizetype letters = 0;
        while (letters < key.size() && key[letters] >= 'a' && key[letters] <= 'z')
            ++letters;
        const int f = fieldOf(key.first(letters));
        const std::optional<qint64> n = f < 0 || value.isNull() ? std::nullopt : numberOf(key.sliced(letters));
        if (!n)
            return;
        Record& record = records[placer.place(records, *n)];
        record.at[size_t(f)] = quint32(m_buffer.size());
        // Nearly every stored text is ASCII, and appended without a copy of its own.
        if (std::all_of(value.begin(), value.end(), [](char c) { return uchar(c) < 0x80; }))
            m_buffer.append(QLatin1StringView(value.data(), value.size()));
        else
            m_buffer += QString::fromUtf8(value);
        record.size[size_t(f)] = qint32(m_buffer.size() - record.at[size_t(f)]);
        record.row[size_t(f)] = row;
        highest = std::max(highest, *n);
    });
    if (!ok) {
        m_buffer.clear();
        return false;
    }
    m_last = FillUps::LastRecord(count, highest, m_locale);
    std::erase_if(records, [this](const Record& r) { return r.number > m_last; });
    const auto byNumber = [](const Record& a, const Record& b) { return a.number < b.number; };
    if (!std::is_sorted(records.begin(), records.end(), byNumber))
        std::sort(records.begin(), records.end(), byNumber);
    for (Record& record : records)
        parse(record);
    m_records = std::move(records);
    return true;
}

void FillUpList::parse(Record& record) const
{
    record.unreadable = 0;
    for (const Field field : {Consumption, Euro, Distance, Litres}) {
        const QStringView text = this->text(record, field);
        double& value = record.value[field];
        value = NAN;
        if (text.isEmpty())
            continue;
        // A whole number of a few digits (most distances and litres) is read here.
        if (text.size() <= 9 && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
            value = 0;
            for (QChar c : text)
                value = value * 10 + (c.unicode() - u'0');
        } else if (const std::optional<double> read = StoredNumber(text, m_locale)) {
            value = *read;
        } else {
            record.unreadable |= quint8(1 << field);
        }
    }
    record.value[Date] = NAN;
    if (const QStringView date = text(record, Date); !date.isEmpty()) {
        if (const std::optional<QDate> day = ReadFillUpDate(date, m_locale))
            record.value[Date] = double(day->toJulianDay());
        else
            record.unreadable |= quint8(1 << Date);
    }
}

QStringView FillUpList::text(const Record& record, int field) const
{
    const qint32 size = record.size[size_t(field)];
    if (size < 0)
        return {};
    if (size == 0)
        return u"";
    return QStringView(m_buffer).sliced(record.at[size_t(field)], size);
}

QStringView FillUpList::text(size_t position, Field field) const
{
    return text(m_records[position], field);
}

FillUp FillUpList::operator[](size_t position) const
{
    const Record& r = m_records[position];
    const auto number = [&](Field field) {
        const double v = r.value[field];
        return Stored<double>{text(r, field).toString(), std::isnan(v) ? std::nullopt : std::optional(v)};
    };
    FillUp out;
    out.number = r.number;
    const double day = r.value[Date];
    out.date = {text(r, Date).toString(),
                std::isnan(day) ? std::nullopt : std::optional(QDate::fromJulianDay(qint64(day)))};
    out.consumption = number(Consumption);
    out.euro = number(Euro);
    out.distance = number(Distance);
    out.litres = number(Litres);
    out.paid = FillUpText::readPaid(text(r, Paid).toString(), m_locale);
    return out;
}

FillUpList::Texts FillUpList::textsOf(const FillUp& f)
{
    return {f.date.text, f.consumption.text, f.euro.text, f.paid.text, f.distance.text, f.litres.text};
}

FillUpList::Texts FillUpList::texts(size_t position) const
{
    Texts out;
    for (int f = 0; f < FieldCount; ++f)
        out[size_t(f)] = text(m_records[position], f).toString();
    return out;
}

FillUpList::Record FillUpList::make(const Texts& texts)
{
    Record record;
    for (int f = 0; f < FieldCount; ++f) {
        if (texts[size_t(f)].isNull())
            continue;
        record.at[size_t(f)] = quint32(m_buffer.size());
        m_buffer += texts[size_t(f)];
        record.size[size_t(f)] = qint32(texts[size_t(f)].size());
    }
    parse(record);
    return record;
}

// Room for the records after an edit, filled at once.
std::vector<FillUpList::Record> FillUpList::room(size_t size) const
{
    std::vector<Record> records;
    records.reserve(size);
    PreferLargePages(records.data(), size * sizeof(Record));
    return records;
}

const FillUpList::Record* FillUpList::stored(qint64 number) const
{
    if (number >= 1 && number <= qint64(m_records.size()) && m_records[size_t(number - 1)].number == number)
        return &m_records[size_t(number - 1)];
    const auto it = std::lower_bound(m_records.begin(), m_records.end(), number,
                                     [](const Record& r, qint64 n) { return r.number < n; });
    return it != m_records.end() && it->number == number ? &*it : nullptr;
}

// Only the keys whose text changes are written: removing the first of
// 100,000 fill-ups rewrites what moves, not what stays.
void FillUpList::writeDifferences(const SettingsStore& store, SettingsStore::Writer& out,
                                  std::vector<Record>& after) const
{
    for (size_t j = 0; j < after.size(); ++j) {
        Record& next = after[j];
        const qint64 n = qint64(j) + 1;
        const Record* now = stored(n);
        for (int f = 0; f < FieldCount; ++f) {
            const QStringView wanted = text(next, f);
            QStringView held;
            qint64 row = 0;
            if (now) {
                held = text(*now, f);
                row = now->row[size_t(f)];
            } else if (n > m_last) {
                // Beyond the old count a key may have been left by a hand edit.
                if (const QString* stray = store.find(m_user, NumberedKey(FillUpKeys::Prefix[f], n)))
                    held = *stray;
            }
            if (wanted.isNull() && !held.isNull())
                out.remove(m_user, NumberedKey(FillUpKeys::Prefix[f], n), row);
            else if (!wanted.isNull() && (held.isNull() || held != wanted))
                out.set(m_user, NumberedKey(FillUpKeys::Prefix[f], n), wanted, row);
            next.row[size_t(f)] = !wanted.isNull() && !held.isNull() ? row : 0;
        }
        next.number = n;
    }
    for (const Record& gone : m_records)
        if (gone.number > qint64(after.size()))
            for (int f = 0; f < FieldCount; ++f)
                if (gone.size[size_t(f)] >= 0)
                    out.remove(m_user, NumberedKey(FillUpKeys::Prefix[f], gone.number), gone.row[size_t(f)]);
    const QString count = LocaleText(double(after.size()), m_locale);
    const QString* held = store.find(m_user, FillUpKeys::Count);
    if (!held || *held != count)
        out.set(m_user, FillUpKeys::Count, count);
}

void FillUpList::adopt(std::vector<Record>&& after)
{
    m_records = std::move(after);
    m_last = qint64(m_records.size());
}

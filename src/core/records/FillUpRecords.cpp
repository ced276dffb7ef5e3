#include "core/records/FillUpRecords.h"

#include "core/frame/Conversions.h"
#include "core/records/FillUpTable.h"

#include <cmath>

namespace
{
std::optional<double> meaning(double value)
{
    return std::isnan(value) ? std::nullopt : std::optional(value);
}

StoredFillUp fromTable(const FillUpTable& table, const FillUpTable::Record& t)
{
    StoredFillUp r;
    r.number = t.number;
    r.date = table.text(t, FillUpTable::Date).toString();
    r.consumption = table.text(t, FillUpTable::Tanko).toString();
    r.amount = table.text(t, FillUpTable::Pay).toString();
    r.paid = table.text(t, FillUpTable::PayCom).toString();
    r.distance = table.text(t, FillUpTable::Kms).toString();
    r.litres = table.text(t, FillUpTable::Ltrs).toString();
    if (t.day != FillUpTable::Record::NoDay)
        r.day = QDate::fromJulianDay(t.day);
    r.km = meaning(t.km);
    r.l = meaning(t.l);
    r.conso = meaning(t.conso);
    r.euro = meaning(t.euro);
    return r;
}
} // namespace

std::vector<StoredFillUp> ReadFillUps(const SettingsStore& store, const QString& user)
{
    std::vector<StoredFillUp> records;
    ForEachFillUp(store, user, [&records](const StoredFillUp& r) { records.push_back(r); });
    return records;
}

void ForEachFillUp(const SettingsStore& store, const QString& user, const std::function<void(const StoredFillUp&)>& f)
{
    FillUpTable table;
    table.read(store, user);
    for (size_t i = 0; i < table.size(); ++i)
        f(fromTable(table, table[i]));
}

// Runs for every record the log reads: the words are found without a list
// of them, and the month is looked up in each language in turn.
std::optional<QDate> ReadFillUpDate(QStringView text, const LocaleInfo& locale)
{
    QStringView words[3]; // day, month, year: the last three
    int found = 0;
    qsizetype end = text.size();
    while (found < 3) {
        while (end > 0 && text[end - 1] == u' ')
            --end;
        if (end == 0)
            return std::nullopt;
        qsizetype start = end;
        while (start > 0 && text[start - 1] != u' ')
            --start;
        words[2 - found++] = text.sliced(start, end - start);
        end = start;
    }
    bool dayOk = false, yearOk = false;
    const int day = words[0].toInt(&dayOk);
    const int year = words[2].toInt(&yearOk);
    if (!dayOk || !yearOk)
        return std::nullopt;
    static const LocaleInfo languages[] = {LocaleInfo::english(), LocaleInfo::french(), LocaleInfo::dutch()};
    const auto monthIn = [&](const LocaleInfo& names) {
        for (int m = 0; m < names.monthNames.size(); ++m)
            if (words[1].compare(names.monthNames[m], Qt::CaseInsensitive) == 0)
                return m + 1;
        return 0;
    };
    int month = monthIn(locale);
    for (const LocaleInfo& other : languages)
        if (month == 0)
            month = monthIn(other);
    const QDate date(year, month, day);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

QString PlainNumberText(double number)
{
    return StrNumber(number).trimmed();
}

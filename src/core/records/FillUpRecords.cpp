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

void ForEachFillUp(const SettingsStore& store, const QString& user, const std::function<void(const StoredFillUp&)>& f)
{
    FillUpTable table;
    table.read(store, user);
    for (size_t i = 0; i < table.size(); ++i)
        f(fromTable(table, table[i]));
}

// A date stored under another of the three languages reads too.
std::optional<QDate> ReadFillUpDate(QStringView text, const LocaleInfo& locale)
{
    static const LocaleInfo languages[] = {LocaleInfo::english(), LocaleInfo::french(), LocaleInfo::dutch()};
    QDate date = DateFromText(text, locale);
    for (const LocaleInfo& other : languages)
        if (!date.isValid())
            date = DateFromText(text, other);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

QString PlainNumberText(double number)
{
    return StrNumber(number).trimmed();
}

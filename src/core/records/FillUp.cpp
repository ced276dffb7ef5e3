#include "core/records/FillUp.h"

#include "core/records/FillUpRecords.h"

#include "core/frame/StringTable.h"
#include "core/fuel/FuelCalc.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr qint64 kMaxRecord = std::numeric_limits<qint32>::max();
const char16_t* const kRecordKeys[] = {u"Date", u"Tanko", u"Pay", u"PayCom", u"Kms", u"Ltrs"};

// Record numbers that a key prefix & n carries, 1 to 2^31 - 1.
std::vector<qint64> numbersOf(const SettingsStore& store, const QString& user, QStringView prefix)
{
    std::vector<qint64> numbers = store.keyNumbers(user, prefix);
    std::erase_if(numbers, [](qint64 n) { return n < 1 || n > kMaxRecord; });
    return numbers;
}

} // namespace

// Without its grouping, so that every stored number has at most one
// separator and reads back under any locale.
QString StoredEuroAmount(const QString& typed)
{
    if (typed.isEmpty())
        return QStringLiteral("0");
    QString out;
    for (QChar c : typed)
        if (c == userLocale().decimalSeparator || !userLocale().isGroupSeparator(c))
            out += c;
    return out;
}

std::optional<qint64> StoredRecordCount(QStringView text)
{
    const std::optional<double> count = StoredNumber(text);
    if (count && *count >= 0 && *count <= double(kMaxRecord) && std::trunc(*count) == *count)
        return qint64(*count);
    return std::nullopt;
}

qint64 LastRecordNumber(const SettingsStore& store, const QString& user)
{
    const QString* stored = store.find(user, u"TotEntry");
    if (!stored)
        return 0;
    if (const std::optional<qint64> count = StoredRecordCount(*stored))
        return *count;
    qint64 highest = 0;
    for (const char16_t* prefix : kRecordKeys) {
        const std::vector<qint64> numbers = numbersOf(store, user, prefix);
        if (!numbers.empty())
            highest = std::max(highest, numbers.back());
    }
    return highest;
}

std::optional<std::vector<SettingsStore::Write>> FillUpWrites(const FillUpEntry& entry, const SettingsStore& store)
{
    const bool converted = entry.currencyName != u"Euro";
    if (CheckAmount(entry.amount, converted, entry.euroFactor) != AmountProblem::None)
        return std::nullopt;
    const qint64 last = LastRecordNumber(store, entry.user);
    if (last >= kMaxRecord)
        return std::nullopt;
    QString pay = QStringLiteral("0");
    QString payCom;
    if (!entry.amount.isEmpty()) {
        if (!converted) {
            pay = StoredEuroAmount(entry.amount); // otherwise as typed
        } else {
            pay = LocaleText(EuroValue(entry.amount, entry.euroFactor));
            payCom = entry.amount + u' ' + entry.currencyName;
        }
    }
    std::vector<SettingsStore::Write> writes{{entry.user, QStringLiteral("TotEntry"), LocaleText(double(last + 1))}};
    const RecordValues record{entry.date,  FormatPattern(entry.conso, u"00.00"), pay, payCom, entry.distance,
                              entry.litres};
    const std::vector<SettingsStore::Write> keys = RecordWrites(entry.user, last + 1, record, store);
    writes.insert(writes.end(), keys.begin(), keys.end());
    return writes;
}

std::vector<SettingsStore::Write> RecordWrites(const QString& user, qint64 number, const RecordValues& record,
                                               const SettingsStore& store)
{
    const QString n = QString::number(number);
    std::vector<SettingsStore::Write> writes{
        {user, QStringLiteral("Date") + n, record.date},
        {user, QStringLiteral("Tanko") + n, record.consumption},
        {user, QStringLiteral("Pay") + n, record.pay},
    };
    // What the fill-up was made of; empty where it is not known (only an
    // amount typed). A record number reused after a hand-edited count must not
    // inherit the old record's keys.
    const std::pair<const char16_t*, QString> optional[] = {
        {u"PayCom", record.payCom},
        {u"Kms", record.distance > 0 ? PlainNumberText(record.distance) : QString()},
        {u"Ltrs", record.litres > 0 ? PlainNumberText(record.litres) : QString()}};
    for (const auto& [prefix, value] : optional) {
        if (!value.isEmpty() || store.findNumbered(user, prefix, number))
            writes.push_back({user, QString::fromUtf16(prefix) + n, value, value.isEmpty()});
    }
    return writes;
}

TotalAverage ComputeTotalAverage(const SettingsStore& store, const QString& user)
{
    TotalAverage result;
    const qint64 last = LastRecordNumber(store, user);
    const LocaleInfo& locale = userLocale();
    double sum = 0;
    int count = 0;
    for (qint64 i : numbersOf(store, user, u"Tanko")) {
        if (i > last)
            break;
        const QString* text = store.findNumbered(user, u"Tanko", i);
        const std::optional<double> conso = text ? StoredNumber(*text, locale) : std::nullopt;
        if (!conso || *conso == 0)
            continue;
        ++count;
        sum += *conso;
    }
    if (!std::isfinite(sum)) {
        result.text = LocalizedText(Text::Error);
        return result;
    }
    result.MoyTot = count > 0 ? sum / count : 0;
    const double avg = result.MoyTot;
    if (avg == 0)
        result.text = LocalizedText(Text::NoSavedData);
    else if (avg >= 1)
        result.text =
            FormatPattern(avg, u"00.00") + u' ' + LocalizedText(avg == 1 ? Text::Liter : Text::Liters) + QStringLiteral(" / 100 Kms");
    else
        result.text = LocaleText(avg);
    return result;
}

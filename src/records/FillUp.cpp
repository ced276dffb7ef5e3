#include "records/FillUp.h"

#include "frame/StringTable.h"

#include <limits>

std::optional<std::vector<SettingsStore::Write>> FillUpWrites(const FillUpEntry& entry)
{
    qint32 count = 0;
    try {
        count = LocaleWholeNumber(GetSetting(u"Tanko", entry.user, u"TotEntry", 0));
        if (count == std::numeric_limits<qint32>::max())
            throw VbError(VbError::Overflow);
        const QString n = QString::number(count + 1);
        QString pay = QStringLiteral("0");
        QString payCom;
        if (!entry.amount.isEmpty()) {
            if (entry.currencyName == u"Euro")
                pay = entry.amount; // as typed, whatever its separator
            else {
                pay = LocaleText(EuroValue(entry.amount, entry.euroFactor));
                payCom = entry.amount + u' ' + entry.currencyName;
            }
        }
        std::vector<SettingsStore::Write> writes{
            {entry.user, QStringLiteral("TotEntry"), LocaleText(count + 1)},
            {entry.user, QStringLiteral("Date") + n, entry.date},
            {entry.user, QStringLiteral("Tanko") + n, FormatPattern(entry.conso, u"00.00")},
            {entry.user, QStringLiteral("Pay") + n, pay},
        };
        // A record number reused after a hand-edited count must not inherit
        // the old record's foreign amount.
        if (!payCom.isEmpty() || !GetSetting(u"Tanko", entry.user, QString(QStringLiteral("PayCom") + n), "").isEmpty())
            writes.push_back({entry.user, QStringLiteral("PayCom") + n, payCom});
        return writes;
    } catch (const VbError&) {
        return std::nullopt;
    }
}

qint64 StoredRecordCount(const SettingsStore& store, const QString& user)
{
    const QString* stored = store.find(user, u"TotEntry");
    if (!stored)
        return 0;
    try {
        return std::max<qint64>(LocaleWholeNumber(*stored), 0);
    } catch (const VbError&) {
        return 0;
    }
}

TotalAverage ComputeTotalAverage(const SettingsStore& store, const QString& user)
{
    TotalAverage result;
    // A count edited by hand beyond the records there are reads no further.
    const qint64 n = std::min<qint64>(StoredRecordCount(store, user), store.numberedEnd(user, u"Tanko") - 1);
    double sum = 0;
    int count = 0;
    for (qint64 i = 1; i <= n; ++i) {
        const QString* t = store.findNumbered(user, u"Tanko", i);
        if (!t)
            continue;
        const std::optional<double> conso = tryLocaleNumber(*t);
        if (!conso || *conso == 0)
            continue;
        ++count;
        sum += *conso;
    }
    result.MoyTot = count > 0 ? sum / count : 0;
    const double avg = result.MoyTot;
    if (avg == 0)
        result.text = LocalizedText(192);
    else if (avg >= 1)
        result.text =
            FormatPattern(avg, u"00.00") + u' ' + LocalizedText(avg == 1 ? 195 : 198) + QStringLiteral(" / 100 Kms");
    else
        result.text = LocaleText(avg);
    return result;
}

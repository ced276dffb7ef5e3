#include "core/records/FillUpEdits.h"

#include "core/frame/Conversions.h"
#include "core/frame/StringTable.h"
#include "core/fuel/FuelCalc.h"
#include "core/records/FillUp.h"
#include "core/records/FillUpRecords.h"

#include <QDate>

namespace
{
using Key = FillUpTable::Key;

// A value in the user's notation, or its stored text when it reads as nothing.
QString shownNumber(const FillUpTable& records, const FillUpTable::Record& r, int key, double value, bool zeroIsNone)
{
    if (r.isUnreadable(key))
        return records.text(r, key).toString();
    if (std::isnan(value) || (zeroIsNone && value == 0))
        return QString();
    return key == Key::Tanko ? FormatPattern(value, u"00.00") : LocaleText(value);
}

QString measured(double value)
{
    return value > 0 ? PlainNumberText(value) : QString();
}
} // namespace

FillUpFields FieldsOf(const FillUpTable& records, size_t position)
{
    const FillUpTable::Record& r = records[position];
    FillUpFields fields;
    fields.date = r.day != FillUpTable::Record::NoDay ? FormatPattern(QDate::fromJulianDay(r.day), u"dd mmmm yyyy")
                                                      : records.text(r, Key::Date).toString();
    fields.distance = shownNumber(records, r, Key::Kms, r.km, false);
    fields.litres = shownNumber(records, r, Key::Ltrs, r.l, false);
    fields.consumption = shownNumber(records, r, Key::Tanko, r.conso, true);
    fields.amount = shownNumber(records, r, Key::Pay, r.euro, true);
    return fields;
}

FillUpCheck CheckCorrection(const FillUpTable::Texts& stored, const FillUpFields& shown, const FillUpFields& typed)
{
    FillUpCheck out;
    out.texts = stored;
    const AmountProblem amount = CheckAmount(typed.amount, false, 1);
    QString consumption, distance, litres;
    const bool measuredNow = !typed.distance.isEmpty() || !typed.litres.isEmpty();
    if (measuredNow) {
        // As the main window reads a total distance typed without a departure.
        FuelValues values;
        const EntryTexts texts{QString(), typed.distance, typed.litres, typed.amount};
        const CaptionOutcome kms = CalcKms(values, texts);
        const CaptionOutcome ltrs = CalLtrs(values, texts, kms.caption.value_or(LocalizedText(Text::NoValidDistance)), amount);
        out.caption = kms.failed ? LocalizedText(Text::Error) : ltrs.caption.value_or(QString());
        out.ok = !kms.failed && !ltrs.failed && ltrs.saveEnabled;
        if (!out.ok)
            return out;
        consumption = FormatPattern(values.Conso, u"00.00");
        distance = measured(values.TotKms.toNumber());
        litres = measured(values.Ltrs.toNumber());
    } else {
        double conso = 0;
        try {
            conso = FieldNumber(typed.consumption).toNumber();
        } catch (const VbError&) {
            conso = -1;
        }
        consumption = conso >= 0 ? FormatPattern(conso, u"00.00") : QString();
        if (conso < 0 || !tryLocaleNumber(consumption) || amount != AmountProblem::None) {
            out.caption = LocalizedText(Text::Error);
            return out;
        }
        out.caption = conso == 0
                          ? LocalizedText(Text::AmountImpossible)
                          : consumption + u' ' + LocalizedText(conso == 1 ? Text::Liter : Text::Liters) + QStringLiteral(" / 100 Kms");
        out.ok = conso > 0 || !typed.amount.isEmpty();
        if (!out.ok)
            return out;
    }
    const auto keep = [&](Key key, bool same, const QString& text) {
        if (!same)
            out.texts[key] = text.isEmpty() ? QString() : text;
    };
    keep(Key::Date, typed.date == shown.date, typed.date);
    keep(Key::Kms, typed.distance == shown.distance, distance);
    keep(Key::Ltrs, typed.litres == shown.litres, litres);
    // Worked out from the distance and the litres, the consumption field only shows it.
    keep(Key::Tanko,
         typed.distance == shown.distance && typed.litres == shown.litres &&
             (measuredNow || typed.consumption == shown.consumption),
         consumption);
    if (typed.amount != shown.amount) {
        out.texts[Key::Pay] = StoredEuroAmount(typed.amount);
        // The amount as paid abroad no longer matches it.
        out.texts[Key::PayCom] = QString();
    }
    return out;
}

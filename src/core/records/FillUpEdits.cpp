#include "core/records/FillUpEdits.h"

#include "core/frame/Conversions.h"
#include "core/fuel/FuelCalc.h"

namespace
{
// A value in the user's notation, or its stored text when it reads as nothing.
Stored<double> shownNumber(const Stored<double>& stored, const LocaleInfo& locale, bool zeroIsNone,
                           const char16_t* pattern = nullptr)
{
    if (stored.isUnreadable())
        return stored;
    if (!stored.value || (zeroIsNone && *stored.value == 0))
        return {QString(), std::nullopt};
    return {pattern ? FormatPattern(*stored.value, pattern, locale) : LocaleText(*stored.value, locale), stored.value};
}

// The consumption, distance and litres a correction leaves, worked out as the
// main window works them out; false with the caption when it cannot be saved.
bool measure(const FillUp& typed, const Speech& speech, FillUpCheck& out, FillUp& result)
{
    const LocaleInfo& locale = speech.locale;
    const AmountProblem amount = CheckAmount(typed.euro.text, false, 1, locale);
    if (!typed.distance.text.isEmpty() || !typed.litres.text.isEmpty()) {
        // As the main window reads a total distance typed without a departure.
        FuelValues values;
        const EntryTexts texts{QString(), typed.distance.text, typed.litres.text, typed.euro.text};
        const CaptionOutcome kms = CalcKms(values, texts, speech);
        const CaptionOutcome ltrs = CalLtrs(values, texts, kms.failed, amount, speech);
        out.caption = kms.failed ? speech.text(Text::Error) : ltrs.caption.value_or(Caption{}).text;
        if (kms.failed || ltrs.failed || !ltrs.saveEnabled)
            return false;
        result.consumption = FillUpText::consumption(values.Conso.toNumber(locale), locale);
        result.distance = FillUpText::measured(values.TotKms.toNumber(locale));
        result.litres = FillUpText::measured(values.Ltrs.toNumber(locale));
        return true;
    }
    double conso = -1;
    try {
        conso = FieldNumber(typed.consumption.text, locale).toNumber(locale);
    } catch (const ConversionError&) {
    }
    result.consumption = FillUpText::consumption(std::max(conso, 0.0), locale);
    if (conso < 0 || !result.consumption.value || amount != AmountProblem::None) {
        out.caption = speech.text(Text::Error);
        return false;
    }
    out.caption = conso == 0 ? speech.text(Text::AmountImpossible)
                             : result.consumption.text + u' ' + speech.text(conso == 1 ? Text::Liter : Text::Liters) +
                                   QStringLiteral(" / 100 Kms");
    return conso > 0 || !typed.euro.text.isEmpty();
}
} // namespace

FillUp Shown(const FillUp& stored, const LocaleInfo& locale)
{
    FillUp shown = stored;
    if (stored.date.value)
        shown.date = FillUpText::date(*stored.date.value, locale);
    shown.distance = shownNumber(stored.distance, locale, false);
    shown.litres = shownNumber(stored.litres, locale, false);
    shown.consumption = shownNumber(stored.consumption, locale, true, u"00.00");
    shown.euro = shownNumber(stored.euro, locale, true);
    return shown;
}

FillUpCheck CheckCorrection(const FillUp& stored, const FillUp& shown, const FillUp& typed, const Speech& speech)
{
    FillUpCheck out;
    out.fillUp = stored;
    FillUp measured;
    out.ok = measure(typed, speech, out, measured);
    const bool sameDistance = typed.distance.text == shown.distance.text;
    const bool sameLitres = typed.litres.text == shown.litres.text;
    // Worked out from the distance and the litres, the consumption field only shows it.
    const bool fromMeasures = !typed.distance.text.isEmpty() || !typed.litres.text.isEmpty();
    // New litres without a distance (or the reverse) would make a counted
    // consumption "00.00" and take the fill-up out of every average. An
    // error shown says more.
    const bool counted = stored.consumption.value.value_or(0) > 0;
    if (fromMeasures && (!sameDistance || !sameLitres) && counted && (out.ok || out.caption.isEmpty()) &&
        measured.consumption.value.value_or(0) == 0) {
        out.ok = false;
        out.caption = speech.text(typed.distance.text.isEmpty() ? Text::NeedsDistance : Text::NeedsLitres);
    }
    if (!out.ok)
        return out;
    FillUp& f = out.fillUp;
    if (typed.date.text != shown.date.text)
        f.date = FillUpText::date(typed.date.text, speech.locale);
    if (!sameDistance)
        f.distance = measured.distance;
    if (!sameLitres)
        f.litres = measured.litres;
    if (!sameDistance || !sameLitres || (!fromMeasures && typed.consumption.text != shown.consumption.text))
        f.consumption = measured.consumption;
    if (typed.euro.text != shown.euro.text) {
        f.euro = FillUpText::typedEuro(typed.euro.text, speech.locale);
        // The amount as paid abroad no longer matches it.
        f.paid = {};
    }
    return out;
}

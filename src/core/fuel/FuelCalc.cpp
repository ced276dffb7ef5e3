#include "core/fuel/FuelCalc.h"

#include <cmath>

AmountProblem CheckAmount(const QString& amount, bool converted, const NumberOrText& factor, const LocaleInfo& locale)
{
    if (amount.isEmpty())
        return AmountProblem::None;
    if (!tryLocaleNumber(amount, locale))
        return AmountProblem::NotANumber;
    if (!converted)
        return AmountProblem::None;
    const std::optional<double> rate =
        factor.isText() ? StoredNumber(factor.toText(locale), locale) : factor.toNumber(locale);
    if (!rate || !(*rate > 0))
        return AmountProblem::RateUnusable;
    try {
        EuroValue(amount, factor, locale);
    } catch (const ConversionError&) {
        return AmountProblem::TooLarge;
    }
    return AmountProblem::None;
}

QString AmountProblemText(AmountProblem problem, const Speech& speech)
{
    switch (problem) {
    case AmountProblem::NotANumber:
        return speech.text(Text::AmountNotNumber);
    case AmountProblem::RateUnusable:
        return speech.text(Text::RateUnusable);
    case AmountProblem::TooLarge:
        return speech.text(Text::AmountTooLarge);
    case AmountProblem::None:
        break;
    }
    return QString();
}

NumberOrText FieldNumber(const QString& text, const LocaleInfo& locale)
{
    if (text.isEmpty())
        return 0;
    // Read in the user's notation, then back through the "." text.
    const double typed = LocaleNumber(text, locale);
    const double number = ValText(StrNumber(typed));
    if (number == 0 && typed != 0)
        throw ConversionError(ConversionError::Overflow); // the 15-digit text rounded beyond the range
    return number;
}

CaptionOutcome CalcKms(FuelValues& values, const EntryTexts& texts, const Speech& speech)
{
    CaptionOutcome out;
    const LocaleInfo& locale = speech.locale;
    try {
        values.KmsDep = FieldNumber(texts[0], locale);
        values.KmsArr = FieldNumber(texts[1], locale);
        const double dep = values.KmsDep.toNumber(locale);
        const double arr = values.KmsArr.toNumber(locale);
        values.TotKms = 0;
        if (arr > dep && arr > 0) {
            if (!std::isfinite(arr - dep))
                throw ConversionError(ConversionError::Overflow);
            values.TotKms = arr - dep;
        }
    } catch (const ConversionError&) {
        out.caption = Caption{speech.text(Text::Error), true};
        out.failed = true;
        return out;
    }
    const double total = values.TotKms.toNumber(locale);
    if (total == 1)
        out.caption = Caption{StrNumber(total) + QStringLiteral(" Km")};
    else if (total > 1)
        out.caption = Caption{StrNumber(total) + QStringLiteral(" Kms")};
    else if (total == 0)
        out.caption = Caption{speech.text(Text::NoValidDistance)};
    // A distance between 0 and 1 leaves the caption as it was.
    return out;
}

std::optional<QString> ConsumptionText(double litres, double distance, const LocaleInfo& locale)
{
    if (!(litres > 0 && distance > 0))
        return FormatPattern(0, u"00.00", locale);
    const double perHundred = litres * 100 / distance;
    // The rounded text must read back: 15 digits may carry it beyond the range.
    const QString text = FormatPattern(perHundred, u"00.00", locale);
    if (!std::isfinite(perHundred) || !tryLocaleNumber(text, locale))
        return std::nullopt;
    return text;
}

namespace
{
// Rows A to F of the save rule: the caption and the save button by the
// consumption and which fields are filled.
void applySaveRule(CaptionOutcome& out, double conso, const FuelValues& values, const EntryTexts& texts,
                   const Speech& speech)
{
    const bool arrival = !texts[1].isEmpty(), litresTyped = !texts[2].isEmpty(), amountTyped = !texts[3].isEmpty();
    if (conso != 0) {
        const Text::Id unit = conso == 1 ? Text::Liter : Text::Liters;
        out.caption = Caption{FormatPattern(values.Conso, u"00.00", speech.locale) + u' ' + speech.text(unit) +
                              QStringLiteral(" / 100 Kms")};
        out.saveEnabled = true;
    } else if (arrival && litresTyped && amountTyped) {
        out.caption = Caption{speech.text(Text::AmountImpossible)};
        out.saveEnabled = false;
    } else if (!arrival && !litresTyped && amountTyped) {
        out.caption = Caption{speech.text(Text::AmountImpossible)};
        out.saveEnabled = true;
    } else {
        out.caption = Caption{};
        out.saveEnabled = amountTyped;
    }
}
} // namespace

CaptionOutcome CalLtrs(FuelValues& values, const EntryTexts& texts, bool distanceError, AmountProblem amount,
                       const Speech& speech)
{
    CaptionOutcome out;
    const LocaleInfo& locale = speech.locale;
    double conso = 0;
    try {
        values.Ltrs = FieldNumber(texts[2], locale);
        const double litres = values.Ltrs.toNumber(locale);
        const double distance = values.TotKms.toNumber(locale);
        NumberOrText next = 0;
        if (litres > 0 && distance > 0) {
            const std::optional<QString> text = ConsumptionText(litres, distance, locale);
            if (!text)
                throw ConversionError(ConversionError::Overflow);
            next = *text;
        }
        values.Conso = next;
        // The consumption is compared as the rounded text reads back.
        conso = values.Conso.toNumber(locale);
    } catch (const ConversionError&) {
        out.caption = Caption{speech.text(Text::Error), true};
        out.failed = true;
        return out;
    }
    applySaveRule(out, conso, values, texts, speech);
    if (amount != AmountProblem::None) {
        out.caption = Caption{speech.text(Text::Error), true};
        out.saveEnabled = false;
    }
    if (distanceError)
        out.saveEnabled = false;
    return out;
}

bool SaveEnabledOnActivation(const EntryTexts& texts, bool distanceError, bool consumptionError)
{
    return !texts[3].isEmpty() && !distanceError && !consumptionError;
}

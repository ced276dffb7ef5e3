#include "core/fuel/FuelCalc.h"

#include "core/frame/StringTable.h"

#include <cmath>

AmountProblem CheckAmount(const QString& amount, bool converted, const Mixed& factor)
{
    if (amount.isEmpty())
        return AmountProblem::None;
    if (!tryLocaleNumber(amount))
        return AmountProblem::NotANumber;
    if (!converted)
        return AmountProblem::None;
    const std::optional<double> rate = factor.isText() ? StoredNumber(factor.toText()) : factor.toNumber();
    if (!rate || !(*rate > 0))
        return AmountProblem::RateUnusable;
    try {
        EuroValue(amount, factor);
    } catch (const VbError&) {
        return AmountProblem::TooLarge;
    }
    return AmountProblem::None;
}

QString AmountProblemText(AmountProblem problem)
{
    switch (problem) {
    case AmountProblem::NotANumber:
        return LocalizedText(Text::AmountNotNumber);
    case AmountProblem::RateUnusable:
        return LocalizedText(Text::RateUnusable);
    case AmountProblem::TooLarge:
        return LocalizedText(Text::AmountTooLarge);
    case AmountProblem::None:
        break;
    }
    return QString();
}

Mixed FieldNumber(const QString& text)
{
    if (text.isEmpty())
        return 0;
    // Read in the user's notation, then back through the "." text.
    const double typed = LocaleNumber(text);
    const double number = ValText(StrNumber(typed));
    if (number == 0 && typed != 0)
        throw VbError(VbError::Overflow); // the 15-digit text rounded beyond the range
    return number;
}

CaptionOutcome CalcKms(FuelValues& values, const EntryTexts& texts)
{
    CaptionOutcome out;
    try {
        values.KmsDep = FieldNumber(texts[0]);
        values.KmsArr = FieldNumber(texts[1]);
        const double dep = values.KmsDep.toNumber();
        const double arr = values.KmsArr.toNumber();
        values.TotKms = 0;
        if (arr > dep && arr > 0) {
            if (!std::isfinite(arr - dep))
                throw VbError(VbError::Overflow);
            values.TotKms = arr - dep;
        }
    } catch (const VbError&) {
        out.caption = LocalizedText(Text::Error);
        out.failed = true;
        return out;
    }
    const double total = values.TotKms.toNumber();
    if (total == 1)
        out.caption = StrNumber(total) + QStringLiteral(" Km");
    else if (total > 1)
        out.caption = StrNumber(total) + QStringLiteral(" Kms");
    else if (total == 0)
        out.caption = LocalizedText(Text::NoValidDistance);
    // A distance between 0 and 1 leaves the caption as it was.
    return out;
}

std::optional<QString> ConsumptionText(double litres, double distance)
{
    if (!(litres > 0 && distance > 0))
        return FormatPattern(0, u"00.00");
    const double perHundred = litres * 100 / distance;
    // The rounded text must read back: 15 digits may carry it beyond the range.
    const QString text = FormatPattern(perHundred, u"00.00");
    if (!std::isfinite(perHundred) || !tryLocaleNumber(text))
        return std::nullopt;
    return text;
}

CaptionOutcome CalLtrs(FuelValues& values, const EntryTexts& texts, const QString& distanceCaption,
                       AmountProblem amount)
{
    CaptionOutcome out;
    double conso = 0;
    try {
        values.Ltrs = FieldNumber(texts[2]);
        const double litres = values.Ltrs.toNumber();
        const double distance = values.TotKms.toNumber();
        Mixed next = 0;
        if (litres > 0 && distance > 0) {
            const std::optional<QString> text = ConsumptionText(litres, distance);
            if (!text)
                throw VbError(VbError::Overflow);
            next = *text;
        }
        values.Conso = next;
        // The consumption is compared as the rounded text reads back.
        conso = values.Conso.toNumber();
    } catch (const VbError&) {
        out.caption = LocalizedText(Text::Error);
        out.failed = true;
        return out;
    }

    const bool arrival = !texts[1].isEmpty(), litresTyped = !texts[2].isEmpty(), amountTyped = !texts[3].isEmpty();
    if (conso == 0) {
        if (arrival && litresTyped && amountTyped) {
            out.caption = LocalizedText(Text::AmountImpossible);
            out.saveEnabled = false;
        } else if (!arrival && !litresTyped && amountTyped) {
            out.caption = LocalizedText(Text::AmountImpossible);
            out.saveEnabled = true;
        } else {
            out.caption = QString();
            out.saveEnabled = amountTyped;
        }
    } else {
        const Text::Id unit = conso == 1 ? Text::Liter : Text::Liters;
        out.caption = FormatPattern(values.Conso, u"00.00") + u' ' + LocalizedText(unit) + QStringLiteral(" / 100 Kms");
        out.saveEnabled = true;
    }
    if (amount != AmountProblem::None) {
        out.caption = LocalizedText(Text::Error);
        out.saveEnabled = false;
    }
    if (distanceCaption == LocalizedText(Text::Error))
        out.saveEnabled = false;
    return out;
}

bool SaveEnabledOnActivation(const EntryTexts& texts, const QString& distanceCaption, const QString& consumptionCaption)
{
    const QString error = LocalizedText(Text::Error);
    return !texts[3].isEmpty() && distanceCaption != error && consumptionCaption != error;
}

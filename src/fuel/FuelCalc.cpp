#include "fuel/FuelCalc.h"

#include "frame/StringTable.h"

Mixed FieldNumber(const QString& text)
{
    if (text.isEmpty())
        return 0;
    // Read in the user's notation, then back through the "." text.
    return ValText(StrNumber(Mixed(text)));
}

CaptionOutcome CalcKms(FuelValues& values, const EntryTexts& texts)
{
    CaptionOutcome out;
    try {
        values.KmsDep = FieldNumber(texts[0]);
        values.KmsArr = FieldNumber(texts[1]);
    } catch (const VbError&) {
        out.caption = LocalizedText(186);
        out.failed = true;
        return out;
    }
    const double dep = values.KmsDep.toNumber();
    const double arr = values.KmsArr.toNumber();
    values.TotKms = 0;
    if (arr > dep && arr > 0)
        values.TotKms = arr - dep;
    const double total = values.TotKms.toNumber();
    if (total == 1)
        out.caption = StrNumber(total) + QStringLiteral(" Km");
    else if (total > 1)
        out.caption = StrNumber(total) + QStringLiteral(" Kms");
    else if (total == 0)
        out.caption = LocalizedText(183);
    // A distance between 0 and 1 leaves the caption as it was.
    return out;
}

CaptionOutcome CalLtrs(FuelValues& values, const EntryTexts& texts, const QString& distanceCaption)
{
    CaptionOutcome out;
    try {
        values.Ltrs = FieldNumber(texts[2]);
    } catch (const VbError&) {
        out.caption = LocalizedText(186);
        out.failed = true;
        return out;
    }
    const double litres = values.Ltrs.toNumber();
    const double distance = values.TotKms.toNumber();
    if (litres > 0 && distance > 0)
        values.Conso = FormatPattern(litres * 100 / distance, u"00.00");
    else
        values.Conso = 0;

    // The consumption is compared as the rounded text reads back.
    const double conso = values.Conso.toNumber();
    const bool arrival = !texts[1].isEmpty(), litresTyped = !texts[2].isEmpty(), amount = !texts[3].isEmpty();
    if (conso == 0) {
        if (arrival && litresTyped && amount) {
            out.caption = LocalizedText(189);
            out.saveEnabled = false;
        } else if (!arrival && !litresTyped && amount) {
            out.caption = LocalizedText(189);
            out.saveEnabled = true;
        } else {
            out.caption = QString();
            out.saveEnabled = amount;
        }
    } else {
        const int unit = conso == 1 ? 195 : 198;
        out.caption = FormatPattern(values.Conso, u"00.00") + u' ' + LocalizedText(unit) + QStringLiteral(" / 100 Kms");
        out.saveEnabled = true;
    }
    if (distanceCaption == LocalizedText(186))
        out.saveEnabled = false;
    return out;
}

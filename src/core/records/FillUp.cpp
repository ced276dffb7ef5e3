#include "core/records/FillUp.h"

#include "core/frame/Conversions.h"

namespace FillUpText
{
namespace
{
template <typename T> Stored<T> stored(QString text, std::optional<T> value)
{
    return {std::move(text), std::move(value)};
}
} // namespace

Stored<QDate> date(const QString& shown, const LocaleInfo& locale)
{
    return readDate(shown, locale);
}

Stored<QDate> date(QDate day, const LocaleInfo& locale)
{
    return stored(FormatPattern(day, u"dd mmmm yyyy", locale), std::optional(day));
}

Stored<double> consumption(double perHundred, const LocaleInfo& locale)
{
    const QString text = FormatPattern(perHundred, u"00.00", locale);
    return stored(text, StoredNumber(text, locale));
}

Stored<double> measured(double value)
{
    if (!(value > 0))
        return {};
    return stored(StrNumber(value).trimmed(), std::optional(value));
}

// Without its grouping, so that every stored number has at most one
// separator and reads back under any notation.
Stored<double> typedEuro(const QString& typed, const LocaleInfo& locale)
{
    if (typed.isEmpty())
        return stored(QStringLiteral("0"), std::optional(0.0));
    QString out;
    for (QChar c : typed)
        if (c == locale.decimalSeparator || !locale.isGroupSeparator(c))
            out += c;
    return stored(out, StoredNumber(out, locale));
}

Stored<double> euro(double amount, const LocaleInfo& locale)
{
    return stored(LocaleText(amount, locale), std::optional(amount));
}

Stored<double> fileNumber(const QString& digits, const LocaleInfo& locale)
{
    QString out = digits;
    out.replace(u'.', locale.decimalSeparator);
    return stored(out, StoredNumber(out, locale));
}

Stored<Paid> paid(const QString& typed, const QString& currency, const LocaleInfo& locale)
{
    return readPaid(typed + u' ' + currency, locale);
}

Stored<QDate> readDate(const QString& text, const LocaleInfo& locale)
{
    return stored(text, text.isEmpty() ? std::nullopt : ReadFillUpDate(text, locale));
}

Stored<double> readNumber(const QString& text, const LocaleInfo& locale)
{
    return stored(text, text.isEmpty() ? std::nullopt : StoredNumber(text, locale));
}

// The amount is the longest start of the text that reads as a number and is
// followed by a blank: both the amount as typed ("1 234,50") and the
// currency's name ("US D") may hold blanks.
Stored<Paid> readPaid(const QString& text, const LocaleInfo& locale)
{
    Stored<Paid> out{text, std::nullopt};
    for (qsizetype blank = text.lastIndexOf(u' '); blank > 0; blank = text.lastIndexOf(u' ', blank - 1)) {
        const QString amount = text.left(blank);
        const QString currency = text.mid(blank + 1).trimmed();
        // As typed in the user's notation, or in another one the store was written under.
        std::optional<double> value = tryLocaleNumber(amount, locale);
        if (!value)
            value = StoredNumber(amount, locale);
        if (value && !currency.isEmpty()) {
            out.value = Paid{amount, *value, currency};
            break;
        }
    }
    return out;
}
} // namespace FillUpText

std::optional<FillUp> EnteredFillUp(const QString& dateShown, double distance, double litres,
                                    const QString& consumption, const QString& amount, const QString& currencyName,
                                    const QString& factor, const LocaleInfo& locale)
{
    const bool converted = currencyName != u"Euro";
    std::optional<double> rate = StoredNumber(factor, locale);
    if (!amount.isEmpty() && !tryLocaleNumber(amount, locale))
        return std::nullopt;
    FillUp f;
    f.date = FillUpText::date(dateShown, locale);
    f.consumption = FillUpText::consumption(StoredNumber(consumption, locale).value_or(0), locale);
    f.distance = FillUpText::measured(distance);
    f.litres = FillUpText::measured(litres);
    f.euro = FillUpText::typedEuro(converted ? QString() : amount, locale);
    if (converted && !amount.isEmpty()) {
        if (!rate || !(*rate > 0))
            return std::nullopt;
        try {
            f.euro = FillUpText::euro(EuroValue(amount, factor, locale), locale);
        } catch (const ConversionError&) {
            return std::nullopt;
        }
        f.paid = FillUpText::paid(amount, currencyName, locale);
    }
    return f;
}

std::optional<QDate> ReadFillUpDate(QStringView text, const LocaleInfo& locale)
{
    static const LocaleInfo languages[] = {LocaleInfo::english(), LocaleInfo::french(), LocaleInfo::dutch()};
    QDate date = DateFromText(text, locale);
    for (const LocaleInfo& other : languages)
        if (!date.isValid())
            date = DateFromText(text, other);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

#include "core/currency/CurrencyRates.h"

#include <QRegularExpression>

#include <cmath>

RateCheck CheckRate(QStringView text, const LocaleInfo& locale)
{
    const std::optional<double> rate = tryLocaleNumber(text, locale);
    if (!rate)
        return {RateProblem::NotANumber, {}};
    if (!(*rate > 0))
        return {RateProblem::NotPositive, {}};
    QString inverse = FormatPattern(1 / *rate, u"##.########", locale);
    // "2." and "1," look unfinished: the separator stands only before decimals.
    if (inverse.endsWith(locale.decimalSeparator))
        inverse.chop(1);
    // 1 over a denormal overflows; above 2E+08 the inverse rounds to nothing.
    if (!std::isfinite(1 / *rate) || !inverse.contains(QRegularExpression(QStringLiteral("[1-9]"))))
        return {RateProblem::OutOfRange, {}};
    return {RateProblem::None, inverse};
}

QString RateProblemText(RateProblem problem, const Speech& speech)
{
    switch (problem) {
    case RateProblem::NotANumber:
        return speech.text(Text::RateNotNumber);
    case RateProblem::NotPositive:
        return speech.text(Text::RateNotPositive);
    case RateProblem::OutOfRange:
        return speech.text(Text::RateOutOfRange);
    case RateProblem::None:
        break;
    }
    return QString();
}

std::optional<QString> InverseRate(QStringView rateText, const LocaleInfo& locale)
{
    RateCheck check = CheckRate(rateText, locale);
    if (check.problem != RateProblem::None)
        return std::nullopt;
    return check.inverse;
}

QString NextInverseRate(const QString& rateText, const QString& previousInverse, const LocaleInfo& locale)
{
    if (rateText.isEmpty())
        return QString();
    return InverseRate(rateText, locale).value_or(previousInverse);
}

QString RateShown(const QString& stored, const QString& storedInverse, const LocaleInfo& locale)
{
    const std::optional<double> typed = tryLocaleNumber(stored, locale);
    const std::optional<double> written = StoredNumber(stored, locale);
    if (!written || typed == written)
        return stored;
    // "1.549" is 1.549 written under English or 1549 typed under Dutch: the
    // inverse stored beside it, written without grouping, tells which.
    const std::optional<double> inverse = StoredNumber(storedInverse, locale);
    const auto distance = [&](double rate) { return std::fabs(*inverse * rate - 1); };
    if (typed && (!inverse || distance(*typed) <= distance(*written)))
        return stored;
    return LocaleText(*written, locale);
}

QString RateTooltip(const QString& name, const QString& rate)
{
    return QStringLiteral("1 € = ") + rate + u' ' + name;
}

bool SettingFlag(const QString& text, bool fallback)
{
    const QString flag = text.trimmed();
    if (flag.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (flag.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    return fallback;
}

QString ForeignAmountTooltip(const QString& name, const QString& amount, const NumberOrText& factor,
                             const Speech& speech)
{
    const QString tip = speech.text(Text::PaidAmountIn) + name;
    if (amount.isEmpty())
        return tip;
    try {
        return tip + QStringLiteral(" - ") + StrNumber(EuroValue(amount, factor, speech.locale)) + QStringLiteral(" €");
    } catch (const ConversionError&) {
        return tip;
    }
}

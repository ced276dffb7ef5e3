#include "core/frame/Legacy.h"
#include "core/currency/CurrencyTable.h"

#include "core/frame/StringTable.h"

#include <QRegularExpression>

#include <cmath>

const std::array<const char*, CurrencyRows> DefaultCurrencyNames = {"", "CHF", "USD", "GBP", "", ""};
const std::array<double, CurrencyRows> DefaultCurrencyRates = {0, 1.54982, 1.16064, 0.693724, 0, 0};

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

QString RateProblemText(RateProblem problem)
{
    switch (problem) {
    case RateProblem::NotANumber:
        return LocalizedText(Text::RateNotNumber);
    case RateProblem::NotPositive:
        return LocalizedText(Text::RateNotPositive);
    case RateProblem::OutOfRange:
        return LocalizedText(Text::RateOutOfRange);
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

bool ReadShowCurrMess(const QString& user)
{
    return SettingFlag(GetSetting(u"Tanko", user, u"AffCurrMess", true), true);
}

CurrentCurrency ReadCurrentCurrency(const QString& user)
{
    CurrentCurrency current;
    current.row = StoredNumber(GetSetting(u"Tanko", user, u"CurDev", 0)).value_or(0);
    current.key = StrNumber(current.row).trimmed();
    const QString key = QStringLiteral("Dev") + current.key;
    current.name = GetSetting(u"Tanko", u"Devises", key, "Euro");
    current.foreign = current.row != 0 && !GetSetting(u"Tanko", u"Devises", key, "").isEmpty();
    current.rate = QStringLiteral("1");
    current.factor = QStringLiteral("1");
    if (current.foreign) {
        current.rate = GetSetting(u"Tanko", u"Devises", QString(QStringLiteral("Taux") + current.key), "1");
        current.factor = GetSetting(u"Tanko", u"Devises", QString(QStringLiteral("TauxBis") + current.key), "1");
    }
    return current;
}

QString ForeignAmountTooltip(const QString& name, const QString& amount, const Mixed& factor)
{
    const QString tip = LocalizedText(Text::PaidAmountIn) + name;
    if (amount.isEmpty())
        return tip;
    try {
        return tip + QStringLiteral(" - ") + StrNumber(EuroValue(amount, factor)) + QStringLiteral(" €");
    } catch (const VbError&) {
        return tip;
    }
}

CurrencySubmit SubmitCurrencies(const CurrencyChoice& choice, const QString& user)
{
    CurrencySubmit submit;
    for (int n = 1; n < CurrencyRows; ++n) {
        const CurrencyRow& row = choice.rows[n];
        if (!row.name.isEmpty() && row.rate.isEmpty()) {
            submit.refusal = row.name + QStringLiteral(" - ") + LocalizedText(Text::RateNotSpecified);
            return submit;
        }
    }
    // A rate that cannot give a factor to Euro would make every amount of
    // that currency unsavable: the row is named with the reason.
    for (int n = 1; n < CurrencyRows; ++n) {
        const CurrencyRow& row = choice.rows[n];
        const RateProblem problem = row.name.isEmpty() ? RateProblem::None : CheckRate(row.rate).problem;
        if (problem != RateProblem::None) {
            submit.refusal = row.name + QStringLiteral(" - ") + RateProblemText(problem);
            return submit;
        }
    }
    if (choice.selected >= 1 && choice.selected < CurrencyRows) {
        const CurrencyRow& row = choice.rows[choice.selected];
        if (row.name.isEmpty() || row.rate.isEmpty()) {
            submit.refusal = LocalizedText(Text::SelectCorrectCurrency);
            return submit;
        }
        submit.current = choice.selected;
        submit.label = row.name;
    } else {
        // The Euro row makes the Euro current again.
        submit.current = 0;
        submit.label = QStringLiteral("Euro");
    }

    const QString devises = QStringLiteral("Devises");
    submit.writes.push_back({user, QStringLiteral("CurDev"), QString::number(submit.current)});
    for (int n = 1; n < CurrencyRows; ++n) {
        const CurrencyRow& row = choice.rows[n];
        const QString digits = QString::number(n);
        submit.writes.push_back({devises, QStringLiteral("Dev") + digits, row.name});
        submit.writes.push_back({devises, QStringLiteral("Taux") + digits, row.rate});
        submit.writes.push_back({devises, QStringLiteral("TauxBis") + digits, row.inverse});
    }
    submit.writes.push_back(
        {user, QStringLiteral("AffCurrMess"), choice.showMessage ? QStringLiteral("True") : QStringLiteral("False")});
    return submit;
}

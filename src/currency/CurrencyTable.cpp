#include "currency/CurrencyTable.h"

#include "frame/StringTable.h"

#include <cmath>

const std::array<const char*, CurrencyRows> DefaultCurrencyNames = {"", "CHF", "USD", "GBP", "", ""};
const std::array<double, CurrencyRows> DefaultCurrencyRates = {0, 1.54982, 1.16064, 0.693724, 0, 0};

std::optional<double> ReadRate(QStringView text, const LocaleInfo& locale)
{
    if (locale.decimalSeparator == u'.')
        return ValText(text);
    return tryLocaleNumber(text, locale);
}

std::optional<QString> InverseRate(QStringView rateText, const LocaleInfo& locale)
{
    const std::optional<double> rate = ReadRate(rateText, locale);
    if (!rate || *rate == 0)
        return std::nullopt;
    const double inverse = 1 / *rate;
    if (!std::isfinite(inverse))
        return std::nullopt; // 1 over a denormal overflows
    return FormatPattern(inverse, u"##.########", locale);
}

QString NextInverseRate(const QString& rateText, const QString& previousInverse, const LocaleInfo& locale)
{
    if (rateText.isEmpty())
        return QString();
    return InverseRate(rateText, locale).value_or(previousInverse);
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
    current.row = tryLocaleNumber(GetSetting(u"Tanko", user, u"CurDev", 0)).value_or(0);
    current.key = StrNumber(current.row).trimmed();
    const QString stored = GetSetting(u"Tanko", u"Devises", QString(QStringLiteral("Dev") + current.key), "");
    current.foreign = current.row != 0 && !stored.isEmpty();
    current.name = current.foreign ? stored : QStringLiteral("Euro");
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
    const QString tip = LocalizedText(243) + name;
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
            submit.refusal = row.name + QStringLiteral(" - ") + LocalizedText(234);
            return submit;
        }
    }
    if (choice.selected >= 1 && choice.selected < CurrencyRows) {
        const CurrencyRow& row = choice.rows[choice.selected];
        if (row.name.isEmpty() || row.rate.isEmpty()) {
            submit.refusal = LocalizedText(246);
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

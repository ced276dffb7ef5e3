#include "core/currency/Currencies.h"

#include "core/currency/CurrencyRates.h"

const std::array<const char*, CurrencyRows> DefNames = {"", "CHF", "USD", "GBP", "", ""};
const std::array<double, CurrencyRows> DefRates = {0, 1.54982, 1.16064, 0.693724, 0, 0};

namespace
{
const QString kDevises = QStringLiteral("Devises");

QString numbered(const char* prefix, const QString& digits)
{
    return QString::fromLatin1(prefix) + digits;
}

// The first refusal a Submit meets, in the order the window checks them.
std::optional<QString> refusalOf(const CurrencyChoice& choice, const Speech& speech)
{
    for (int n = 1; n < CurrencyRows; ++n) {
        const CurrencyRow& row = choice.rows[n];
        if (!row.name.isEmpty() && row.rate.isEmpty())
            return row.name + QStringLiteral(" - ") + speech.text(Text::RateNotSpecified);
    }
    // A rate that cannot give a factor to Euro would make every amount of
    // that currency unsavable: the row is named with the reason.
    for (int n = 1; n < CurrencyRows; ++n) {
        const CurrencyRow& row = choice.rows[n];
        const RateProblem problem = row.name.isEmpty() ? RateProblem::None : CheckRate(row.rate, speech.locale).problem;
        if (problem != RateProblem::None)
            return row.name + QStringLiteral(" - ") + RateProblemText(problem, speech);
    }
    if (choice.selected >= 1 && choice.selected < CurrencyRows) {
        const CurrencyRow& row = choice.rows[choice.selected];
        if (row.name.isEmpty() || row.rate.isEmpty())
            return speech.text(Text::SelectCorrectCurrency);
    }
    return std::nullopt;
}
} // namespace

Currencies::Currencies(SettingsStore& store, const LocaleInfo& locale) : m_store(store), m_locale(locale) {}

QString Currencies::value(QStringView section, QStringView key, const QString& fallback) const
{
    const QString* stored = m_store.find(section, key);
    return stored ? *stored : fallback;
}

bool Currencies::showsWarning(const QString& user) const
{
    return SettingFlag(value(user, u"AffCurrMess", QStringLiteral("True")), true);
}

CurrentCurrency Currencies::current(const QString& user) const
{
    CurrentCurrency current;
    current.row = StoredNumber(value(user, u"CurDev", QStringLiteral("0")), m_locale).value_or(0);
    current.key = StrNumber(current.row).trimmed();
    current.name = value(kDevises, numbered("Dev", current.key), QStringLiteral("Euro"));
    current.foreign = current.row != 0 && !value(kDevises, numbered("Dev", current.key), QString()).isEmpty();
    current.rate = QStringLiteral("1");
    current.factor = QStringLiteral("1");
    if (current.foreign) {
        current.rate = value(kDevises, numbered("Taux", current.key), QStringLiteral("1"));
        current.factor = value(kDevises, numbered("TauxBis", current.key), QStringLiteral("1"));
    }
    return current;
}

std::array<CurrencyRow, CurrencyRows> Currencies::table() const
{
    std::array<CurrencyRow, CurrencyRows> rows;
    for (int n = 1; n < CurrencyRows; ++n) {
        const QString digits = QString::number(n);
        CurrencyRow& row = rows[n];
        row.name = value(kDevises, numbered("Dev", digits), QString::fromUtf8(DefNames[n]));
        row.inverse = value(kDevises, numbered("TauxBis", digits), QString());
        // A number default comes back in the user's notation: 1,54982 under a "," notation.
        row.rate = RateShown(value(kDevises, numbered("Taux", digits), LocaleText(DefRates[n], m_locale)), row.inverse,
                             m_locale);
    }
    return rows;
}

std::vector<CurrencyRow> Currencies::named() const
{
    std::vector<CurrencyRow> rows;
    for (int n = 1; n < CurrencyRows; ++n) {
        const QString digits = QString::number(n);
        const QString* name = m_store.find(kDevises, numbered("Dev", digits));
        if (name && !name->trimmed().isEmpty())
            rows.push_back({*name, value(kDevises, numbered("Taux", digits), QString()),
                            value(kDevises, numbered("TauxBis", digits), QString())});
    }
    return rows;
}

Currencies::Submitted Currencies::submit(const CurrencyChoice& choice, const QString& user, const Speech& speech)
{
    Submitted submitted;
    const bool euro = !(choice.selected >= 1 && choice.selected < CurrencyRows);
    // The Euro row makes the Euro current again.
    submitted.current = euro ? 0 : choice.selected;
    submitted.label = euro ? QStringLiteral("Euro") : choice.rows[choice.selected].name;
    const SettingsStore::Update done = m_store.update([&](const SettingsStore&)
                                                          -> std::optional<std::vector<SettingsStore::Write>> {
        submitted.refusal = refusalOf(choice, speech);
        if (submitted.refusal)
            return std::nullopt;
        std::vector<SettingsStore::Write> writes{{user, QStringLiteral("CurDev"), QString::number(submitted.current)}};
        for (int n = 1; n < CurrencyRows; ++n) {
            const CurrencyRow& row = choice.rows[n];
            const QString digits = QString::number(n);
            writes.push_back({kDevises, numbered("Dev", digits), row.name});
            writes.push_back({kDevises, numbered("Taux", digits), row.rate});
            writes.push_back({kDevises, numbered("TauxBis", digits), row.inverse});
        }
        writes.push_back({user, QStringLiteral("AffCurrMess"),
                          choice.showMessage ? QStringLiteral("True") : QStringLiteral("False")});
        return writes;
    });
    submitted.written = done == SettingsStore::Update::Written;
    if (submitted.written)
        submitted.name = current(user).name;
    return submitted;
}

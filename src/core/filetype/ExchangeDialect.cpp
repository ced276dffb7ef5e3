#include "core/filetype/ExchangeDialect.h"

#include "core/filetype/TnkFile.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>
#include <vector>

namespace Exchange
{
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QStringView withoutAffixes(QStringView t)
{
    static const QStringList units = {QStringLiteral("eur"), QStringLiteral("km"),  QStringLiteral("kms"),
                                      QStringLiteral("l"),   QStringLiteral("ltr"), QStringLiteral("ltrs")};
    t = t.trimmed();
    if (!t.isEmpty() && QStringView(u"€$£").contains(t.front()))
        t = t.sliced(1).trimmed();
    if (!t.isEmpty() && QStringView(u"€$£").contains(t.back()))
        return t.chopped(1).trimmed();
    qsizetype letters = 0;
    while (letters < t.size() && t[t.size() - 1 - letters].isLetter())
        ++letters;
    if (letters > 0 && letters < t.size() && units.contains(t.last(letters).toString().toLower()))
        return t.chopped(letters).trimmed();
    return t;
}

bool isGrouping(QChar c, QChar decimal)
{
    return c == (decimal == u'.' ? u',' : u'.') || c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F);
}

namespace
{
// The header's words, lower case without accents or units in brackets, with
// a blank at each end: " prix total ".
QString headerWords(const QString& header, bool& perUnit)
{
    QString t;
    for (const QChar c : header.normalized(QString::NormalizationForm_D).toLower())
        if (c.category() != QChar::Mark_NonSpacing)
            t += c;
    static const QRegularExpression unitPrice(QStringLiteral(
        "(^|\\W)(per|par|au|pro|unit|unitaire|eenheid)(\\W|$)|/\\s*(l|litre|liter|ltr|100)\\b|100\\s*km"));
    static const QRegularExpression brackets(QStringLiteral("\\([^)]*\\)|\\[[^\\]]*\\]"));
    static const QRegularExpression nonWord(QStringLiteral("[^\\w]+|_"));
    perUnit = unitPrice.match(t).hasMatch();
    t.remove(brackets);
    t.replace(nonWord, QStringLiteral(" "));
    return u' ' + t.simplified() + u' ';
}

// Header words by role, the likeliest first. Other logs write the total paid
// as "total" or "cost" and often a price per litre beside it as "price".
const std::array<QStringList, RoleCount>& synonyms()
{
    static const std::array<QStringList, RoleCount> words = [] {
        std::array<QStringList, RoleCount> w;
        w[Date] = {"date", "datum", "jour", "dag", "day"};
        w[Odometer] = {"odometer", "odometre", "odo",         "mileage",     "kilometerstand", "km stand",
                       "kmstand",  "compteur", "kilometrage", "tellerstand", "km teller"};
        w[Distance] = {"distance",   "afstand",   "trajet",    "trip", "parcours", "kilometers",
                       "kilometres", "kilometer", "kilometre", "kms",  "km"};
        w[Litres] = {"litres", "liters",   "litre", "liter",    "ltrs",        "ltr",       "l",         "volume",
                     "fuel",   "quantity", "qty",   "quantite", "hoeveelheid", "carburant", "brandstof", "getankt"};
        w[Amount] = {"total", "totaal", "montant", "amount", "bedrag", "cost", "cout",   "kosten",
                     "kost",  "price",  "prix",    "prijs",  "paid",   "paye", "betaald"};
        w[Currency] = {"currency", "devise", "munteenheid", "valuta", "monnaie", "ccy"};
        return w;
    }();
    return words;
}

bool hasWord(const QString& words, const QString& synonym)
{
    return words.contains(u' ' + synonym + u' ');
}

// Our own names, all of them or some that a spreadsheet left; nothing when
// another name stands beside them.
std::optional<Columns> ownColumns(const QStringList& header)
{
    Columns columns;
    const QStringList own = [] {
        QStringList names;
        for (const char* name : TnkFile::OwnColumns)
            names << QString::fromLatin1(name);
        return names;
    }();
    static const Role ownRoles[] = {Date, Distance, Litres, Consumption, Amount, Paid, Currency};
    // Only we name a column with an underscore and a unit.
    bool allOwn = true, ours = false;
    for (int c = 0; c < header.size(); ++c) {
        const QString name = header[c].trimmed().toLower();
        const qsizetype at = own.indexOf(name);
        if (at >= 0 && columns.at[ownRoles[at]] < 0) {
            columns.at[ownRoles[at]] = c;
            ours = ours || name.contains(u'_');
        } else if (!name.isEmpty()) {
            allOwn = false;
        }
    }
    if (!allOwn || !ours || columns.at[Date] < 0)
        return std::nullopt;
    columns.own = true;
    return columns;
}

// Another log's columns, by the words of their titles.
Columns otherColumns(const QStringList& header)
{
    Columns columns;
    std::vector<QString> words(header.size());
    std::vector<bool> perUnit(header.size());
    for (int c = 0; c < header.size(); ++c) {
        bool unit = false;
        words[c] = headerWords(header[c], unit);
        perUnit[c] = unit;
    }
    static const QStringList notLitres = {"type",         "kind",     "sort",    "soort",      "station", "brand",
                                          "marque",       "merk",     "name",    "nom",        "naam",    "consumption",
                                          "consommation", "verbruik", "economy", "efficiency", "mpg"};
    const auto excluded = [&](Role role, int c) {
        if (role == Date || role == Currency)
            return false;
        if (perUnit[c] && role != Odometer)
            return true;
        if (role == Litres)
            for (const QString& word : synonyms()[Amount] + notLitres)
                if (hasWord(words[c], word))
                    return true;
        return false;
    };
    for (const Role role : {Date, Odometer, Distance, Currency, Litres, Amount})
        for (const QString& synonym : synonyms()[role]) {
            if (columns.at[role] >= 0)
                break;
            for (int c = 0; c < header.size(); ++c)
                if (std::find(columns.at.begin(), columns.at.end(), c) == columns.at.end() &&
                    hasWord(words[c], synonym) && !excluded(role, c)) {
                    columns.at[role] = c;
                    break;
                }
        }
    return columns;
}
} // namespace

Columns columnsOf(const QStringList& header)
{
    return ownColumns(header).value_or(otherColumns(header));
}

} // namespace Exchange

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

QChar foreignSign(QStringView cell)
{
    const QStringView t = cell.trimmed();
    for (const QChar sign : {u'$', u'£', u'¥'})
        if (t.startsWith(sign) || t.endsWith(sign))
            return sign;
    return {};
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
    static const QRegularExpression unitPrice(
        QStringLiteral("(^|\\W)(per|par|au|al|por|pro|unit|unitaire|eenheid)(\\W|$)|"
                       "/\\s*(l|litre|liter|litro|ltr|gal|gallon|100)\\b|100\\s*km"));
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
        w[Date] = {"date", "datum", "jour", "dag", "day", "fecha", "data"};
        w[Odometer] = {"odometer",        "odometre",          "odo",          "mileage",
                       "kilometerstand",  "km stand",          "kmstand",      "compteur",
                       "kilometrage",     "tellerstand",       "km teller",    "tachostand",
                       "contachilometri", "chilometraggio",    "odometro",     "cuentakilometros",
                       "kilometraje",     "conta quilometros", "quilometragem"};
        w[Distance] = {"distance",   "afstand",   "trajet",      "trip",     "parcours", "kilometers",
                       "kilometres", "kilometer", "kilometre",   "kms",      "km",       "miles",
                       "teil km",    "strecke",   "teilstrecke", "distanza", "percorso", "distancia",
                       "recorrido",  "trayecto",  "percurso",    "trajeto"};
        w[Litres] = {"litres",    "liters",  "litre",      "liter",  "ltrs",         "ltr",         "l",
                     "volume",    "fuel",    "quantity",   "qty",    "quantite",     "hoeveelheid", "carburant",
                     "brandstof", "getankt", "spritmenge", "menge",  "fuelconsumed", "gallons",     "gal",
                     "quantita",  "litri",   "cantidad",   "litros", "volumen",      "quantidade"};
        w[Amount] = {"total",   "totaal",      "montant", "amount",  "bedrag", "cost",    "cout",
                     "kosten",  "kost",        "price",   "prix",    "prijs",  "paid",    "paye",
                     "betaald", "gesamtpreis", "betrag",  "importo", "totale", "importe", "custo",
                     "valor",   "costo",       "coste",   "preis",   "prezzo", "precio",  "preco"};
        w[UnitPrice] = w[Amount] + QStringList{"volumeprice", "unit price"};
        w[Currency] = {"currency", "devise",  "munteenheid", "valuta", "monnaie",
                       "ccy",      "wahrung", "moneda",      "divisa", "moeda"};
        w[Full] = {"full", "full tank",   "filled up", "isfilltofull", "tank status", "plein",
                   "voll", "volltankung", "pieno",     "lleno",        "cheio"};
        w[Partial] = {"partial", "partiel", "gedeeltelijk", "teilbetankung", "parziale", "parcial"};
        w[Missed] = {"missed",    "missedfuelup", "oublie",   "manque",   "gemist",
                     "vergessen", "mancante",     "olvidado", "esquecido"};
        w[Vehicle] = {"vehicle",  "car",     "voiture",  "vehicule", "voertuig", "auto",
                      "fahrzeug", "veicolo", "vehiculo", "coche",    "veiculo",  "carro"};
        w[Fuel] = {"fuel type",           "fuel category",      "type of fuel",    "kraftstoff",
                   "type de carburant",   "brandstofsoort",     "soort brandstof", "tipo carburante",
                   "tipo de combustible", "tipo de combustivel"};
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
std::optional<Assignment> ownColumns(const QStringList& header)
{
    Assignment columns;
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
        if (at >= 0 && columns.use[ownRoles[at]].column < 0) {
            columns.use[ownRoles[at]].column = c;
            ours = ours || name.contains(u'_');
        } else if (!name.isEmpty()) {
            allOwn = false;
        }
    }
    if (!allOwn || !ours || !columns.has(Date))
        return std::nullopt;
    columns.use[Distance].how = keyword(Unit::Km);
    columns.use[Litres].how = keyword(Unit::Litres);
    columns.own = true;
    return columns;
}

// Another log's columns, by the words of their titles.
Assignment otherColumns(const QStringList& header)
{
    Assignment columns;
    std::vector<QString> words(header.size());
    std::vector<bool> perUnit(header.size());
    for (int c = 0; c < header.size(); ++c) {
        bool unit = false;
        words[c] = headerWords(header[c], unit);
        perUnit[c] = unit;
    }
    static const QStringList notLitres = {"type",         "kind",     "sort",    "soort",      "station", "brand",
                                          "marque",       "merk",     "name",    "nom",        "naam",    "consumption",
                                          "consommation", "verbruik", "economy", "efficiency", "mpg",     "unit"};
    const auto excluded = [&](Role role, int c) {
        if (role == UnitPrice)
            return !perUnit[c] && !hasWord(words[c], QStringLiteral("volumeprice")) &&
                   !hasWord(words[c], QStringLiteral("unit price"));
        if (role != Distance && role != Litres && role != Amount)
            return false;
        if (perUnit[c])
            return true;
        if (role == Litres)
            for (const QString& word : synonyms()[Amount] + notLitres)
                if (hasWord(words[c], word))
                    return true;
        return false;
    };
    for (const Role role :
         {Date, Odometer, Distance, Currency, Vehicle, Fuel, Full, Partial, Missed, UnitPrice, Litres, Amount})
        for (const QString& synonym : synonyms()[role]) {
            if (columns.has(role))
                break;
            for (int c = 0; c < header.size(); ++c)
                if (std::none_of(columns.use.begin(), columns.use.end(), [c](const Use& u) { return u.column == c; }) &&
                    hasWord(words[c], synonym) && !excluded(role, c)) {
                    columns.use[role].column = c;
                    break;
                }
        }
    for (const Role role : {Odometer, Distance, Litres})
        if (columns.has(role))
            columns.use[role].how = keyword(unitOfWords(header[columns.column(role)]));
    return columns;
}
} // namespace

Assignment columnsOf(const QStringList& header)
{
    return ownColumns(header).value_or(otherColumns(header));
}

} // namespace Exchange

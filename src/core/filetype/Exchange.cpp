#include "core/filetype/Exchange.h"

#include "core/currency/CurrencyTable.h"
#include "core/filetype/TnkFile.h"
#include "core/frame/Conversions.h"
#include "core/frame/Files.h"
#include "core/frame/StringTable.h"
#include "core/fuel/FuelCalc.h"
#include "core/records/FillUpRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <bit>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace Exchange
{
namespace
{
constexpr qint64 kNone = std::numeric_limits<qint64>::min();
constexpr qint64 kMaxRecord = std::numeric_limits<qint32>::max();
constexpr qint64 kBatch = 2000;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// "06.15", "60,50", "-3": digits with at most one "." or "," between them.
bool plainNumber(QStringView t)
{
    qsizetype i = (!t.isEmpty() && (t[0] == u'-' || t[0] == u'+')) ? 1 : 0;
    qsizetype digits = 0, separators = 0;
    bool afterSeparator = false;
    for (; i < t.size(); ++i) {
        if (isDigit(t[i])) {
            ++digits;
            afterSeparator = false;
        } else if ((t[i] == u'.' || t[i] == u',') && digits > 0 && separators == 0) {
            ++separators;
            afterSeparator = true;
        } else {
            return false;
        }
    }
    return digits > 0 && !afterSeparator;
}

// A stored number as the file writes it: its own digits with "." where it is
// plain, its value where it is not (grouped, an exponent); empty when it is
// not a number at all.
QString exported(const QString& stored)
{
    const QStringView t = QStringView(stored).trimmed();
    const std::optional<double> value = t.isEmpty() ? std::nullopt : StoredNumber(t);
    if (!value || !std::isfinite(*value))
        return {};
    if (!plainNumber(t))
        return PlainNumberText(*value);
    QString out = t.toString();
    out.replace(u',', u'.');
    if (out.startsWith(u'+'))
        out.remove(0, 1);
    return out;
}

// A number read from a file: its digits with "." and its value.
struct CellNumber
{
    enum State
    {
        Empty,
        Number,
        NotANumber,
        Negative
    } state = Empty;
    QString digits;
    double value = 0;
};

// Units and currency signs that other logs write beside their numbers.
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

// A cell in the file's notation: `decimal` before the decimals, the other
// sign or a blank grouping thousands only, and only before three digits.
CellNumber readNumber(QStringView cell, QChar decimal)
{
    CellNumber out;
    const QStringView t = withoutAffixes(cell);
    if (t.isEmpty())
        return out;
    out.state = CellNumber::NotANumber;
    qsizetype i = 0;
    bool negative = false;
    if (t[0] == u'-' || t[0] == u'+')
        negative = t[i++] == u'-';
    QString digits;
    bool intDigits = false, fracDigits = false, grouped = false;
    int groupDigits = 0;
    for (; i < t.size(); ++i) {
        if (isDigit(t[i])) {
            digits += t[i];
            intDigits = true;
            ++groupDigits;
        } else if (isGrouping(t[i], decimal)) {
            if (!intDigits || (grouped && groupDigits != 3))
                return out;
            grouped = true;
            groupDigits = 0;
        } else {
            break;
        }
    }
    if (grouped && groupDigits != 3)
        return out;
    if (i < t.size() && t[i] == decimal) {
        digits += u'.';
        for (++i; i < t.size() && isDigit(t[i]); ++i, fracDigits = true)
            digits += t[i];
    }
    if (!intDigits || (digits.endsWith(u'.') && !fracDigits))
        return out;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        const qsizetype start = i++;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
            ++i;
        const qsizetype first = i;
        while (i < t.size() && isDigit(t[i]))
            ++i;
        if (i == first)
            return out;
        digits += t.sliced(start, i - start);
    }
    bool ok = false;
    const double value = digits.toLatin1().toDouble(&ok);
    if (i != t.size() || !ok || !std::isfinite(value))
        return out;
    out.state = negative && value != 0 ? CellNumber::Negative : CellNumber::Number;
    out.digits = digits;
    out.value = value;
    return out;
}

// The digits of a file's number as the user writes them: "60.50" is "60,50"
// under French and Dutch, as a save would have stored it typed there.
QString localDigits(const QString& digits)
{
    QString out = digits;
    out.replace(u'.', userLocale().decimalSeparator);
    return out;
}

// Which sign the file's numbers use before their decimals: a sign followed by
// other than three digits, or the last of two different signs, is the
// decimal one. Where nothing tells, "," with ";" between fields, else ".".
class DecimalSign
{
public:
    void add(QStringView cell)
    {
        const QStringView t = withoutAffixes(cell);
        const qsizetype lastPoint = t.lastIndexOf(u'.'), lastComma = t.lastIndexOf(u',');
        if (lastPoint >= 0 && lastComma >= 0) {
            (lastComma > lastPoint ? m_comma : m_point) += 1;
        } else if (lastPoint >= 0 || lastComma >= 0) {
            const QChar sign = lastPoint >= 0 ? u'.' : u',';
            const qsizetype at = std::max(lastPoint, lastComma);
            qsizetype after = 0;
            while (at + 1 + after < t.size() && isDigit(t[at + 1 + after]))
                ++after;
            if (t.count(sign) > 1)
                (sign == u'.' ? m_comma : m_point) += 1; // a grouping sign: the other is decimal
            else if (after != 3)
                (sign == u'.' ? m_point : m_comma) += 1;
            else if (sign == u',')
                m_ambiguousComma = true;
        }
    }

    QChar sign(QChar separator) const
    {
        if (m_point != m_comma)
            return m_comma > m_point ? u',' : u'.';
        return m_ambiguousComma && separator == u';' ? u',' : u'.';
    }

private:
    qint64 m_point = 0, m_comma = 0;
    bool m_ambiguousComma = false;
};

// ISO 8601 (2026-12-05, a time after it allowed), the day-first forms
// (05/12/2026, 5.12.26, 05-12-2026) and the stored form (05 December 2026).
std::optional<QDate> readDate(QStringView cell)
{
    const QStringView t = cell.trimmed();
    const auto number = [&](qsizetype from, qsizetype size) { return t.sliced(from, size).toInt(); };
    if (t.size() >= 10 && t[4] == u'-' && t[7] == u'-' && (t.size() == 10 || t[10] == u'T' || t[10] == u' ')) {
        const QDate date(number(0, 4), number(5, 2), number(8, 2));
        return date.isValid() ? std::optional(date) : std::nullopt;
    }
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})(?:$|[T\\s])"));
    static const QRegularExpression dayFirst(QStringLiteral("^(\\d{1,2})[-/.](\\d{1,2})[-/.](\\d{4}|\\d{2})(?:$|\\s)"));
    if (const QRegularExpressionMatch m = iso.match(t); m.hasMatch()) {
        const QDate date(m.capturedView(1).toInt(), m.capturedView(2).toInt(), m.capturedView(3).toInt());
        return date.isValid() ? std::optional(date) : std::nullopt;
    }
    if (const QRegularExpressionMatch m = dayFirst.match(t); m.hasMatch()) {
        int year = m.capturedView(3).toInt();
        if (m.capturedView(3).size() == 2)
            year += year < 70 ? 2000 : 1900;
        const QDate date(year, m.capturedView(2).toInt(), m.capturedView(1).toInt());
        return date.isValid() ? std::optional(date) : std::nullopt;
    }
    return ReadFillUpDate(t);
}

enum Role
{
    Date,
    Odometer,
    Distance,
    Litres,
    Consumption,
    Amount,
    Paid,
    Currency,
    RoleCount
};

struct Columns
{
    std::array<int, RoleCount> at;
    bool own = false;
    Columns() { at.fill(-1); }
    int found() const
    {
        return int(std::count_if(at.begin(), at.end(), [](int c) { return c >= 0; }));
    }
    bool usable() const
    {
        return at[Date] >= 0 &&
               (at[Odometer] >= 0 || at[Distance] >= 0 || at[Litres] >= 0 || at[Amount] >= 0 || at[Consumption] >= 0);
    }
};

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

Columns columnsOf(const QStringList& header)
{
    Columns columns;
    // Our own names, all of them or some that a spreadsheet left.
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
    if (allOwn && ours && columns.at[Date] >= 0) {
        columns.own = true;
        return columns;
    }

    columns = Columns();
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

// Compared to the cent, as the program shows them: 60.00 is 60.
qint64 hundredths(const std::optional<double>& value)
{
    if (!value)
        return kNone;
    if (std::fabs(*value) < 1e15)
        return std::llround(*value * 100);
    return std::bit_cast<qint64>(*value);
}

std::array<qint64, 3> keyOf(const std::optional<QDate>& day, const std::optional<double>& conso,
                            const std::optional<double>& euro)
{
    return {day ? day->toJulianDay() : kNone, hundredths(conso), hundredths(euro)};
}

struct KeyHash
{
    size_t operator()(const std::array<qint64, 3>& k) const noexcept
    {
        return std::hash<qint64>()(k[0]) ^ (std::hash<qint64>()(k[1]) * 31) ^ (std::hash<qint64>()(k[2]) * 1009);
    }
};

// Which planned fill-ups repeat one the user has: each present fill-up
// stands for one line, so two like fill-ups of one day both come in.
std::vector<char> duplicatesOf(const std::vector<PlannedFillUp>& fillUps, const SettingsStore& store,
                               const QString& user)
{
    std::unordered_map<std::array<qint64, 3>, qint64, KeyHash> present;
    ForEachFillUp(store, user, [&present](const StoredFillUp& r) { ++present[keyOf(r.day, r.conso, r.euro)]; });
    std::vector<char> duplicate(fillUps.size(), 0);
    for (size_t i = 0; i < fillUps.size() && !present.empty(); ++i) {
        const auto it = present.find(fillUps[i].key);
        if (it != present.end() && it->second > 0) {
            --it->second;
            duplicate[i] = 1;
        }
    }
    return duplicate;
}

struct TableCurrency
{
    QString name;
    QString factor; // TauxBis: an amount of it times this is Euro
};

// The currency table as the store holds it: the rows with a name.
std::vector<TableCurrency> currencyTable(const SettingsStore& store)
{
    std::vector<TableCurrency> rows;
    for (int n = 1; n < CurrencyRows; ++n) {
        const QString digits = QString::number(n);
        const QString* name = store.find(u"Devises", QString(QStringLiteral("Dev") + digits));
        const QString* factor = store.find(u"Devises", QString(QStringLiteral("TauxBis") + digits));
        if (name && !name->trimmed().isEmpty())
            rows.push_back({*name, factor ? *factor : QString()});
    }
    return rows;
}

bool isEuro(const QString& currency)
{
    const QString c = currency.trimmed().toLower();
    return c.isEmpty() || c == u"eur" || c == u"euro" || c == u"euros" || c == u"€";
}

class LineReader
{
public:
    LineReader(const QStringList& header, const Columns& columns, QChar decimal, const SettingsStore& store)
        : m_header(header), m_columns(columns), m_decimal(decimal), m_table(currencyTable(store))
    {
    }

    // The distance of each line from an odometer column: the difference to the
    // reading of the fill-up before in time, the line above, or the line
    // below in a file that lists the newest first.
    void readOdometer(const QStringList& cells)
    {
        std::vector<std::optional<double>> readings(cells.size());
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const CellNumber n = readNumber(cells[i], m_decimal);
            if (n.state == CellNumber::Number)
                readings[i] = n.value;
        }
        std::optional<double> first, last;
        for (const auto& r : readings)
            if (r) {
                first = first ? first : r;
                last = r;
            }
        const bool newestFirst = first && *last < *first;
        m_odometer.assign(readings.size(), std::nullopt);
        std::optional<double> before;
        for (size_t k = 0; k < readings.size(); ++k) {
            const size_t i = newestFirst ? readings.size() - 1 - k : k;
            if (!readings[i])
                continue;
            // To the metre: 10000.3 - 9999.1 is 1.2, not 1.20000000000073.
            if (before)
                m_odometer[i] = std::round((*readings[i] - *before) * 1000) / 1000;
            before = readings[i];
        }
    }

    // The fill-up a line stands for, or why it cannot be stored.
    std::variant<PlannedFillUp, QString> read(const TnkFile::Row& row, size_t index) const
    {
        std::variant<PlannedFillUp, QString> out = PlannedFillUp();
        PlannedFillUp& planned = std::get<PlannedFillUp>(out);
        std::optional<QDate> day;
        if (const std::optional<QString> reason = readInto(row, index, planned.record, day))
            return *reason;
        const RecordValues& r = planned.record;
        planned.key = keyOf(day, r.consumption.isEmpty() ? std::nullopt : StoredNumber(r.consumption),
                            r.pay.isEmpty() ? std::nullopt : StoredNumber(r.pay));
        return out;
    }

private:
    std::optional<QString> readInto(const TnkFile::Row& row, size_t index, RecordValues& record,
                                    std::optional<QDate>& day) const
    {
        const QStringList& f = row.fields;
        if (f.size() > m_header.size())
            for (qsizetype extra = m_header.size(); extra < f.size(); ++extra)
                if (!f[extra].trimmed().isEmpty())
                    return LocalizedText(Text::TooManyFields).arg(f.size()).arg(m_header.size());
        const auto cell = [&](Role role) { return m_columns.at[role] >= 0 ? f.value(m_columns.at[role]) : QString(); };
        const auto name = [&](Role role) { return m_header.value(m_columns.at[role]).trimmed(); };

        const QString dateText = cell(Date).trimmed();
        if (!dateText.isEmpty() || !m_columns.own) {
            day = readDate(dateText);
            if (!day)
                return LocalizedText(Text::NotADate).arg(name(Date), dateText);
            record.date = FormatPattern(*day, u"dd mmmm yyyy");
        }

        CellNumber numbers[RoleCount];
        for (const Role role : {Distance, Litres, Consumption, Amount, Paid}) {
            numbers[role] = readNumber(cell(role), m_decimal);
            if (numbers[role].state == CellNumber::NotANumber || numbers[role].state == CellNumber::Negative)
                return LocalizedText(Text::NotANumber).arg(name(role), cell(role).trimmed());
        }
        double distance = numbers[Distance].state == CellNumber::Number ? numbers[Distance].value : 0;
        if (numbers[Distance].state == CellNumber::Empty && index < m_odometer.size() && m_odometer[index]) {
            if (*m_odometer[index] < 0)
                return LocalizedText(Text::OdometerBelow);
            distance = *m_odometer[index];
        }
        const double litres = numbers[Litres].state == CellNumber::Number ? numbers[Litres].value : 0;
        record.distance = distance;
        record.litres = litres;

        // As a save computes it from the distance and the litres; a record
        // kept before those were stored brings its own.
        if (distance > 0 && litres > 0) {
            const std::optional<QString> consumption = ConsumptionText(litres, distance);
            if (!consumption)
                return LocalizedText(Text::NoConsumption);
            record.consumption = *consumption;
        } else if (numbers[Consumption].state == CellNumber::Number) {
            record.consumption = localDigits(numbers[Consumption].digits);
        } else if (!m_columns.own) {
            record.consumption = *ConsumptionText(0, 0);
        }

        const CellNumber& amount = numbers[Amount];
        if (m_columns.own) {
            if (amount.state == CellNumber::Number)
                record.pay = localDigits(amount.digits);
            const QString currency = cell(Currency).trimmed();
            const bool paid = numbers[Paid].state == CellNumber::Number;
            if (paid && currency.isEmpty())
                return LocalizedText(Text::UnknownCurrency).arg(currency);
            if (!paid && !currency.isEmpty())
                return LocalizedText(Text::NotANumber).arg(name(Paid), cell(Paid).trimmed());
            if (paid)
                record.payCom = localDigits(numbers[Paid].digits) + u' ' + currency;
            return std::nullopt;
        }
        // Another log's amount, in Euro unless its currency says otherwise.
        record.pay = QStringLiteral("0");
        if (amount.state != CellNumber::Number)
            return std::nullopt;
        const QString typed = localDigits(amount.digits);
        const QString currency = cell(Currency).trimmed();
        if (isEuro(currency)) {
            record.pay = typed;
            return std::nullopt;
        }
        const auto entry = std::find_if(m_table.begin(), m_table.end(), [&](const TableCurrency& r) {
            return r.name.trimmed().compare(currency, Qt::CaseInsensitive) == 0;
        });
        if (entry == m_table.end())
            return LocalizedText(Text::UnknownCurrency).arg(currency);
        const Mixed factor(entry->factor);
        if (const AmountProblem problem = CheckAmount(typed, true, factor); problem != AmountProblem::None)
            return AmountProblemText(problem);
        record.pay = LocaleText(EuroValue(typed, factor));
        record.payCom = typed + u' ' + entry->name;
        return std::nullopt;
    }

    QStringList m_header;
    Columns m_columns;
    QChar m_decimal;
    std::vector<TableCurrency> m_table;
    std::vector<std::optional<double>> m_odometer;
};

ImportPlan problem(Text::Id text)
{
    ImportPlan plan;
    plan.problem = LocalizedText(text);
    return plan;
}
} // namespace

QByteArray ExportText(const SettingsStore& store, const QString& user, qint64* count)
{
    QStringList header;
    for (const char* name : TnkFile::OwnColumns)
        header << QString::fromLatin1(name);
    QByteArray out = TnkFile::line(header);
    qint64 lines = 0;
    ForEachFillUp(store, user, [&out, &lines](const StoredFillUp& r) {
        ++lines;
        QString paid, currency;
        if (const qsizetype blank = r.paid.lastIndexOf(u' '); blank > 0) {
            paid = exported(r.paid.left(blank));
            currency = r.paid.mid(blank + 1).trimmed();
            if (paid.isEmpty() || currency.isEmpty())
                paid.clear(), currency.clear();
        }
        out += TnkFile::line({r.day ? r.day->toString(Qt::ISODate) : QString(), exported(r.distance),
                              exported(r.litres), exported(r.consumption), exported(r.amount), paid, currency});
    });
    if (count)
        *count = lines;
    return out;
}

ExportResult ExportFile(const SettingsStore& store, const QString& user, const QString& path)
{
    ExportResult result;
    const QByteArray text = ExportText(store, user, &result.written);
    result.problem = Files::write(path, text);
    if (!result.problem.isEmpty())
        result.written = 0;
    return result;
}

ImportPlan PlanImport(QByteArray bytes, const SettingsStore& store, const QString& user)
{
    if (bytes.size() > TnkFile::MaxFileBytes)
        return problem(Text::FileTooLarge);
    TnkFile::Text decoded = TnkFile::decode(bytes);
    bytes = QByteArray();
    if (decoded.problem == TnkFile::TextProblem::Empty)
        return problem(Text::FileEmpty);
    if (decoded.problem == TnkFile::TextProblem::Binary)
        return problem(Text::FileBinary);

    // The field separator that makes the header name the most columns we know.
    ImportPlan plan;
    QStringList header;
    Columns columns;
    for (const QChar separator : {u',', u';'}) {
        TnkFile::Row first;
        TnkFile::Records(decoded.text, separator).next(first);
        const Columns found = columnsOf(first.fields);
        if (found.usable() && (!columns.usable() || found.found() > columns.found() ||
                               (found.found() == columns.found() && first.fields.size() > header.size()))) {
            columns = found;
            header = first.fields;
            plan.separator = separator;
        }
    }
    if (!columns.usable())
        return problem(Text::NoColumns);
    plan.ownFormat = columns.own;

    // Once through the lines for the decimal sign and the odometer readings,
    // once more for the fill-ups, holding one line at a time.
    DecimalSign decimal;
    QStringList odometer;
    TnkFile::Row row;
    {
        TnkFile::Records records(decoded.text, plan.separator);
        records.next(row);
        while (records.next(row)) {
            for (const Role role : {Odometer, Distance, Litres, Consumption, Amount, Paid})
                if (columns.at[role] >= 0)
                    decimal.add(row.fields.value(columns.at[role]));
            if (columns.at[Odometer] >= 0)
                odometer << row.fields.value(columns.at[Odometer]);
        }
    }
    plan.decimal = decimal.sign(plan.separator);
    LineReader reader(header, columns, plan.decimal, store);
    if (columns.at[Odometer] >= 0)
        reader.readOdometer(odometer);
    odometer.clear();

    TnkFile::Records records(decoded.text, plan.separator);
    records.next(row);
    for (size_t index = 0; records.next(row); ++index) {
        // Spreadsheets write blank rows as separators alone; our own files
        // write such a line only for a record with nothing readable.
        if (!plan.ownFormat &&
            std::all_of(row.fields.begin(), row.fields.end(), [](const QString& f) { return f.trimmed().isEmpty(); }))
            continue;
        std::variant<PlannedFillUp, QString> read = reader.read(row, index);
        if (const QString* reason = std::get_if<QString>(&read))
            plan.refused.push_back({row.line, *reason});
        else
            plan.fillUps.push_back(std::move(std::get<PlannedFillUp>(read)));
    }
    decoded.text = QString();
    const std::vector<char> duplicate = duplicatesOf(plan.fillUps, store, user);
    plan.duplicates = std::count(duplicate.begin(), duplicate.end(), 1);
    if (LastRecordNumber(store, user) + plan.toImport() > kMaxRecord)
        return problem(Text::FileTooLarge);
    return plan;
}

ImportPlan PlanImportFile(const QString& path, const SettingsStore& store, const QString& user)
{
    QFile file(path);
    const QString name = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ImportPlan plan;
        plan.problem = QStringLiteral("cannot read %1: %2").arg(name, file.errorString());
        return plan;
    }
    // A device or a pipe has no size to refuse it by: read one byte past the limit.
    QByteArray bytes = file.read(TnkFile::MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        ImportPlan plan;
        plan.problem = QStringLiteral("cannot read %1: %2").arg(name, file.errorString());
        return plan;
    }
    file.close();
    return PlanImport(std::move(bytes), store, user);
}

ImportResult ApplyImport(SettingsStore& store, const QString& user, const ImportPlan& plan, const Progress& progress)
{
    ImportResult result;
    std::vector<size_t> todo;
    qint64 last = 0;
    result.outcome = store.updateInBatches(
        [&](const SettingsStore& s, qint64 batch) -> std::optional<std::vector<SettingsStore::Write>> {
            if (batch == 0) {
                // Another program may have saved since the plan was made.
                const std::vector<char> duplicate = duplicatesOf(plan.fillUps, s, user);
                for (size_t i = 0; i < plan.fillUps.size(); ++i)
                    if (!duplicate[i])
                        todo.push_back(i);
                result.duplicates = qint64(plan.fillUps.size() - todo.size());
                last = LastRecordNumber(s, user);
                if (last + qint64(todo.size()) > kMaxRecord)
                    return std::nullopt;
            }
            const qint64 total = qint64(todo.size());
            const qint64 from = batch * kBatch;
            if (progress && !progress(std::min(from, total), total)) {
                result.cancelled = true;
                return std::nullopt;
            }
            std::vector<SettingsStore::Write> writes;
            if (from >= total)
                return writes;
            const qint64 to = std::min(from + kBatch, total);
            writes.reserve(size_t(to - from) * 6 + 1);
            for (qint64 i = from; i < to; ++i) {
                const std::vector<SettingsStore::Write> keys =
                    RecordWrites(user, last + 1 + i, plan.fillUps[todo[size_t(i)]].record, s);
                writes.insert(writes.end(), keys.begin(), keys.end());
            }
            if (to == total)
                writes.push_back({user, QStringLiteral("TotEntry"), LocaleText(double(last + total))});
            return writes;
        });
    if (result.outcome == SettingsStore::Update::Written)
        result.imported = qint64(todo.size());
    return result;
}

QString Summary(const ImportPlan& plan, const QString& user, const QString& path)
{
    QString text = LocalizedText(Text::ImportQuestion).arg(user) + u'\n' + QDir::toNativeSeparators(path) + QStringLiteral("\n\n") +
                   LocalizedText(Text::ToImport).arg(plan.toImport()) + u'\n' + LocalizedText(Text::AlreadyPresent).arg(plan.duplicates) + u'\n' +
                   LocalizedText(Text::LinesRefused).arg(plan.refused.size());
    for (size_t i = 0; i < plan.refused.size() && i < 10; ++i)
        text += u'\n' + LocalizedText(Text::Row) + u' ' + QString::number(plan.refused[i].line) + QStringLiteral(": ") +
                plan.refused[i].reason;
    if (plan.refused.size() > 10)
        text += QStringLiteral("\n…");
    return text;
}

QString CountLine(qint64 count)
{
    return LocalizedText(Text::FillUpCount).arg(count);
}
} // namespace Exchange

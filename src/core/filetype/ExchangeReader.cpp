#include "core/filetype/ExchangeReader.h"

#include "core/frame/Conversions.h"
#include "core/fuel/FuelCalc.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace Exchange
{
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

std::optional<QDate> readDate(QStringView cell, const LocaleInfo& locale)
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
    return ReadFillUpDate(t, locale);
}

namespace
{
bool isEuro(const QString& currency)
{
    const QString c = currency.trimmed().toLower();
    return c.isEmpty() || c == u"eur" || c == u"euro" || c == u"euros" || c == u"€";
}

} // namespace

LineReader::LineReader(const QStringList& header, const Columns& columns, QChar decimal,
                       std::vector<CurrencyRow> currencies, const Speech& speech)
    : m_header(header), m_columns(columns), m_decimal(decimal), m_currencies(std::move(currencies)), m_speech(speech)
{
}

void LineReader::readOdometer(const QStringList& cells)
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

QString LineReader::cell(const QStringList& fields, Role role) const
{
    return m_columns.at[role] >= 0 ? fields.value(m_columns.at[role]) : QString();
}

QString LineReader::name(Role role) const
{
    return m_header.value(m_columns.at[role]).trimmed();
}

std::variant<FillUp, QString> LineReader::read(const TnkFile::Row& row, size_t index) const
{
    const QStringList& f = row.fields;
    const LocaleInfo& locale = m_speech.locale;
    if (f.size() > m_header.size())
        for (qsizetype extra = m_header.size(); extra < f.size(); ++extra)
            if (!f[extra].trimmed().isEmpty())
                return m_speech.text(Text::TooManyFields).arg(f.size()).arg(m_header.size());
    FillUp fillUp;
    // The program's own files keep an empty field as a value that reads as none.
    const QString none = m_columns.own ? QStringLiteral("") : QString();
    fillUp.date.text = fillUp.consumption.text = fillUp.euro.text = none;
    const QString dateText = cell(f, Date).trimmed();
    if (!dateText.isEmpty() || !m_columns.own) {
        const std::optional<QDate> day = readDate(dateText, locale);
        if (!day)
            return m_speech.text(Text::NotADate).arg(name(Date), dateText);
        fillUp.date = FillUpText::date(*day, locale);
    }
    CellNumber numbers[RoleCount];
    for (const Role role : {Distance, Litres, Consumption, Amount, Paid}) {
        numbers[role] = readNumber(cell(f, role), m_decimal);
        if (numbers[role].state == CellNumber::NotANumber || numbers[role].state == CellNumber::Negative)
            return m_speech.text(Text::NotANumber).arg(name(role), cell(f, role).trimmed());
    }
    double distance = numbers[Distance].state == CellNumber::Number ? numbers[Distance].value : 0;
    if (numbers[Distance].state == CellNumber::Empty && index < m_odometer.size() && m_odometer[index]) {
        if (*m_odometer[index] < 0)
            return m_speech.text(Text::OdometerBelow);
        distance = *m_odometer[index];
    }
    const double litres = numbers[Litres].state == CellNumber::Number ? numbers[Litres].value : 0;
    fillUp.distance = FillUpText::measured(distance);
    fillUp.litres = FillUpText::measured(litres);
    // As a save computes it from the distance and the litres; a record kept
    // before those were stored brings its own.
    if (distance > 0 && litres > 0) {
        if (!ConsumptionText(litres, distance, locale))
            return m_speech.text(Text::NoConsumption);
        fillUp.consumption = FillUpText::consumption(litres * 100 / distance, locale);
    } else if (numbers[Consumption].state == CellNumber::Number) {
        fillUp.consumption = FillUpText::fileNumber(numbers[Consumption].digits, locale);
    } else if (!m_columns.own) {
        fillUp.consumption = FillUpText::consumption(0, locale);
    }
    if (const std::optional<QString> reason = readAmounts(f, numbers, fillUp))
        return *reason;
    return fillUp;
}

std::optional<QString> LineReader::readAmounts(const QStringList& f, const CellNumber* numbers, FillUp& fillUp) const
{
    const LocaleInfo& locale = m_speech.locale;
    const CellNumber& amount = numbers[Amount];
    // Our own files guard a currency's name against spreadsheets' formulas.
    const QString currency = (m_columns.own ? TnkFile::unguarded(cell(f, Currency)) : cell(f, Currency)).trimmed();
    if (m_columns.own) {
        if (amount.state == CellNumber::Number)
            fillUp.euro = FillUpText::fileNumber(amount.digits, locale);
        const bool paid = numbers[Paid].state == CellNumber::Number;
        if (paid && currency.isEmpty())
            return m_speech.text(Text::UnknownCurrency).arg(currency);
        if (!paid && !currency.isEmpty())
            return m_speech.text(Text::NotANumber).arg(name(Paid), cell(f, Paid).trimmed());
        if (paid)
            fillUp.paid = FillUpText::paid(FillUpText::fileNumber(numbers[Paid].digits, locale).text, currency, locale);
        return std::nullopt;
    }
    // Another log's amount, in Euro unless its currency says otherwise.
    fillUp.euro = FillUpText::typedEuro(QString(), locale);
    if (amount.state != CellNumber::Number)
        return std::nullopt;
    const QString typed = FillUpText::fileNumber(amount.digits, locale).text;
    if (isEuro(currency)) {
        fillUp.euro = FillUpText::fileNumber(amount.digits, locale);
        return std::nullopt;
    }
    const auto entry = std::find_if(m_currencies.begin(), m_currencies.end(), [&](const CurrencyRow& r) {
        return r.name.trimmed().compare(currency, Qt::CaseInsensitive) == 0;
    });
    if (entry == m_currencies.end())
        return m_speech.text(Text::UnknownCurrency).arg(currency);
    const NumberOrText factor(entry->inverse);
    if (const AmountProblem problem = CheckAmount(typed, true, factor, locale); problem != AmountProblem::None)
        return AmountProblemText(problem, m_speech);
    fillUp.euro = FillUpText::euro(EuroValue(typed, factor, locale), locale);
    fillUp.paid = FillUpText::paid(typed, entry->name, locale);
    return std::nullopt;
}
} // namespace Exchange

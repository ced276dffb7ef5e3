#include "core/filetype/ExchangeReader.h"

#include "core/filetype/ExchangeDialect.h"
#include "core/filetype/TnkFile.h"

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

YesNo readYesNo(QStringView cell)
{
    static const QStringList yes = {"1",    "true", "yes",   "y",     "ja",    "j",     "oui",    "o",
                                    "si",   "sí",   "sim",   "tak",   "да",    "x",     "full",   "f",
                                    "voll", "vol",  "plein", "pieno", "lleno", "cheio", "filled", "volltankung"};
    static const QStringList no = {
        "0",   "false", "no",      "n", "nein",    "non",       "nee",       "não",          "nao",      "nej",
        "nie", "нет",   "partial", "p", "partiel", "partielle", "teilweise", "gedeeltelijk", "parziale", "parcial"};
    const QString t = cell.trimmed().toString().toLower();
    if (t.isEmpty())
        return YesNo::Empty;
    return yes.contains(t) ? YesNo::Yes : no.contains(t) ? YesNo::No : YesNo::Neither;
}

namespace
{
// Converted to the metre and the millilitre: 292 miles are 469.928 km; a
// number in km or litres stays as the file writes it.
double kept(double value, double factor)
{
    return factor == 1 ? value : std::round(value * factor * 1000) / 1000;
}
} // namespace

RowReader::RowReader(const Assignment& assignment, const QStringList& header, QChar decimal, DateOrder order,
                     const Speech& speech)
    : m_assignment(assignment), m_header(header), m_decimal(decimal), m_order(order), m_speech(speech)
{
}

QString RowReader::name(Role role) const
{
    return m_header.value(m_assignment.column(role)).trimmed();
}

std::optional<QString> RowReader::readFlags(const RowStore::Cells& cells, Reading& reading) const
{
    const bool codes = m_assignment.use[Full].how == u"spritmonitor";
    const QStringView full = cells[Full].trimmed();
    if (codes && !full.isEmpty()) {
        // Spritmonitor's fill-up types: 1 full, 2 partial, 3 the first after a gap.
        if (full != u"1" && full != u"2" && full != u"3")
            return m_speech.text(Text::NotYesOrNo).arg(name(Full), full.toString());
        reading.flags |= full == u"2" ? Reading::Partial : full == u"3" ? Reading::Missed : 0;
    } else if (const YesNo f = readYesNo(full); f == YesNo::Neither) {
        return m_speech.text(Text::NotYesOrNo).arg(name(Full), full.toString());
    } else if (f == YesNo::No) {
        reading.flags |= Reading::Partial;
    }
    for (const auto& [role, flag] : {std::pair{Partial, Reading::Partial}, {Missed, Reading::Missed}}) {
        const YesNo f = readYesNo(cells[role]);
        if (f == YesNo::Neither)
            return m_speech.text(Text::NotYesOrNo).arg(name(role), cells[role].trimmed().toString());
        if (f == YesNo::Yes)
            reading.flags |= flag;
    }
    return std::nullopt;
}

std::optional<QString> RowReader::readMeasures(const RowStore::Cells& cells, const CellNumber* numbers,
                                               Reading& reading)
{
    Unit volume = m_assignment.unit(Litres);
    if (!cells[VolumeUnit].trimmed().isEmpty())
        volume = unitOfWords(cells[VolumeUnit]);
    if (volume == Unit::Gallons || volume == Unit::Unknown) {
        const Unit kind = m_assignment.unit(VolumeUnit);
        volume = volume == Unit::Gallons && kind != Unit::Unknown ? kind : volume;
        m_unknownGallons = m_unknownGallons || volume == Unit::Gallons;
    }
    const FuelCodes codes = m_assignment.use[Fuel].how == u"fuelio"         ? FuelCodes::Fuelio
                            : m_assignment.use[Fuel].how == u"spritmonitor" ? FuelCodes::Spritmonitor
                                                                            : FuelCodes::Words;
    if (const std::optional<Unit> fuel = fuelUnit(cells[Fuel], codes))
        volume = *fuel;
    if (volume == Unit::Kg || volume == Unit::Kwh)
        return m_speech.text(volume == Unit::Kg ? Text::MeasuredInKg : Text::MeasuredInKwh);
    Unit distance = m_assignment.unit(Odometer);
    if (!cells[DistanceUnit].trimmed().isEmpty())
        distance = unitOfWords(cells[DistanceUnit]);
    const double perDistance = distance == Unit::Miles ? toKeptUnit(Unit::Miles) : 1;
    const double perVolume = toKeptUnit(volume) > 0 ? toKeptUnit(volume) : 1;
    // An odometer of 0 is one not written down.
    if (numbers[Odometer].state == CellNumber::Number && numbers[Odometer].value > 0)
        reading.odometer = numbers[Odometer].value * perDistance; // rounded as a difference
    if (numbers[Distance].state == CellNumber::Number) {
        const Unit own = cells[DistanceUnit].trimmed().isEmpty() ? m_assignment.unit(Distance) : distance;
        reading.distance = kept(numbers[Distance].value, own == Unit::Miles ? toKeptUnit(Unit::Miles) : 1);
    }
    if (numbers[Litres].state == CellNumber::Number)
        reading.litres = kept(numbers[Litres].value, perVolume);
    return std::nullopt;
}

void RowReader::readAmount(const RowStore::Cells& cells, const CellNumber* numbers, Reading& reading)
{
    if (numbers[Amount].state == CellNumber::Number)
        reading.amount = Digits::of(numbers[Amount].digits);
    else if (numbers[UnitPrice].state == CellNumber::Number && numbers[Litres].state == CellNumber::Number)
        reading.amount = Digits::rounded(numbers[UnitPrice].value * numbers[Litres].value, 2);
    if (m_assignment.own) {
        if (numbers[Consumption].state == CellNumber::Number)
            reading.consumption = Digits::of(numbers[Consumption].digits);
        if (numbers[Paid].state == CellNumber::Number)
            reading.paid = Digits::of(numbers[Paid].digits);
    }
    if (!m_assignment.has(Currency) && m_foreignSign.isNull()) {
        m_foreignSign = Exchange::foreignSign(cells[Amount]);
        if (m_foreignSign.isNull())
            m_foreignSign = Exchange::foreignSign(cells[UnitPrice]);
    }
}

std::variant<Reading, QString> RowReader::read(const RowStore::Cells& cells, qint64 line, QStringList& currencies)
{
    Reading reading;
    reading.line = line;
    const QStringView date = cells[Date].trimmed();
    if (date.isEmpty() && m_assignment.own) {
        reading.flags |= Reading::NoDate;
    } else if (const std::optional<QDate> day = readDate(date, m_order, m_speech.locale)) {
        reading.day = qint32(day->toJulianDay());
    } else {
        return m_speech.text(Text::NotADate).arg(name(Date), date.toString());
    }
    CellNumber numbers[RoleCount];
    for (const Role role : {Odometer, Distance, Litres, Amount, UnitPrice, Consumption, Paid}) {
        numbers[role] = readNumber(cells[role], m_decimal);
        if (numbers[role].state == CellNumber::NotANumber || numbers[role].state == CellNumber::Negative)
            return m_speech.text(Text::NotANumber).arg(name(role), cells[role].trimmed().toString());
    }
    if (std::optional<QString> reason = readFlags(cells, reading))
        return *reason;
    if (std::optional<QString> reason = readMeasures(cells, numbers, reading))
        return *reason;
    readAmount(cells, numbers, reading);
    // Our own files guard a currency's name against spreadsheets' formulas.
    const QString cell = cells[Currency].toString();
    const QString currency = (m_assignment.own ? TnkFile::unguarded(cell) : cell).trimmed();
    if (!currency.isEmpty()) {
        qsizetype at = currencies.indexOf(currency);
        if (at < 0) {
            at = currencies.size();
            currencies << currency;
        }
        reading.currency = qint16(at);
    }
    return reading;
}
} // namespace Exchange

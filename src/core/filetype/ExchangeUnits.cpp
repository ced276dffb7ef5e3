#include "core/filetype/ExchangeUnits.h"

#include <QRegularExpression>

#include <array>

namespace Exchange
{
namespace
{
struct UnitEntry
{
    Unit unit;
    const char16_t* keyword;
    double factor;
    Text::Id name;
};

const std::array<UnitEntry, 8>& units()
{
    static const std::array<UnitEntry, 8> table = {{
        {Unit::Km, u"km", 1, Text::UnitKm},
        {Unit::Miles, u"mi", 1.609344, Text::UnitMiles},
        {Unit::Litres, u"l", 1, Text::UnitLitres},
        {Unit::UsGallons, u"usgal", 3.785411784, Text::UnitUsGallons},
        {Unit::ImpGallons, u"impgal", 4.54609, Text::UnitImpGallons},
        {Unit::Gallons, u"gal", 0, Text::UnitGallons},
        {Unit::Kg, u"kg", 0, Text::UnitKg},
        {Unit::Kwh, u"kwh", 0, Text::UnitKwh},
    }};
    return table;
}

const UnitEntry* entry(Unit unit)
{
    for (const UnitEntry& e : units())
        if (e.unit == unit)
            return &e;
    return nullptr;
}
} // namespace

double toKeptUnit(Unit unit)
{
    const UnitEntry* e = entry(unit);
    return e ? e->factor : 0;
}

bool isDistance(Unit unit)
{
    return unit == Unit::Km || unit == Unit::Miles;
}

QString keyword(Unit unit)
{
    const UnitEntry* e = entry(unit);
    return e ? QString::fromUtf16(e->keyword) : QString();
}

std::optional<Unit> unitOfKeyword(QStringView keyword)
{
    for (const UnitEntry& e : units())
        if (keyword.compare(QStringView(e.keyword), Qt::CaseInsensitive) == 0)
            return e.unit;
    return std::nullopt;
}

Text::Id unitName(Unit unit)
{
    const UnitEntry* e = entry(unit);
    return e ? e->name : Text::UnitUnknown;
}

Unit unitOfWords(QStringView words)
{
    // A consumption or a price per unit names two units; neither is the column's own.
    static const QRegularExpression ratio(QStringLiteral("\\w\\s*/\\s*\\w|\\bper\\b|\\bmpg\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (ratio.match(words).hasMatch())
        return Unit::Unknown;
    static const std::pair<QRegularExpression, Unit> patterns[] = {
        {QRegularExpression(QStringLiteral("\\b(us|u\\.s\\.)[ _-]?(gallons?|gal)\\b|\\bus_gallon\\b")),
         Unit::UsGallons},
        {QRegularExpression(QStringLiteral("\\b(imp|imperial|uk)\\.?[ _-]?(gallons?|gal)\\b|\\bimperial_gallon\\b")),
         Unit::ImpGallons},
        {QRegularExpression(QStringLiteral("\\b(gallons?|gal)\\b")), Unit::Gallons},
        {QRegularExpression(QStringLiteral("\\b(kwh)\\b")), Unit::Kwh},
        {QRegularExpression(QStringLiteral("\\b(kg|kilograms?|kilogramm)\\b")), Unit::Kg},
        {QRegularExpression(QStringLiteral("\\b(l|ltrs?|lit(re|er|ro)s?|liters|litres)\\b")), Unit::Litres},
        {QRegularExpression(QStringLiteral("\\b(mi|miles?|mile)\\b")), Unit::Miles},
        {QRegularExpression(QStringLiteral("\\b(km|kms|kilomet(er|re)s?|kilometerstand|km[ -]stand|teil[ -]km)\\b")),
         Unit::Km},
    };
    const QString lower = words.toString().toLower();
    for (const auto& [pattern, unit] : patterns)
        if (pattern.match(lower).hasMatch())
            return unit;
    return Unit::Unknown;
}

std::optional<Unit> fuelUnit(QStringView cell, FuelCodes codes)
{
    const QStringView t = cell.trimmed();
    bool number = false;
    const int code = t.toInt(&number);
    if (codes == FuelCodes::Fuelio && number)
        return code / 100 == 5 ? std::optional(Unit::Kg) : code / 100 == 6 ? std::optional(Unit::Kwh) : std::nullopt;
    if (codes == FuelCodes::Spritmonitor && number) {
        if (code == 13 || code == 14 || code == 23)
            return Unit::Kg;
        return code == 19 || code == 24 ? std::optional(Unit::Kwh) : std::nullopt;
    }
    static const QRegularExpression gas(
        QStringLiteral("\\b(cng|gnv|gnc|erdgas|methane?|metano|biogas|biom[ée]thane|hydrogen|wasserstoff|"
                       "hydrog[èe]ne|waterstof|idrogeno|h2)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression power(
        QStringLiteral("\\b(electric|electricity|elektro|elektrisch|strom|[ée]lectri(que|cit[ée])|kwh|ev)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    if (gas.match(t).hasMatch())
        return Unit::Kg;
    if (power.match(t).hasMatch())
        return Unit::Kwh;
    return std::nullopt;
}
} // namespace Exchange

#include "core/filetype/ExchangeShapes.h"

#include "core/filetype/ExchangeDialect.h"

#include <QRegularExpression>

namespace Exchange
{
namespace
{
int named(const QStringList& header, QStringView name)
{
    for (int c = 0; c < header.size(); ++c)
        if (QStringView(header[c]).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

int startingWith(const QStringList& header, QStringView start)
{
    for (int c = 0; c < header.size(); ++c)
        if (QStringView(header[c]).trimmed().startsWith(start, Qt::CaseInsensitive))
            return c;
    return -1;
}

void set(Assignment& a, Role role, int column, Unit unit = Unit::Unknown)
{
    if (column >= 0)
        a.use[role] = Use{column, keyword(unit)};
}

void setHow(Assignment& a, Role role, int column, const QString& how)
{
    if (column >= 0)
        a.use[role] = Use{column, how};
}

Unit unitOf(const QStringList& header, int column)
{
    return column >= 0 ? unitOfWords(header[column]) : Unit::Unknown;
}

// A line of fields apart by the separator, quotes taken off.
QStringList splitLine(QStringView line, QChar separator)
{
    QStringList fields(1);
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'"' && quoted && i + 1 < line.size() && line[i + 1] == u'"')
            fields.back() += line[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (c == separator && !quoted)
            fields << QString();
        else
            fields.back() += c;
    }
    return fields;
}

std::optional<Assignment> fuelio(const QStringList& h)
{
    if (named(h, u"Data") < 0 || startingWith(h, u"Odo") < 0 || startingWith(h, u"Fuel (") < 0)
        return std::nullopt;
    Assignment a;
    set(a, Date, named(h, u"Data"));
    set(a, Odometer, startingWith(h, u"Odo"), unitOf(h, startingWith(h, u"Odo")));
    set(a, Litres, startingWith(h, u"Fuel ("), unitOf(h, startingWith(h, u"Fuel (")));
    set(a, Full, named(h, u"Full"));
    set(a, Amount, startingWith(h, u"Price"));
    set(a, UnitPrice, named(h, u"VolumePrice"));
    set(a, Missed, named(h, u"Missed"));
    setHow(a, Fuel, named(h, u"FuelType"), QStringLiteral("fuelio"));
    set(a, Tank, named(h, u"TankNumber"));
    return a;
}

std::optional<Assignment> fuellyClassic(const QStringList& h)
{
    if (named(h, u"car_name") < 0 || named(h, u"fuelup_date") < 0)
        return std::nullopt;
    Assignment a;
    const int miles = named(h, u"miles"), km = named(h, u"km"), gallons = named(h, u"gallons");
    const Unit distance = miles >= 0 ? Unit::Miles : km >= 0 ? Unit::Km : Unit::Unknown;
    set(a, Vehicle, named(h, u"car_name"));
    set(a, Date, named(h, u"fuelup_date"));
    set(a, Odometer, named(h, u"odometer"), distance);
    set(a, Distance, miles >= 0 ? miles : km, distance);
    set(a, Litres, gallons >= 0 ? gallons : named(h, u"litres"), gallons >= 0 ? Unit::Gallons : Unit::Litres);
    set(a, UnitPrice, named(h, u"price"));
    set(a, Partial, named(h, u"partial_fuelup"));
    set(a, Missed, named(h, u"missed_fuelup"));
    return a;
}

std::optional<Assignment> fuellyApp(const QStringList& h)
{
    if (named(h, u"Type") != 0 || named(h, u"Filled Up") < 0 || named(h, u"Gallons") < 0)
        return std::nullopt;
    Assignment a;
    set(a, Kind, named(h, u"Type"));
    set(a, Date, named(h, u"date"));
    set(a, Vehicle, named(h, u"Vehicle"));
    set(a, Odometer, named(h, u"Odometer"));
    set(a, Full, named(h, u"Filled Up"));
    set(a, UnitPrice, named(h, u"Price"));
    set(a, Litres, named(h, u"Gallons"), Unit::Gallons);
    set(a, Amount, named(h, u"Total Cost"));
    return a;
}

// German or English, the same columns in the same places.
std::optional<Assignment> spritmonitor(const QStringList& h)
{
    static const QStringList german = {"Datum", "Km-Stand", "Teil-Km", "Spritmenge", "Kosten", "Währung", "Tankart"};
    static const QStringList english = {"date", "Odometer", "Trip", "Quantity", "Total price", "Currency", "Type"};
    for (const QStringList* names : {&german, &english}) {
        bool all = h.size() > 10;
        for (int c = 0; all && c < names->size(); ++c)
            all = named(h, (*names)[c]) == c;
        if (!all)
            continue;
        Assignment a;
        for (const auto& [role, column, unit] : {std::tuple{Date, 0, Unit::Unknown},
                                                 {Odometer, 1, Unit::Km},
                                                 {Distance, 2, Unit::Km},
                                                 {Litres, 3, Unit::Litres},
                                                 {Amount, 4, Unit::Unknown},
                                                 {Currency, 5, Unit::Unknown}})
            set(a, role, column, unit);
        setHow(a, Full, 6, QStringLiteral("spritmonitor"));
        setHow(a, Fuel, 10, QStringLiteral("spritmonitor"));
        return a;
    }
    return std::nullopt;
}

std::optional<Assignment> lubeLogger(const QStringList& h)
{
    if (named(h, u"date") != 0 || named(h, u"FuelConsumed") < 0 || named(h, u"IsFillToFull") < 0)
        return std::nullopt;
    Assignment a;
    set(a, Date, 0);
    set(a, Odometer, named(h, u"Odometer"));
    set(a, Litres, named(h, u"FuelConsumed"));
    set(a, Amount, named(h, u"Cost"));
    set(a, Full, named(h, u"IsFillToFull"));
    set(a, Missed, named(h, u"MissedFuelUp"));
    return a;
}

// Columns 0 to 6 by their place: their titles are in the phone's language.
Assignment drivvo(const QStringList& h)
{
    Assignment a;
    if (h.size() < 7)
        return a;
    set(a, Odometer, 0, unitOf(h, 0));
    set(a, Date, 1);
    set(a, Fuel, 2);
    set(a, UnitPrice, 3);
    set(a, Amount, 4);
    set(a, Litres, 5, unitOfWords(QStringView(h[3]).sliced(h[3].lastIndexOf(u'/') + 1)));
    set(a, Full, 6);
    return a;
}

Assignment aCar(const QStringList& h)
{
    Assignment a;
    set(a, Vehicle, named(h, u"Vehicle"));
    set(a, Date, named(h, u"date"));
    set(a, Odometer, named(h, u"Odometer Reading"));
    set(a, DistanceUnit, named(h, u"Distance Unit"));
    set(a, Litres, named(h, u"Volume"));
    set(a, VolumeUnit, named(h, u"Volume Unit"));
    set(a, UnitPrice, named(h, u"Price per Unit"));
    set(a, Amount, named(h, u"Total Cost"));
    set(a, Partial, named(h, u"Partial Fill-Up?"));
    set(a, Missed, named(h, u"Previously Missed Fill-Ups?"));
    set(a, Fuel, named(h, u"Fuel Category"));
    return a;
}

Assignment myFuelManager(const QStringList& h)
{
    Assignment a;
    set(a, Date, named(h, u"date"));
    set(a, Litres, named(h, u"Fillup volume"));
    set(a, Odometer, named(h, u"Odometer"));
    set(a, Amount, named(h, u"Total price"));
    set(a, Currency, named(h, u"Currency"));
    set(a, Full, named(h, u"Tank status after fillup"));
    set(a, Vehicle, named(h, u"Vehicle name"));
    return a;
}

// One way to each figure: the odometer's differences over a trip column,
// the total over a price per unit.
Assignment proposed(Assignment a)
{
    if (a.has(Odometer))
        a.use[Distance] = {};
    if (a.has(Amount))
        a.use[UnitPrice] = {};
    return a;
}
} // namespace

QString appName(App app)
{
    static const char* const names[] = {"",           "",     "Fuelio", "Fuelly",         "Fuelly", "Spritmonitor",
                                        "LubeLogger", "aCar", "Drivvo", "My Fuel Manager"};
    return QString::fromLatin1(names[int(app)]);
}

std::optional<Shape> shapeOfTitle(QStringView firstLine, QString& other)
{
    QStringView t = firstLine.trimmed();
    if (t.size() >= 2 && t.front() == u'"' && t.back() == u'"')
        t = t.sliced(1, t.size() - 2).trimmed();
    if (t.startsWith(u"## "))
        return Shape{App::Fuelio, u',', true, DateOrder::Ymd};
    if (t.startsWith(u'#') && !t.contains(u','))
        return Shape{App::Drivvo, u',', true, DateOrder::Ymd};
    if (t == u"Metadata")
        return Shape{App::ACar, u',', true, DateOrder::Unknown};
    if (t.startsWith(u"My Fuel Manager - ")) {
        if (t.sliced(18).trimmed().compare(u"Fuel", Qt::CaseInsensitive) == 0)
            return Shape{App::MyFuelManager, u';', true, DateOrder::Mdy};
        other = t.toString();
    }
    return std::nullopt;
}

Shape shapeOfHeader(const QString& firstLine)
{
    Shape best;
    int bestScore = -1;
    qsizetype bestFields = 0;
    for (const QChar separator : {u',', u';', u'\t'}) {
        Shape shape{App::Other, separator};
        const QStringList fields = splitLine(firstLine, separator);
        const Assignment a = assignmentOf(shape, fields);
        const int score = (shape.app != App::Other ? 1000 : 0) + (a.usable() ? 100 : 0) + a.found();
        if (score > bestScore || (score == bestScore && fields.size() > bestFields)) {
            best = shape;
            bestScore = score;
            bestFields = fields.size();
        }
    }
    return best;
}

std::optional<QString> sectionTitle(const Shape& shape, const Record& record)
{
    if (record.fields.size() != 1)
        return std::nullopt;
    const QString title = record.fields.front().trimmed();
    switch (shape.app) {
    case App::Fuelio:
        return title.startsWith(u"## ") ? std::optional(title) : std::nullopt;
    case App::Drivvo:
        return title.startsWith(u'#') ? std::optional(title) : std::nullopt;
    case App::ACar:
        return !record.quoted && !title.isEmpty() ? std::optional(title) : std::nullopt;
    case App::MyFuelManager:
        return title.startsWith(u"My Fuel Manager") ? std::optional(title) : std::nullopt;
    default:
        return std::nullopt;
    }
}

Section sectionOf(const Shape& shape, const QString& title)
{
    static const QRegularExpression refuelling(QStringLiteral("^#+\\s*(refuel|reabastec)"),
                                               QRegularExpression::CaseInsensitiveOption);
    switch (shape.app) {
    case App::Fuelio:
        return title == u"## Log" ? Section::FillUps : title == u"## Vehicle" ? Section::Vehicles : Section::Other;
    case App::Drivvo:
        return refuelling.match(title).hasMatch() ? Section::FillUps : Section::Other;
    case App::ACar:
        return title == u"Fill-Up Records" ? Section::FillUps
               : title == u"Vehicles"      ? Section::Vehicles
               : title == u"Metadata"      ? Section::Metadata
                                           : Section::Other;
    default:
        return Section::FillUps;
    }
}

void readSide(const Shape& shape, Section section, const QStringList& header, const QStringList& row,
              std::vector<VehicleInfo>& vehicles, DateOrder& dateOrder)
{
    const auto cell = [&](QStringView name) { return row.value(named(header, name)).trimmed(); };
    if (section == Section::Metadata && !cell(u"Date Format").isEmpty()) {
        dateOrder = dateOrderOfPattern(cell(u"Date Format"));
    } else if (section == Section::Vehicles && shape.app == App::Fuelio) {
        static const Unit distances[] = {Unit::Km, Unit::Miles};
        static const Unit volumes[] = {Unit::Litres, Unit::UsGallons, Unit::ImpGallons};
        bool ok = false, ok2 = false;
        const int distance = cell(u"DistUnit").toInt(&ok), volume = cell(u"FuelUnit").toInt(&ok2);
        vehicles.push_back({cell(u"Name"), ok && distance >= 0 && distance < 2 ? distances[distance] : Unit::Unknown,
                            ok2 && volume >= 0 && volume < 3 ? volumes[volume] : Unit::Unknown});
    } else if (section == Section::Vehicles) {
        vehicles.push_back({cell(u"Name"), unitOfWords(cell(u"Distance Unit")), unitOfWords(cell(u"Volume Unit"))});
    }
}

Assignment assignmentOf(Shape& shape, const QStringList& header)
{
    switch (shape.app) {
    case App::Fuelio:
        return proposed(fuelio(header).value_or(columnsOf(header)));
    case App::Drivvo:
        return proposed(drivvo(header));
    case App::ACar:
        return proposed(aCar(header));
    case App::MyFuelManager:
        return proposed(myFuelManager(header));
    default:
        break;
    }
    const std::pair<App, std::optional<Assignment> (*)(const QStringList&)> plain[] = {
        {App::FuellyClassic, fuellyClassic},
        {App::FuellyApp, fuellyApp},
        {App::Spritmonitor, spritmonitor},
        {App::LubeLogger, lubeLogger}};
    for (const auto& [app, read] : plain)
        if (const std::optional<Assignment> a = read(header)) {
            shape.app = app;
            shape.dateOrder = app == App::Spritmonitor ? DateOrder::Dmy : DateOrder::Unknown;
            return proposed(*a);
        }
    const Assignment a = columnsOf(header);
    shape.app = a.own ? App::Own : App::Other;
    return a.own ? a : proposed(a);
}
} // namespace Exchange

#include "core/filetype/ExchangeAssignment.h"

namespace Exchange
{
namespace
{
struct RoleEntry
{
    const char16_t* keyword;
    Text::Id name;
};

constexpr RoleEntry kRoles[RoleCount] = {
    {u"date", Text::RoleDate},
    {u"odometer", Text::RoleOdometer},
    {u"distance", Text::RoleDistance},
    {u"litres", Text::RoleLitres},
    {u"amount", Text::RoleAmount},
    {u"price", Text::RoleUnitPrice},
    {u"currency", Text::RoleCurrency},
    {u"full", Text::RoleFull},
    {u"partial", Text::RolePartial},
    {u"missed", Text::RoleMissed},
    {u"vehicle", Text::RoleVehicle},
    {u"fuel", Text::RoleFuel},
    {u"kind", Text::RoleKind},
    {u"tank", Text::RoleTank},
    {u"distance-unit", Text::RoleDistanceUnit},
    {u"volume-unit", Text::RoleVolumeUnit},
    {u"consumption", Text::RoleConsumption},
    {u"paid", Text::RolePaid},
};

// The column a title or a number names.
std::optional<int> columnOf(QStringView name, const QStringList& header)
{
    bool number = false;
    const int n = name.toInt(&number);
    if (number)
        return n >= 1 && n <= header.size() ? std::optional(n - 1) : std::nullopt;
    for (int c = 0; c < header.size(); ++c)
        if (QStringView(header[c]).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return std::nullopt;
}

// What may stand after "@" for a role.
bool howFits(Role role, QStringView how)
{
    if (how.isEmpty() || role == Amount || role == UnitPrice)
        return true;
    const std::optional<Unit> unit = unitOfKeyword(how);
    switch (role) {
    case Odometer:
    case Distance:
        return unit && isDistance(*unit);
    case Litres:
        return unit && !isDistance(*unit);
    case VolumeUnit:
        return unit == Unit::UsGallons || unit == Unit::ImpGallons;
    case Fuel:
    case Full:
        return how == u"fuelio" || how == u"spritmonitor";
    default:
        return false;
    }
}
} // namespace

QString keyword(Role role)
{
    return QString::fromUtf16(kRoles[role].keyword);
}

Text::Id roleName(Role role)
{
    return kRoles[role].name;
}

Unit Assignment::unit(Role role) const
{
    return unitOfKeyword(use[role].how).value_or(Unit::Unknown);
}

int Assignment::found() const
{
    return int(std::count_if(use.begin(), use.end(), [](const Use& u) { return u.column >= 0; }));
}

bool Assignment::usable() const
{
    return has(Date) && (has(Odometer) || has(Distance) || has(Litres) || has(Amount) || has(Consumption));
}

QString Assignment::text() const
{
    QStringList parts;
    for (int r = 0; r < RoleCount; ++r)
        if (use[r].column >= 0)
            parts << keyword(Role(r)) + u'=' + QString::number(use[r].column + 1) +
                         (use[r].how.isEmpty() ? QString() : u'@' + use[r].how);
    return parts.join(u',');
}

std::optional<Assignment> Assignment::fromText(QStringView text, const QStringList& header, QString& error)
{
    Assignment out;
    for (const QStringView part : text.split(u',', Qt::SkipEmptyParts)) {
        const qsizetype equals = part.indexOf(u'='), at = part.lastIndexOf(u'@');
        const QStringView name = part.first(std::max<qsizetype>(equals, 0)).trimmed();
        const QStringView column = part.sliced(equals + 1, (at > equals ? at : part.size()) - equals - 1).trimmed();
        const QString how = at > equals ? part.sliced(at + 1).trimmed().toString() : QString();
        const auto role = std::find_if(std::begin(kRoles), std::end(kRoles),
                                       [&](const RoleEntry& e) { return name == QStringView(e.keyword); });
        if (equals < 0 || role == std::end(kRoles)) {
            error = QStringLiteral("\"%1\" names no role; the roles are date, odometer, distance, litres, amount, "
                                   "price, currency, full, partial, missed, vehicle, fuel, kind, tank, distance-unit, "
                                   "volume-unit")
                        .arg(part.toString());
            return std::nullopt;
        }
        const Role r = Role(role - std::begin(kRoles));
        const std::optional<int> c = columnOf(column, header);
        if (!c) {
            error = QStringLiteral("%1: the file has no column \"%2\"").arg(keyword(r), column.toString());
            return std::nullopt;
        }
        if (!howFits(r, how)) {
            error = QStringLiteral("%1: \"@%2\" is not a unit of it (km or mi for distances; l, usgal, impgal, kg or "
                                   "kwh for the litres)")
                        .arg(keyword(r), how);
            return std::nullopt;
        }
        out.use[r] = Use{*c, how};
    }
    if (!out.has(Date)) {
        error = QStringLiteral("the columns name no date (date=N)");
        return std::nullopt;
    }
    return out;
}
} // namespace Exchange

#pragma once

// Which column of a file feeds what of a fill-up, and in which unit: the
// assignment that the summary shows, the column window changes, --columns
// sets, and the user's settings remember for files with the same header.
//
// Its text form is what --columns takes: "date=1,odometer=2@km,litres=3@l,
// amount=5": a role, "=", the column by its number (from 1) or its title,
// and after "@" how the column is read (a unit, a currency, a code table).

#include "core/filetype/ExchangeUnits.h"
#include "core/frame/StringTable.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace Exchange
{
enum Role
{
    Date,
    Odometer,
    Distance,
    Litres, // the quantity, in whatever unit the file gives it
    Amount, // the total paid
    UnitPrice,
    Currency,
    Full,
    Partial,
    Missed,
    Vehicle,
    Fuel,         // its type, which may say kg or kWh
    Kind,         // what a line is: a fill-up or a service
    Tank,         // a second tank (LPG beside petrol) is another log
    DistanceUnit, // the unit of each line's distance
    VolumeUnit,   // the unit of each line's quantity
    Consumption,  // the program's own files only
    Paid,         // the program's own files only
    RoleCount
};
// The roles the column window offers, in its order.
inline constexpr int ChoosableRoles = Vehicle + 1;

// "date", "odometer" ... as --columns writes them.
QString keyword(Role role);
// As the summary and the column window name them.
Text::Id roleName(Role role);

struct Use
{
    int column = -1;
    QString how; // a unit keyword, a currency, a code table; "" for none
    bool operator==(const Use&) const = default;
};

struct Assignment
{
    std::array<Use, RoleCount> use;
    bool own = false; // the program's own columns: records carried over as they are

    int column(Role role) const { return use[role].column; }
    bool has(Role role) const { return use[role].column >= 0; }
    Unit unit(Role role) const;
    int found() const;
    // A date and something of a fill-up beside it.
    bool usable() const;
    bool operator==(const Assignment&) const = default;

    QString text() const;
    // The assignment a text gives for a header, or why it gives none
    // (English, as the command line speaks).
    static std::optional<Assignment> fromText(QStringView text, const QStringList& header, QString& error);
};
} // namespace Exchange

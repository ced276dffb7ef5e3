#pragma once

// The exports of other fuel logs, told apart by the shape of their files:
// the title of their first line for the files in sections (Fuelio's
// "## Vehicle", aCar's "Metadata", Drivvo's "##Refuelling", My Fuel
// Manager's title), the names of their header for the others (Fuelly,
// Spritmonitor, LubeLogger). Each gives the columns of its fill-ups and the
// units and date order that its files state; what a file does not state is
// left unknown, for the user to confirm.

#include "core/filetype/ExchangeAssignment.h"
#include "core/filetype/ExchangeDates.h"
#include "core/filetype/ExchangeSource.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace Exchange
{
enum class App : quint8
{
    Own,
    Other,
    Fuelio,
    FuellyClassic,
    FuellyApp,
    Spritmonitor,
    LubeLogger,
    ACar,
    Drivvo,
    MyFuelManager
};
// "Fuelio", "Spritmonitor" ...; empty for App::Other and App::Own.
QString appName(App app);

struct Shape
{
    App app = App::Other;
    QChar separator = u',';
    bool sectioned = false;
    DateOrder dateOrder = DateOrder::Unknown; // as the app writes its dates
};

// The shape of a file whose first line is a title; nothing for a file that
// begins with its header. A known app's file that holds no fill-ups sets
// `other` to its title ("My Fuel Manager - Vehicles").
std::optional<Shape> shapeOfTitle(QStringView firstLine, QString& other);
// The separator and shape of a file that begins with its header.
Shape shapeOfHeader(const QString& firstLine);

// A record that opens a section of a sectioned file: its title.
std::optional<QString> sectionTitle(const Shape& shape, const Record& record);
enum class Section
{
    FillUps,
    Vehicles,
    Metadata,
    Other // costs, services, trips: no fill-ups
};
Section sectionOf(const Shape& shape, const QString& title);

// What a file says of a vehicle: its name and units.
struct VehicleInfo
{
    QString name;
    Unit distance = Unit::Unknown;
    Unit volume = Unit::Unknown;
};
// Reads a line of a Vehicles or Metadata section into vehicles and the date order.
void readSide(const Shape& shape, Section section, const QStringList& header, const QStringList& row,
              std::vector<VehicleInfo>& vehicles, DateOrder& dateOrder);

// The columns of the fill-up section's header as the app writes them, or by
// the words of their titles; sets shape.app when the header is an app's.
Assignment assignmentOf(Shape& shape, const QStringList& header);
} // namespace Exchange

#pragma once

// The units other logs write their distances and quantities in, and how
// they become the km and litres this log keeps. Kilograms (natural gas,
// hydrogen) and kilowatt-hours (electricity) become nothing: this log
// counts litres.

#include "core/frame/StringTable.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace Exchange
{
enum class Unit : quint8
{
    Unknown,
    Km,
    Miles,
    Litres,
    UsGallons,
    ImpGallons,
    Gallons, // gallons, US or imperial: the file does not say
    Kg,
    Kwh
};

// Into km or litres; 0 for a unit that is not one of either.
double toKeptUnit(Unit unit);
bool isDistance(Unit unit);
// What --columns writes after "@": "km", "mi", "l", "usgal", "impgal", "kg", "kwh".
QString keyword(Unit unit);
std::optional<Unit> unitOfKeyword(QStringView keyword);
// As the summary names it.
Text::Id unitName(Unit unit);

// The unit that a column's title or a cell names: "Odo (mi)", "Fuel (us
// gallons)", "l/100km" says nothing about the quantity, "gal". Unknown when
// it names none.
Unit unitOfWords(QStringView words);

// The unit a fuel is measured in, when not litres: kg for natural gas and
// hydrogen, kWh for electricity; by the fuel codes of Fuelio (501 CNG, 601
// 240 V ...) or Spritmonitor (13 CNG H, 19 electricity ...), or by its name.
enum class FuelCodes : quint8
{
    Words,
    Fuelio,
    Spritmonitor
};
std::optional<Unit> fuelUnit(QStringView cell, FuelCodes codes);
} // namespace Exchange

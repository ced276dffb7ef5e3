#pragma once

#include "frame/Conversions.h"

#include <QString>

#include <array>
#include <optional>

// The distance and consumption of the fill-up being typed, worked out from the
// four entry texts: departure, arrival (or total distance), litres, amount.
// The values keep what the last run that got that far left in them, as the
// error rules require, so they live here between calls.
struct FuelValues
{
    Mixed KmsDep = 0;
    Mixed KmsArr = 0;
    Mixed TotKms = 0;
    Mixed Ltrs = 0;
    Mixed Conso = 0; // the "00.00" text, or the number 0
};

using EntryTexts = std::array<QString, 4>;

struct CaptionOutcome
{
    std::optional<QString> caption; // nullopt: the caption keeps its text
    bool saveEnabled = false;
    bool failed = false; // the error handler ran: saving is disabled
};

// An empty field is 0; anything else must be a number in the user's notation.
Mixed FieldNumber(const QString& text);

// Distance caption of Label1(0). On failure the caption is the error text.
CaptionOutcome CalcKms(FuelValues& values, const EntryTexts& texts);
// Consumption caption of Label1(1) and the save button, given the distance
// caption now shown (an error there keeps saving disabled).
CaptionOutcome CalLtrs(FuelValues& values, const EntryTexts& texts, const QString& distanceCaption);

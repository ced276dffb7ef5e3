#pragma once

#include "core/frame/Conversions.h"
#include "core/frame/Speech.h"

#include <QString>

#include <array>
#include <optional>

// The distance and consumption of the fill-up being typed, worked out from the
// four entry texts: departure, arrival (or total distance), litres, amount.
// The values keep what the last run that got that far left in them, as the
// error rules require, so they live here between calls.
struct FuelValues
{
    NumberOrText KmsDep = 0;
    NumberOrText KmsArr = 0;
    NumberOrText TotKms = 0;
    NumberOrText Ltrs = 0;
    NumberOrText Conso = 0; // the "00.00" text, or the number 0
};

using EntryTexts = std::array<QString, 4>;

// What a result label shows, and whether that is the error text: a failure
// is known by this flag, never by comparing captions.
struct Caption
{
    QString text;
    bool error = false;
    bool operator==(const Caption&) const = default;
};

struct CaptionOutcome
{
    std::optional<Caption> caption; // nullopt: the caption keeps its text
    bool saveEnabled = false;
    bool failed = false; // the error handler ran: saving is disabled
};

// Why the amount field cannot be stored as it stands.
enum class AmountProblem
{
    None,
    NotANumber,   // not a number in the user's notation
    RateUnusable, // the current currency's factor to Euro cannot be read, or is not above 0
    TooLarge      // its Euro value lies beyond the range of numbers
};

// The amount as typed; converted when the current currency is not the Euro
// (CurDevName is not "Euro"), with factor (CurRateBis) to Euro. An empty
// amount is none and always fine.
AmountProblem CheckAmount(const QString& amount, bool converted, const NumberOrText& factor, const LocaleInfo& locale);
// What the amount field's tooltip says about the problem; empty for None.
QString AmountProblemText(AmountProblem problem, const Speech& speech);

// An empty field is 0; anything else must be a number in the user's notation.
NumberOrText FieldNumber(const QString& text, const LocaleInfo& locale);

// The consumption of litres over a distance as the main window shows it and a
// save stores it: "06.15" in the user's notation, "00.00" when either is not
// above 0; nothing when it does not fit the range of numbers.
std::optional<QString> ConsumptionText(double litres, double distance, const LocaleInfo& locale);

// Distance caption of Label1(0). On failure (a field that is not a number, a
// distance beyond the range of numbers) the caption is the error text.
CaptionOutcome CalcKms(FuelValues& values, const EntryTexts& texts, const Speech& speech);
// Consumption caption of Label1(1) and the save button, given whether the
// distance caption shows the error text (which keeps saving disabled) and the
// amount's problem: an amount that cannot be stored shows the error text and
// keeps saving disabled at every recalculation, not only when it is typed.
CaptionOutcome CalLtrs(FuelValues& values, const EntryTexts& texts, bool distanceError, AmountProblem amount,
                       const Speech& speech);

// The save button as an activation of the main window leaves it: enabled when
// an amount is typed, never while a result caption shows the error text.
bool SaveEnabledOnActivation(const EntryTexts& texts, bool distanceError, bool consumptionError);

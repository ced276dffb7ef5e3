#pragma once

#include "core/records/FillUpTable.h"

#include <QString>

// A correction as the editor's fields make it: each field in the user's
// notation, checked by the rules of the main window (CalcKms, CalLtrs, the
// amount check), and the keys a save would write for it. A field left as it
// was shown keeps its key's stored text, so that opening a fill-up and
// pressing OK changes nothing.
struct FillUpFields
{
    QString date;        // "dd mmmm yyyy" in the user's locale, or the stored text when it cannot be read
    QString distance;    // km driven
    QString litres;      // litres bought
    QString consumption; // used when neither the distance nor the litres is given
    QString amount;      // in Euro
    bool operator==(const FillUpFields&) const = default;
};

struct FillUpCheck
{
    bool ok = false;
    QString caption;          // what the consumption caption of the main window would show
    FillUpTable::Texts texts; // the record's keys after the correction
};

// The fields as the editor first shows the record at position.
FillUpFields FieldsOf(const FillUpTable& records, size_t position);

FillUpCheck CheckCorrection(const FillUpTable::Texts& stored, const FillUpFields& shown, const FillUpFields& typed);

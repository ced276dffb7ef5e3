#pragma once

#include "core/frame/Speech.h"
#include "core/records/FillUp.h"

#include <QString>

// A correction as the editor makes it. The editor shows a fill-up in the
// user's notation (Shown); what the user then typed is that fill-up with the
// texts of its fields changed, checked by the rules of the main window
// (CalcKms, CalLtrs, the amount check). A field left as it was shown keeps its
// stored text, so that opening a fill-up and pressing OK changes nothing.
struct FillUpCheck
{
    bool ok = false;
    QString caption; // what the consumption caption of the main window would show
    FillUp fillUp;   // the fill-up after the correction
};

// The fill-up as the editor first shows it: its date as "dd mmmm yyyy", its
// numbers in the user's notation, the texts that cannot be read as stored.
FillUp Shown(const FillUp& stored, const LocaleInfo& locale);

// typed: the editor's texts, the date as "dd mmmm yyyy" in the user's
// notation; the consumption counts only when neither the distance nor the
// litres is given.
FillUpCheck CheckCorrection(const FillUp& stored, const FillUp& shown, const FillUp& typed, const Speech& speech);

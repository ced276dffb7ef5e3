#pragma once

#include "core/frame/LocaleInfo.h"
#include "core/frame/StringTable.h"

// How the program speaks to its user: the language of its texts, 0 English,
// 1 French or 2 Dutch (the offset into each run of the string table), and the
// user's notation of numbers and dates, which the language does not change.
struct Speech
{
    int language = 0;
    LocaleInfo locale;

    // The text of the current language for a base id.
    QString text(Text::Id base) const { return LoadResString(base + language); }
};

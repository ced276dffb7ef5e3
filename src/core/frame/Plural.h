#pragma once

#include "core/frame/Speech.h"

#include <QString>

// A count in the speech's language with the form of its noun that the count
// takes: the text holds the forms apart by "|" ("%1 fill-up|%1 fill-ups");
// French takes the first form for 0 and 1, English and Dutch for 1 alone.
QString Plural(const Speech& speech, Text::Id text, qint64 count);

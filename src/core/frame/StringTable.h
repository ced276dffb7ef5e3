#pragma once

#include "TextIds.h"

#include <QString>

// The texts of the program in English, French and Dutch, ids 101 to 284 and
// ours after them: a run of three consecutive ids per text, English first (one
// run of four at 128). Speech::text picks the current language's member of a run.
QString LoadResString(int id);

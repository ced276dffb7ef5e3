#pragma once

// The real services that need no window: the clock, starting programs, where
// the program lives, the single-instance guard, and the registry and shell
// notice (the Windows ones on Windows, a classes table in the store and the
// freedesktop.org files elsewhere). Gathered once, at start; the classes
// table lives in the SQLite file at classesFile, made on first use with
// makeClassesFile.
#include "core/frame/Platform.h"

namespace Platform
{
SystemServices systemServices(const QString& classesFile, bool makeClassesFile = false);
} // namespace Platform

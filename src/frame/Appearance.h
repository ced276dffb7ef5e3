#pragma once

class QIcon;

// The program's look on every platform: Tahoma 8.25 pt where it exists, a
// sans-serif of similar width elsewhere.
void installProgramFont();
void ensureResources();
QIcon programIcon();

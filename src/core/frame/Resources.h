#pragma once

// The string table and the program icon are compiled into the static core
// library, whose resource initialiser the linker would otherwise drop.
void ensureCoreResources();

#pragma once

#include <cstddef>

// A large buffer about to be filled at once (a user's records, the report
// text) is better backed by 2 MB pages where the system offers them on
// request: touching 20 MB in 4 KB pages takes 5,000 page faults, some 50 ms
// on a virtual machine, and 2 MB pages take ten. Elsewhere this does nothing.
void PreferLargePages(const void* data, std::size_t bytes);

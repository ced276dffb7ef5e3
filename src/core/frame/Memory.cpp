#include "core/frame/Memory.h"

#include <QtGlobal>

#include <cstdint>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

void PreferLargePages(const void* data, std::size_t bytes)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    // Only whole large pages inside the buffer: the system maps no other.
    constexpr std::uintptr_t large = std::uintptr_t(2) << 20;
    const std::uintptr_t from = (reinterpret_cast<std::uintptr_t>(data) + large - 1) & ~(large - 1);
    const std::uintptr_t to = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(large - 1);
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}

#include "platform/linux/large_arrays.h"

#include <sys/mman.h>

#include <cstdint>

namespace quorvex {

void AdviseHugePages(const void *data, size_t bytes)
{
    // Smaller arrays cannot hold a whole huge page.
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    constexpr uintptr_t kPage = 4096;
    const auto begin = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (begin + kPage - 1) & ~(kPage - 1);
    const uintptr_t last = (begin + bytes) & ~(kPage - 1);
    if (data == nullptr || last < first + kHugePage)
        return;
    ::madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
    // The ends of the range seldom fill a whole huge page; mapping all of it
    // in one call spares a fault per remaining small page. Older kernels
    // refuse the request, and the pages then come one fault at a time.
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif
    ::madvise(reinterpret_cast<void *>(first), last - first, MADV_POPULATE_WRITE);
}

}  // namespace quorvex

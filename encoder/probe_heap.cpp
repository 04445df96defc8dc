#include "probe_heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
#if __GLIBC_PREREQ(2, 33)
#define KOVIRTA_HUGE_PAGE_HEAP 1
#endif
#endif

namespace enc {

#ifdef KOVIRTA_HUGE_PAGE_HEAP
namespace {

constexpr std::uintptr_t kHugePage = 2u << 20;
constexpr std::uintptr_t kPage = 4096;
// Enough for most probes (a few MiB; a 4K picture needs more, and the heap simply grows on).
constexpr int kHeapReserve = 32 << 20;

// Never freed: keeps the heap's first, partly used huge-page range out of later allocations.
void* volatile g_spacer = nullptr;

std::uintptr_t alignUp(std::uintptr_t value, std::uintptr_t alignment)
{
    return (value + alignment - 1) & ~(alignment - 1);
}

std::uintptr_t programBreak()
{
    return reinterpret_cast<std::uintptr_t>(sbrk(0));
}

} // namespace

void prepareHeapForProbe()
{
    // Large blocks come from the heap instead of separate mappings, and freed memory stays for
    // reuse instead of going back to the system.
    if (mallopt(M_MMAP_THRESHOLD, kHeapReserve) == 0 || mallopt(M_TRIM_THRESHOLD, 2 * kHeapReserve) == 0
        || mallopt(M_TOP_PAD, kHeapReserve) == 0)
        return;

    // The heap's free top ends at the program break. A request just larger than it grows the
    // heap by the reserve while writing only near the old end.
    const std::uintptr_t oldEnd = programBreak();
    const std::uintptr_t topSize = mallinfo2().keepcost;
    if (topSize > oldEnd)
        return;
    const std::uintptr_t topStart = oldEnd - topSize;
    // volatile: the compiler may not drop an allocation that is freed unused.
    void* volatile grow = std::malloc(topSize + kPage);
    if (!grow)
        return;
    const std::uintptr_t end = programBreak();
    std::free(grow);

    // Huge pages can back only whole, aligned 2 MiB ranges that nothing has touched yet.
    const std::uintptr_t hugeStart = alignUp(oldEnd + 2 * kPage, kHugePage);
    if (end <= hugeStart + kHugePage
        || madvise(reinterpret_cast<void*>(hugeStart), end - hugeStart, MADV_HUGEPAGE) != 0)
        return;

    // Fill the heap below the aligned range, so that the run's allocations start on it. The
    // filler's pages are never touched and cost no memory.
    const std::uintptr_t headerSize = sizeof(std::size_t);
    if (hugeStart - topStart > 2 * headerSize)
        g_spacer = std::malloc(hugeStart - topStart - headerSize);
}
#else
void prepareHeapForProbe()
{}
#endif

} // namespace enc

#include "platform/HeapTuning.h"

#include <cstdint>
#include <cstdlib>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace orvel {

namespace {
// Enough for a whole table at its limits (about 20 MiB of records) and its
// sort keys, so that loading never has to grow the heap again.
constexpr std::size_t kHeapStep = std::size_t(64) << 20;
constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
} // namespace

void PrepareHeapForLargeTables()
{
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    if (mallopt(M_TOP_PAD, int(kHeapStep)) == 0)
        return;
    // Make the heap grow by one step now (small blocks come from the heap,
    // large ones would be mapped on their own), then ask for huge pages on it.
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    void *probes[32] = {};
    for (void *&probe : probes) {
        probe = std::malloc(64 * 1024);
        if (reinterpret_cast<std::uintptr_t>(sbrk(0)) != before)
            break;
    }
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    for (void *probe : probes)
        std::free(probe);
    const std::uintptr_t start = (before + kHugePage - 1) & ~(kHugePage - 1);
    if (after > start + kHugePage)
        madvise(reinterpret_cast<void *>(start), after - start, MADV_HUGEPAGE);
#endif
}

void *MapHugePageBlock(std::size_t bytes)
{
    // Twice the size, so that an aligned block lies inside; the rest goes
    // back at once.
    const std::size_t mapped = bytes + kHugePageBlock;
    void *area = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t aligned = (start + kHugePageBlock - 1) & ~(kHugePageBlock - 1);
    if (aligned > start)
        munmap(area, aligned - start);
    const std::uintptr_t end = start + mapped;
    if (end > aligned + bytes)
        munmap(reinterpret_cast<void *>(aligned + bytes), end - (aligned + bytes));
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void *>(aligned), bytes, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void *>(aligned);
}

void UnmapHugePageBlock(void *block, std::size_t bytes)
{
    if (block)
        munmap(block, bytes);
}

} // namespace orvel

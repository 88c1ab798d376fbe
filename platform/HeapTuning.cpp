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

} // namespace orvel

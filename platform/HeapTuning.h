#pragma once

#include <cstddef>

namespace orvel {

// Prepares the heap for tables at their limits before anything large is
// loaded: the heap grows in big steps backed by huge pages where the system
// offers them. Loading 30000 records otherwise spends most of its time in
// page faults on fresh memory, one 4 KiB page at a time. Call once, early in
// main(); harmless where huge pages are not available.
void PrepareHeapForLargeTables();

} // namespace orvel

namespace orvel {

// A block of memory of its own mapping, aligned to and backed by huge pages
// where the system offers them, on whatever thread it is asked for (the
// heap of a thread other than the first grows in small steps and would
// fault in every 4 KiB page). `bytes` is a multiple of kHugePageBlock.
// Returns null when no memory is to be had.
inline constexpr std::size_t kHugePageBlock = std::size_t(2) << 20;
void *MapHugePageBlock(std::size_t bytes);
void UnmapHugePageBlock(void *block, std::size_t bytes);

} // namespace orvel

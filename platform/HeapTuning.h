#pragma once

namespace orvel {

// Prepares the heap for tables at their limits before anything large is
// loaded: the heap grows in big steps backed by huge pages where the system
// offers them. Loading 30000 records otherwise spends most of its time in
// page faults on fresh memory, one 4 KiB page at a time. Call once, early in
// main(); harmless where huge pages are not available.
void PrepareHeapForLargeTables();

} // namespace orvel

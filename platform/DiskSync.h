#pragma once

#include <cstdint>

namespace orvel {

// fsync with a running total of the time it took, so that a command can
// tell the time its data spent reaching the disk apart from its own work.
bool SyncToDisk(int fd);
// Nanoseconds spent in SyncToDisk by this process so far.
std::int64_t SyncNanoseconds();

} // namespace orvel

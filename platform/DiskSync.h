#pragma once

#include <cstdint>

namespace orvel {

// fsync with a running total of the time it took, so that a command can
// tell the time its data spent reaching the disk apart from its own work.
bool SyncToDisk(int fd);
// Nanoseconds spent in SyncToDisk by this process so far.
std::int64_t SyncNanoseconds();

// For tests: while it lives, every SyncToDisk fails with EIO, as a disk that
// cannot take the data would. Saves must then refuse and keep the old file.
class ScopedSyncFailure
{
public:
    ScopedSyncFailure();
    ~ScopedSyncFailure();
    ScopedSyncFailure(const ScopedSyncFailure &) = delete;
    ScopedSyncFailure &operator=(const ScopedSyncFailure &) = delete;
};

} // namespace orvel

#include "platform/DiskSync.h"

#include <atomic>
#include <cerrno>
#include <chrono>

#include <unistd.h>

namespace orvel {

namespace {
std::atomic<std::int64_t> g_syncNanoseconds{0};
std::atomic<int> g_failingSyncs{0};
} // namespace

bool SyncToDisk(int fd)
{
    if (g_failingSyncs.load() > 0) {
        errno = EIO;
        return false;
    }
    const auto start = std::chrono::steady_clock::now();
    const bool ok = ::fsync(fd) == 0;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    g_syncNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count();
    return ok;
}

std::int64_t SyncNanoseconds()
{
    return g_syncNanoseconds.load();
}

ScopedSyncFailure::ScopedSyncFailure()
{
    ++g_failingSyncs;
}

ScopedSyncFailure::~ScopedSyncFailure()
{
    --g_failingSyncs;
}

} // namespace orvel

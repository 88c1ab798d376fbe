#include "platform/DiskSync.h"

#include <atomic>
#include <chrono>

#include <unistd.h>

namespace orvel {

namespace {
std::atomic<std::int64_t> g_syncNanoseconds{0};
}

bool SyncToDisk(int fd)
{
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

} // namespace orvel

#include "platform/WorkSplit.h"

#include <algorithm>
#include <cstdlib>

namespace orvel {

namespace {

int coreParts()
{
    static const int parts = [] {
        int cores = static_cast<int>(std::thread::hardware_concurrency());
        cores = std::clamp(cores, 1, 4);
        if (const char *cap = std::getenv("ORVEL_THREADS")) {
            const int wanted = std::atoi(cap);
            if (wanted >= 1)
                cores = std::min(cores, wanted);
        }
        return cores;
    }();
    return parts;
}

} // namespace

int WorkSplitParts(std::size_t count, std::size_t minimumPerPart)
{
    const std::size_t byCount = minimumPerPart == 0 ? count : count / minimumPerPart;
    return static_cast<int>(std::clamp<std::size_t>(byCount, 1, static_cast<std::size_t>(coreParts())));
}

} // namespace orvel

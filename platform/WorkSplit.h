#pragma once

#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

namespace orvel {

// Heavy loops over whole tables (loading, importing, exporting) split their
// records into consecutive ranges worked on at the same time, one per
// processor core. Small amounts stay on the calling thread: a thread costs
// more than a few hundred records.

// How many ranges `count` items are split into: 1 below `minimumPerPart`
// items per range, otherwise up to the number of cores (at most 4). The
// environment variable ORVEL_THREADS caps it (1 keeps every loop on the
// calling thread).
int WorkSplitParts(std::size_t count, std::size_t minimumPerPart = 4096);

// Range `part` of `parts` over [0, count): consecutive, in order, covering
// every item once.
inline std::size_t WorkSplitBegin(std::size_t count, int part, int parts)
{
    return count * static_cast<std::size_t>(part) / static_cast<std::size_t>(parts);
}

// Calls work(part, begin, end) for each range, the first on the calling
// thread and the others on threads of their own, and returns when all are
// done. An exception thrown by any range is thrown again here (the first by
// range order) once every thread has ended.
template<typename Work>
void RunWorkSplit(std::size_t count, int parts, Work &&work)
{
    if (parts <= 1) {
        work(0, std::size_t(0), count);
        return;
    }
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(parts));
    auto runPart = [&](int part) {
        try {
            work(part, WorkSplitBegin(count, part, parts), WorkSplitBegin(count, part + 1, parts));
        } catch (...) {
            failures[static_cast<std::size_t>(part)] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(parts - 1));
    for (int part = 1; part < parts; ++part) {
        try {
            threads.emplace_back(runPart, part);
        } catch (...) {
            // No thread to be had: the range is worked on here instead.
            runPart(part);
        }
    }
    runPart(0);
    for (std::thread &thread : threads)
        thread.join();
    for (const std::exception_ptr &failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace orvel

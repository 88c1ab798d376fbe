#pragma once

#include "platform/WorkSplit.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

namespace orvel {

// Blocks of output made on several threads at once and handed on in order:
// each thread takes the next block nobody has taken yet and makes it into a
// buffer of a ring (`buffersPerPart` buffers for each thread). The calling
// thread also hands every made block on, in order, as soon as it is ready; a
// thread whose next buffer still waits to be handed on waits for it.
//
// make(buffer, block, part) fills the buffer (of type Buffer, default-made
// and reused) with block `block` on thread `part` (0 to parts - 1, so that
// each thread may use scratch space of its own). It returns false when the
// block is the last one there is (its input ended inside it): the blocks
// after it are not handed on, and no thread takes another one.
//
// handOn(buffer, block) writes the block on the calling thread; false ends
// the work (a write failed) and is returned. Nothing else is handed on after
// it. An exception thrown by `make` ends the work on every thread and is
// thrown again here.
template<typename Buffer, typename Make, typename HandOn>
bool MakeBlocksInOrder(int blocks, int parts, int buffersPerPart, Make &&make, HandOn &&handOn)
{
    if (blocks <= 0)
        return true;
    parts = std::max(parts, 1);
    const int ringSize = std::min(blocks, std::max(buffersPerPart, 1) * parts);
    std::vector<Buffer> ring(static_cast<std::size_t>(ringSize));
    std::vector<int> made(static_cast<std::size_t>(ringSize), -1); // the block each buffer holds
    std::mutex lock;
    std::condition_variable changed;
    int handed = 0;        // blocks handed on so far
    int last = blocks - 1; // the last block there is, as far as known
    bool failed = false;
    std::atomic<int> next{0};

    auto done = [&] { return failed || handed > last; };
    // Hands on the blocks that are ready, in order; on the calling thread
    // only. With `until`, waits until that many blocks are handed on.
    auto handOnReady = [&](std::unique_lock<std::mutex> &held, int until) {
        while (!done()) {
            const auto slot = static_cast<std::size_t>(handed % ringSize);
            if (made[slot] != handed) {
                if (handed >= until)
                    return;
                changed.wait(held);
                continue;
            }
            held.unlock();
            const bool ok = handOn(ring[slot], handed);
            held.lock();
            // Another thread may have failed meanwhile: a failure is never
            // taken back.
            if (!ok)
                failed = true;
            made[slot] = -1;
            ++handed;
            changed.notify_all();
        }
    };

    auto work = [&](int part) {
        for (int b = next.fetch_add(1); b < blocks; b = next.fetch_add(1)) {
            const auto slot = static_cast<std::size_t>(b % ringSize);
            {
                // The buffer is free once the block that used it before is
                // handed on.
                std::unique_lock held(lock);
                if (part == 0)
                    handOnReady(held, b - ringSize + 1);
                else
                    changed.wait(held, [&] { return done() || b > last || handed > b - ringSize; });
                if (done() || b > last)
                    break;
            }
            const bool more = make(ring[slot], b, part);
            std::unique_lock held(lock);
            if (!more)
                last = std::min(last, b);
            made[slot] = b;
            changed.notify_all();
            if (part == 0)
                handOnReady(held, 0);
        }
        if (part == 0) {
            std::unique_lock held(lock);
            handOnReady(held, blocks);
        }
    };
    RunWorkSplit(static_cast<std::size_t>(parts), parts, [&](int part, std::size_t, std::size_t) {
        try {
            work(part);
        } catch (...) {
            // No thread may wait for a block this one will never make.
            const std::lock_guard held(lock);
            failed = true;
            changed.notify_all();
            throw;
        }
    });
    return !failed;
}

} // namespace orvel

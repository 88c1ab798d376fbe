#pragma once

#include <atomic>
#include <cstddef>

namespace orvel {

// The head of a chunk of record buffers, at the start of its mapping. It
// counts the pool that fills it and every piece handed out.
struct RecordBufferChunk
{
    std::atomic<std::size_t> references{1};
    std::size_t bytes = 0; // of the whole mapping
};

// Counts one reference less; the last one returns the mapping.
void ReleaseChunk(RecordBufferChunk *chunk) noexcept;

} // namespace orvel

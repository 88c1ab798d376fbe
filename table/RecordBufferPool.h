#pragma once

#include "table/RecordBuffer.h"

#include <cstddef>
#include <cstdint>

namespace orvel {

// Hands out record buffers as pieces of large chunks, for one thread that
// makes many records at once (loading a database file): no allocation per
// record, and the chunks come from mappings of their own backed by huge
// pages, which a thread's own heap would fault in 4 KiB at a time. A chunk
// is returned when the pool and every piece of it have let go, so the memory
// of records that are changed or removed later comes back only with the
// last record of its chunk: at most what the loaded records took.
class RecordBufferPool
{
public:
    RecordBufferPool() = default;
    ~RecordBufferPool();
    RecordBufferPool(const RecordBufferPool &) = delete;
    RecordBufferPool &operator=(const RecordBufferPool &) = delete;

    // A buffer of `words` 16-bit words (at most kMaxPieceWords), not
    // initialised. Throws std::bad_alloc when no memory is to be had.
    RecordBuffer Allocate(std::size_t words);

    static constexpr std::size_t kMaxPieceWords = 64 * 1024;
    // From this many records on a pool pays: fewer would leave most of a
    // chunk unused.
    static constexpr std::size_t kWorthwhileRecords = 2000;

private:
    RecordBufferChunk *m_chunk = nullptr;
    std::uint16_t *m_next = nullptr;
    std::size_t m_left = 0; // words
};

} // namespace orvel

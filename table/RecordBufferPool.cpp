#include "table/RecordBufferPool.h"

#include "platform/HeapTuning.h"
#include "table/RecordBufferChunk.h"

#include <new>

namespace orvel {

namespace {

constexpr std::size_t kChunkBytes = kHugePageBlock;
// The pieces start after the head, on a cache line.
constexpr std::size_t kHeadBytes = 64;
static_assert(sizeof(RecordBufferChunk) <= kHeadBytes);

} // namespace

void ReleaseChunk(RecordBufferChunk *chunk) noexcept
{
    if (chunk->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        const std::size_t bytes = chunk->bytes;
        chunk->~RecordBufferChunk();
        UnmapHugePageBlock(chunk, bytes);
    }
}

RecordBufferPool::~RecordBufferPool()
{
    if (m_chunk)
        ReleaseChunk(m_chunk);
}

RecordBuffer RecordBufferPool::Allocate(std::size_t words)
{
    if (words == 0 || words > kMaxPieceWords)
        throw std::bad_alloc();
    if (words > m_left) {
        void *block = MapHugePageBlock(kChunkBytes);
        if (!block)
            throw std::bad_alloc();
        if (m_chunk)
            ReleaseChunk(m_chunk);
        m_chunk = new (block) RecordBufferChunk;
        m_chunk->bytes = kChunkBytes;
        m_next = reinterpret_cast<std::uint16_t *>(static_cast<char *>(block) + kHeadBytes);
        m_left = (kChunkBytes - kHeadBytes) / sizeof(std::uint16_t);
    }
    m_chunk->references.fetch_add(1, std::memory_order_relaxed);
    std::uint16_t *piece = m_next;
    m_next += words;
    m_left -= words;
    return RecordBuffer(piece, m_chunk);
}

} // namespace orvel

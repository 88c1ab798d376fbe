#pragma once

#include <cstddef>
#include <cstdint>

namespace orvel {

class RecordBufferPool;
struct RecordBufferChunk;

// The buffer of a record's values: memory of its own, or a piece of a large
// chunk shared by records loaded together (see RecordBufferPool). Either way
// the record may write anywhere inside its capacity; only letting go
// differs, and the chunk is returned once the last of its pieces is let go.
class RecordBuffer
{
public:
    RecordBuffer() = default;
    // Memory of its own for `words` 16-bit words, not initialised.
    static RecordBuffer Owned(std::size_t words);
    RecordBuffer(RecordBuffer &&other) noexcept
        : m_data(other.m_data)
        , m_chunk(other.m_chunk)
    {
        other.m_data = nullptr;
        other.m_chunk = nullptr;
    }
    RecordBuffer &operator=(RecordBuffer &&other) noexcept;
    RecordBuffer(const RecordBuffer &) = delete;
    RecordBuffer &operator=(const RecordBuffer &) = delete;
    ~RecordBuffer() { release(); }

    std::uint16_t *get() const { return m_data; }
    std::uint16_t &operator[](std::size_t i) const { return m_data[i]; }
    explicit operator bool() const { return m_data != nullptr; }
    // Whether the buffer is a piece of a shared chunk.
    bool IsPooled() const { return m_chunk != nullptr; }

private:
    friend class RecordBufferPool;
    // A piece of `chunk`, for which a reference was counted already.
    RecordBuffer(std::uint16_t *data, RecordBufferChunk *chunk)
        : m_data(data)
        , m_chunk(chunk)
    {}
    void release() noexcept;

    std::uint16_t *m_data = nullptr;
    RecordBufferChunk *m_chunk = nullptr;
};

} // namespace orvel

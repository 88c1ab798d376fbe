#include "table/RecordBuffer.h"

#include "table/RecordBufferChunk.h"

#include <memory>

namespace orvel {

RecordBuffer RecordBuffer::Owned(std::size_t words)
{
    return RecordBuffer(std::make_unique_for_overwrite<std::uint16_t[]>(words).release(), nullptr);
}

RecordBuffer &RecordBuffer::operator=(RecordBuffer &&other) noexcept
{
    if (this != &other) {
        release();
        m_data = other.m_data;
        m_chunk = other.m_chunk;
        other.m_data = nullptr;
        other.m_chunk = nullptr;
    }
    return *this;
}

void RecordBuffer::release() noexcept
{
    if (m_chunk)
        ReleaseChunk(m_chunk);
    else
        delete[] m_data;
    m_data = nullptr;
    m_chunk = nullptr;
}

} // namespace orvel

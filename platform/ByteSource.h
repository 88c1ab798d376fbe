#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class QIODevice;

namespace orvel {

// Where a reader's bytes come from: reads at a position. A file with a
// descriptor and a buffer in memory can be read at several positions at once
// (each reading thread with a window of its own); other devices are read
// through one window only, by seeking.
class ByteSource
{
public:
    explicit ByteSource(QIODevice &device);

    std::size_t size() const { return m_size; }
    bool concurrent() const { return m_memory || m_descriptor >= 0; }
    // The bytes of a buffer held in memory, which a reader may use in place;
    // null for a file.
    const std::uint8_t *memory() const { return m_memory; }

    // Up to n bytes from `offset` on; fewer only at the end of the file or
    // when it cannot be read.
    std::size_t readAt(std::size_t offset, std::uint8_t *data, std::size_t n);
    // Whether a read failed with an error (rather than finding the end of a
    // file that became shorter).
    bool failed() const { return m_failed.load(std::memory_order_relaxed); }

private:
    QIODevice &m_device;
    std::size_t m_size;
    const std::uint8_t *m_memory = nullptr;
    int m_descriptor = -1;
    std::atomic<bool> m_failed{false};
};

} // namespace orvel

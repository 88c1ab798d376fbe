#pragma once

#include "platform/AnsiString.h"

#include <QIODevice>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

namespace orvel {

// Collects the text of an export and hands it to the file in large pieces:
// a write per record would make the system calls cost more than the
// formatting. After the first failed write nothing more is written.
class ExportBuffer
{
public:
    static constexpr std::size_t kFlushSize = std::size_t(1) << 20;

    explicit ExportBuffer(QIODevice &out)
        : m_out(out)
        , m_data(std::make_unique_for_overwrite<char[]>(kFlushSize * 2))
        , m_capacity(kFlushSize * 2)
    {}

    // Room for `bytes` more bytes: write them from the pointer returned, then
    // say with commit() where they end.
    char *reserve(std::size_t bytes)
    {
        if (m_capacity - m_size < bytes) {
            const std::size_t capacity = std::max(m_capacity * 2, m_size + bytes);
            auto data = std::make_unique_for_overwrite<char[]>(capacity);
            std::memcpy(data.get(), m_data.get(), m_size);
            m_data = std::move(data);
            m_capacity = capacity;
        }
        return m_data.get() + m_size;
    }
    void commit(const char *end) { m_size = static_cast<std::size_t>(end - m_data.get()); }

    void append(AnsiView text)
    {
        char *out = reserve(text.size());
        if (!text.empty())
            std::memcpy(out, text.data(), text.size());
        m_size += text.size();
    }
    void append(char c)
    {
        *reserve(1) = c;
        ++m_size;
    }

    // Writes what is collected once there is enough of it. False once a
    // write has failed.
    bool flushIfFull() { return m_size < kFlushSize ? !m_failed : flush(); }

    bool flush()
    {
        if (!m_failed && m_size > 0) {
            const auto size = static_cast<qint64>(m_size);
            m_failed = m_out.write(m_data.get(), size) != size;
        }
        m_size = 0;
        return !m_failed;
    }

private:
    QIODevice &m_out;
    std::unique_ptr<char[]> m_data;
    std::size_t m_capacity;
    std::size_t m_size = 0;
    bool m_failed = false;
};

} // namespace orvel

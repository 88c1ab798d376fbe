#pragma once

#include "platform/AnsiString.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>

namespace orvel {

// Collects the text of an export and hands it to the file in large pieces:
// a write per record would make the system calls cost more than the
// formatting. After the first failed write nothing more is written. Made
// without a device it only collects (the records one thread formats for
// another to write).
class ExportBuffer
{
public:
    static constexpr std::size_t kFlushSize = std::size_t(1) << 20;

    explicit ExportBuffer(QIODevice &out, std::size_t capacity = kFlushSize * 2)
        : m_out(&out)
        , m_data(std::make_unique_for_overwrite<char[]>(capacity))
        , m_capacity(capacity)
    {}
    explicit ExportBuffer(std::size_t capacity)
        : m_data(std::make_unique_for_overwrite<char[]>(capacity))
        , m_capacity(capacity)
    {}

    // Room for `bytes` more bytes: write them from the pointer returned, then
    // say with commit() where they end.
    char *reserve(std::size_t bytes)
    {
        if (m_capacity - m_size < bytes) [[unlikely]]
            grow(bytes);
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

    std::size_t size() const { return m_size; }
    const char *data() const { return m_data.get(); }
    void clear() { m_size = 0; }

    // Writes what is collected once there is enough of it. False once a
    // write has failed.
    bool flushIfFull() { return m_size < kFlushSize || !m_out ? !m_failed : flush(); }

    bool flush()
    {
        if (m_out && !m_failed && m_size > 0)
            m_failed = !writeAll(m_data.get(), m_size);
        m_size = 0;
        return !m_failed;
    }

    // Writes what is collected here, then what `other` collected, in that
    // order, and empties both. False once a write has failed.
    bool flushWith(ExportBuffer &other)
    {
        flush();
        if (m_out && !m_failed && other.m_size > 0)
            m_failed = !writeAll(other.m_data.get(), other.m_size);
        other.m_size = 0;
        return !m_failed;
    }

private:
    void grow(std::size_t bytes)
    {
        const std::size_t capacity = std::max(m_capacity * 2, m_size + bytes);
        auto data = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_size > 0)
            std::memcpy(data.get(), m_data.get(), m_size);
        m_data = std::move(data);
        m_capacity = capacity;
    }
    bool writeAll(const char *data, std::size_t size)
    {
        const auto length = static_cast<qint64>(size);
        return m_out->write(data, length) == length;
    }

    QIODevice *m_out = nullptr;
    std::unique_ptr<char[]> m_data;
    std::size_t m_capacity;
    std::size_t m_size = 0;
    bool m_failed = false;
};

// The bytes an export cannot copy as they are (quotes to double, markup to
// escape, bytes to convert). copy() moves the runs between them eight bytes
// at a time and hands each of them to the caller. A run may end early at a
// byte from 0x80 on that is no stop byte when others are; the caller then
// handles that byte the general way.
class StopBytes
{
public:
    using Set = std::array<bool, 256>;

    // The room copy() may write past what it copies.
    static constexpr std::size_t kSlack = 8;

    explicit StopBytes(const Set &stops)
        : m_stops(stops)
    {
        int count = 0;
        for (int b = 0; b < 0x80 && m_words; ++b) {
            if (!stops[std::size_t(b)])
                continue;
            if (count == kLanes)
                m_words = false; // too many to test at once: byte by byte
            else
                m_lanes[count++] = kLowBits * std::uint64_t(b);
        }
        // Unused lanes repeat the first, so that all are always tested.
        m_lowStops = count > 0;
        for (int i = count; i < kLanes; ++i)
            m_lanes[i] = m_lanes[0];
        for (int b = 0x80; b < 0x100; ++b) {
            if (stops[std::size_t(b)])
                m_highMask = kHighBits;
        }
        if constexpr (std::endian::native != std::endian::little)
            m_words = false;
    }
    // The set of the bytes listed.
    static Set bytes(std::initializer_list<unsigned char> list)
    {
        Set stops{};
        for (const unsigned char b : list)
            stops[b] = true;
        return stops;
    }

    bool isStop(char c) const { return m_stops[static_cast<unsigned char>(c)]; }

    // Whether `text` holds a stop byte.
    bool foundIn(AnsiView text) const
    {
        const char *at = text.data();
        std::size_t left = text.size();
        if (m_words) {
            // A word with a mark is looked at byte by byte: the mark may be
            // a byte from 0x80 on that is no stop byte.
            for (; left >= 8; at += 8, left -= 8) {
                if (matches(load8(at)) && foundByByte(at, 8))
                    return true;
            }
            return left > 0 && (matches(loadShort(at, left)) & ((std::uint64_t(1) << (8 * left)) - 1)) != 0
                   && foundByByte(at, left);
        }
        return foundByByte(at, left);
    }

    // Copies `text` to `out`, but each stop byte c through
    // `out = stop(c, out)`. Returns the end of what is written. `out` must
    // have kSlack bytes of room beyond what is written.
    template<typename Stop>
    char *copy(char *out, AnsiView text, Stop stop) const
    {
        const char *at = text.data();
        std::size_t left = text.size();
        if (m_words) {
            while (left > 0) {
                const std::size_t length = std::min<std::size_t>(left, 8);
                const std::uint64_t word = length == 8 ? load8(at) : loadShort(at, length);
                std::uint64_t found = matches(word);
                if (length < 8)
                    found &= (std::uint64_t(1) << (8 * length)) - 1;
                std::memcpy(out, &word, 8);
                const std::size_t plain = found ? static_cast<std::size_t>(std::countr_zero(found) / 8) : length;
                out += plain;
                at += plain;
                left -= plain;
                if (plain < length) {
                    out = stop(*at, out);
                    ++at;
                    --left;
                }
            }
            return out;
        }
        for (; left > 0; ++at, --left) {
            if (isStop(*at))
                out = stop(*at, out);
            else
                *out++ = *at;
        }
        return out;
    }

private:
    static constexpr int kLanes = 4;
    static constexpr std::uint64_t kLowBits = 0x0101010101010101ULL;
    static constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

    bool foundByByte(const char *at, std::size_t length) const
    {
        return std::any_of(at, at + length, [this](char c) { return isStop(c); });
    }

    static std::uint64_t load8(const char *at)
    {
        std::uint64_t word;
        std::memcpy(&word, at, 8);
        return word;
    }
    // 1 to 7 bytes, the bytes above them 0. Two overlapping loads put the
    // same byte twice where they meet, which leaves it as it is.
    static std::uint64_t loadShort(const char *at, std::size_t length)
    {
        if (length >= 4) {
            std::uint32_t low;
            std::uint32_t high;
            std::memcpy(&low, at, 4);
            std::memcpy(&high, at + length - 4, 4);
            return low | (std::uint64_t(high) << (8 * (length - 4)));
        }
        const auto byte = [&](std::size_t i) { return std::uint64_t(static_cast<unsigned char>(at[i])) << (8 * i); };
        return byte(0) | byte(length / 2) | byte(length - 1);
    }

    // The high bit of each byte of `word` that is a stop byte (or any byte
    // from 0x80 on, when some of those are). A byte equal to a stop byte can
    // mark the byte above it falsely, never one below, so the lowest mark is
    // always a true one.
    std::uint64_t matches(std::uint64_t word) const
    {
        if (!m_lowStops)
            return word & m_highMask;
        const auto lane = [word](std::uint64_t broadcast) {
            const std::uint64_t x = word ^ broadcast;
            return (x - kLowBits) & ~x;
        };
        return ((lane(m_lanes[0]) | lane(m_lanes[1]) | lane(m_lanes[2]) | lane(m_lanes[3])) & kHighBits)
               | (word & m_highMask);
    }

    Set m_stops;
    std::uint64_t m_lanes[kLanes] = {};
    bool m_lowStops = false;
    bool m_words = true;
    std::uint64_t m_highMask = 0;
};

} // namespace orvel

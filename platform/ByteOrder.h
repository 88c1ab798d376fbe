#pragma once

// Integers in the byte orders of the files the program reads and writes:
// little-endian almost everywhere, big-endian in some picture headers. The
// pointers may be unaligned; every byte is read or written on its own.

#include <cstdint>

namespace orvel {

inline std::uint16_t ReadLe16(const void *at)
{
    const auto *p = static_cast<const unsigned char *>(at);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t ReadLe32(const void *at)
{
    const auto *p = static_cast<const unsigned char *>(at);
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

inline std::uint16_t ReadBe16(const void *at)
{
    const auto *p = static_cast<const unsigned char *>(at);
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t ReadBe32(const void *at)
{
    const auto *p = static_cast<const unsigned char *>(at);
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

inline void WriteLe16(void *at, std::uint16_t value)
{
    auto *p = static_cast<unsigned char *>(at);
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
}

inline void WriteLe32(void *at, std::uint32_t value)
{
    auto *p = static_cast<unsigned char *>(at);
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

} // namespace orvel

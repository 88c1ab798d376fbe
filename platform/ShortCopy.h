#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvel {

// Copies n bytes that are mostly few: the values of a record, copied one by
// one by the hundred thousand. Sizes up to 32 are moved inline, in two
// moves that overlap where the size is no power of two, instead of one call
// of memcpy each; longer runs go to memcpy. Reads and writes stay within the
// n bytes.
inline void CopyShort(char *to, const char *from, std::size_t n)
{
    if (n >= 16) {
        if (n > 32) {
            std::memcpy(to, from, n);
            return;
        }
        char head[16];
        char tail[16];
        std::memcpy(head, from, 16);
        std::memcpy(tail, from + n - 16, 16);
        std::memcpy(to, head, 16);
        std::memcpy(to + n - 16, tail, 16);
    } else if (n >= 8) {
        std::uint64_t head;
        std::uint64_t tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + n - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + n - 8, &tail, 8);
    } else if (n >= 4) {
        std::uint32_t head;
        std::uint32_t tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + n - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + n - 4, &tail, 4);
    } else if (n > 0) {
        const char first = from[0];
        const char middle = from[n / 2];
        const char last = from[n - 1];
        to[0] = first;
        to[n / 2] = middle;
        to[n - 1] = last;
    }
}

} // namespace orvel

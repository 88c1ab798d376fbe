#pragma once

#include "document/DatabaseFormat.h"
#include "document/PageSettings.h"

#include <array>
#include <cstdint>

namespace orvel {

// The 1374-byte header block of a database file, decoded.
struct DatabaseHeader
{
    uint32_t recordCount = 0;
    uint16_t fieldCount = 0;
    // By display position.
    std::array<uint16_t, dbfile::kMaxHeaderFields> widths{};
    std::array<uint16_t, dbfile::kMaxHeaderFields> types{};
    std::array<uint16_t, dbfile::kMaxHeaderFields> formats{};
    // Bit k: the field at display position k is printed.
    uint32_t printMask = 0xFFFFFFFFu;
    PageSettings page;
    uint16_t blockSize = dbfile::kWrittenBlockSize;
    std::array<uint32_t, dbfile::kMaxBlockPositions> blockPositions{};

    // Unused bytes are zero. Font values are cut to 16 bits, page texts to
    // 254 bytes and the face name to 31.
    void Encode(uint8_t (&block)[dbfile::kHeaderSize]) const;
    // Every value of the block; `withPaper` false (files before 0x055F)
    // leaves the paper fields at their defaults. Counts are not checked
    // here.
    static DatabaseHeader Decode(const uint8_t *block, bool withPaper);
};

} // namespace orvel

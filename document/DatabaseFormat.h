#pragma once

#include "table/FieldType.h"
#include "table/TableLimits.h"

#include <cstddef>
#include <cstdint>

// The database file (".ovd"). All integers little-endian, texts in
// Windows-1252 without terminator unless a fixed-size field says otherwise.
//
//   offset 0     8 bytes   "ORVEL0" 0x1A 0x00
//   offset 8     u16       format version
//   offset 10    1374      header block (layout below)
//   then         field names: per field u16 length (0-255) + bytes
//   then         form block (archive encoding), from version 0x055F
//   then         default values: per field u16 length + bytes, version 0x0560
//   block pos 0  records: u32 modification time, u16 row height, per field
//                u16 length + bytes; every 501 records a new block starts at
//                the next block position

namespace orvel::dbfile {

inline constexpr char kSignature[8] = {'O', 'R', 'V', 'E', 'L', '0', 0x1A, 0x00};
inline constexpr std::size_t kSignatureSize = 8;

inline constexpr std::uint16_t kVersionCurrent = 0x0560;
// Has the form block and the paper fields, no default values.
inline constexpr std::uint16_t kVersionWithForm = 0x055F;
// No form block (a form is generated), no paper fields, no default values.
inline constexpr std::uint16_t kVersionOldest = 0x055E;
// Written while a save is running; replaced once the file is complete.
inline constexpr std::uint16_t kVersionPlaceholder = 0x0001;

inline constexpr std::size_t kVersionOffset = 8;
inline constexpr std::size_t kHeaderOffset = 10;
inline constexpr std::size_t kHeaderSize = 1374;
inline constexpr std::size_t kFixedPartSize = kHeaderOffset + kHeaderSize;

// Offsets within the header block.
namespace header {
inline constexpr std::size_t kRecordCount = 0x000;    // u32
inline constexpr std::size_t kFieldCount = 0x004;     // u16
inline constexpr std::size_t kWidths = 0x006;         // u16[32]
inline constexpr std::size_t kTypes = 0x046;          // u16[32]
inline constexpr std::size_t kFormats = 0x086;        // u16[32]
inline constexpr std::size_t kOrientation = 0x180;    // i16
inline constexpr std::size_t kPaperSource = 0x182;    // i16
inline constexpr std::size_t kPaperSize = 0x184;      // i16
inline constexpr std::size_t kPrintMask = 0x186;      // u32
inline constexpr std::size_t kFontValues = 0x18A;     // i16 x 5
inline constexpr std::size_t kFontBytes = 0x194;      // 8 bytes
inline constexpr std::size_t kFontFace = 0x19C;       // char[32]
inline constexpr std::size_t kLineStyle = 0x1BC;      // i16
inline constexpr std::size_t kPrintNames = 0x1BE;     // i16
inline constexpr std::size_t kNumberRecords = 0x1C0;  // i16
inline constexpr std::size_t kFitWidths = 0x1C2;      // i16
inline constexpr std::size_t kMarginRight = 0x1C4;    // i16
inline constexpr std::size_t kMarginLeft = 0x1C6;     // i16
inline constexpr std::size_t kMarginTop = 0x1C8;      // i16
inline constexpr std::size_t kMarginBottom = 0x1CA;   // i16
inline constexpr std::size_t kAlignment = 0x1CC;      // i16
inline constexpr std::size_t kPageHeader = 0x1CE;     // char[255]
inline constexpr std::size_t kPageFooter = 0x2CD;     // char[255]
inline constexpr std::size_t kBlockSize = 0x3CC;      // u16
inline constexpr std::size_t kBlockPositions = 0x3CE; // u32[100]
} // namespace header

inline constexpr std::size_t kMaxHeaderFields = 32;
inline constexpr std::size_t kFaceNameSize = 32;
inline constexpr std::size_t kPageTextSize = 255;
// A page text keeps room for its terminator.
inline constexpr std::size_t kMaxPageTextLength = kPageTextSize - 1;

// The writer starts a new block after every 501st record (the count has to
// exceed the block size); the reader follows whatever block size the file
// names.
inline constexpr std::uint16_t kWrittenBlockSize = 500;
inline constexpr std::size_t kMaxBlockPositions = 100;

// Bytes before a record's values: modification time and row height.
inline constexpr std::size_t kRecordPrefixSize = 6;

// The most bytes a record of `fields` fields can take: the prefix and each
// value at its longest with its length.
inline constexpr std::size_t LargestRecordSize(std::size_t fields)
{
    return kRecordPrefixSize + fields * (2 + kMaxValueLength);
}

// Outcomes of reading, with the values the open operation tells apart.
enum class ReadOutcome { Complete = 8, Failed = 9, Version1 = 10 };

// Progress steps.
inline constexpr int kReadProgressStep = 200;
inline constexpr int kWriteProgressStep = 300;

} // namespace orvel::dbfile

#pragma once

#include "platform/AnsiString.h"
#include "platform/ByteOrder.h"

#include <cstddef>
#include <cstdint>

namespace orvel::dbase {

// The byte layout of dBASE files, shared by the reader and the writer. All
// integers are little-endian.

// dBASE III and the later versions that keep its layout: a 32-byte header,
// 32-byte field descriptors up to the terminator, then the records from the
// header length on.
constexpr int kVersionMask = 7;
constexpr int kVersion2 = 2;
constexpr int kVersion3 = 3;
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kRecordCountAt = 4;   // u32
constexpr std::size_t kHeaderLengthAt = 8;  // u16
constexpr std::size_t kRecordLengthAt = 10; // u16
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kDescriptorTypeAt = 11;
constexpr std::size_t kDescriptorLengthAt = 16;
constexpr std::size_t kDescriptorDecimalsAt = 17;

// dBASE II: an 8-byte header, at most 32 descriptors of 16 bytes, and the
// records at a fixed offset behind the room for all 32 and the terminator.
constexpr std::size_t kDbase2RecordCountAt = 1; // u16
constexpr std::size_t kDbase2HeaderSize = 8;
constexpr std::size_t kDbase2DescriptorSize = 16;
constexpr std::size_t kDbase2MaxDescriptors = 32;
constexpr std::size_t kDbase2DescriptorTypeAt = 11;
constexpr std::size_t kDbase2DescriptorLengthAt = 12;
constexpr std::size_t kDbase2DescriptorDecimalsAt = 15;
constexpr std::size_t kDbase2RecordsAt = 521;

// Both layouts.
constexpr std::size_t kNameBytes = 11; // zero-padded
constexpr std::size_t kMaxDbaseNameLength = 10;
constexpr unsigned char kDescriptorTerminator = 0x0D;
constexpr unsigned char kEndOfFile = 0x1A;
constexpr unsigned char kLiveRecord = 0x20;
constexpr char kTypeText = 'C';
constexpr char kTypeNumeric = 'N';
constexpr char kTypeDate = 'D';
// The widest character field dBASE knows; the descriptor's byte could say 255.
constexpr int kMaxFieldWidth = 254;
constexpr int kDateWidth = 8; // yyyyMMdd

// One field descriptor as read from a file.
struct FieldDescriptor
{
    AnsiString name; // as in the file, up to the first zero byte
    char type = kTypeText;
    std::uint8_t length = 0;
    std::uint8_t decimals = 0;
};

} // namespace orvel::dbase

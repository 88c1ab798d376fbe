#pragma once

#include <QByteArray>

namespace orvel {

class CDataTable;

// The size of the plain-text block a single-record copy puts beside the
// record stream, terminator included.
constexpr int kRecordTextBlockSize = 8192;

// The plain-text form of one record for other programs: each display value
// (display order) followed by CR LF, in Windows-1252 bytes, ending with a
// zero byte that is part of the result. A record whose text does not fit is
// cut so that the block, terminator included, is exactly
// kRecordTextBlockSize bytes. A record that does not exist gives the
// terminator alone.
QByteArray RecordTextBlock(const CDataTable &table, int record);

} // namespace orvel

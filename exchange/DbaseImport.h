#pragma once

#include "exchange/ExchangeCharSet.h"

#include <cstddef>

class QIODevice;

namespace orvel {

class CDataTable;
class ProgressBox;

// Reads a dBASE III file (and the later versions that share its layout) or a
// dBASE II file into the empty table: one field per descriptor (the first 32;
// more are reported with 523), one record per record of the file, deleted
// ones included (the first 30000; more are reported with 511). With the DOS
// character set names and values are converted from code page 850.
//
// `file` is open for reading, seekable and at its start. Returns 1 when the
// file was read; 0 when it is not a version this reader knows or its header
// is damaged, with the table left empty. The progress box, when given, shows
// caption 417 and the records read.
//
// The records are read in stretches of about `chunkBytes` (at least one
// record each); any size reads the same records.
inline constexpr std::size_t kDbaseReadChunk = std::size_t(1) << 20;
int ImportDbase(CDataTable &table, QIODevice &file, ExchangeCharSet charSet, ProgressBox *progress,
                std::size_t chunkBytes = kDbaseReadChunk);

} // namespace orvel

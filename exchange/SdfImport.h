#pragma once

#include "exchange/ExchangeCharSet.h"
#include "table/TableLimits.h"

#include <QString>

#include <cstddef>

namespace orvel {

class CDataTable;
class ProgressBox;

// Reads a delimited text file (one record per line, values separated by the
// table's SDF field delimiter and optionally enclosed in its data delimiter)
// into an empty table: text fields "1.", "2.", ... as many as the first
// record has values. Returns 0 when the file could not be opened, 1 otherwise.
// What had to be left out is reported once afterwards (523).
//
// The file is read in pieces of `pieceBytes`; any size reads the same records.
inline constexpr std::size_t kSdfReadPiece = 256 * 1024;
int ImportSdf(CDataTable &table, const QString &path, ExchangeCharSet charSet, ProgressBox *progress,
              std::size_t pieceBytes = kSdfReadPiece);

// The same over bytes in memory. `recordLimit` (at most the table's limit)
// lets tests reach what happens at a full table without 30000 records.
int ImportSdfBytes(CDataTable &table, const char *data, std::size_t size, ExchangeCharSet charSet,
                   ProgressBox *progress, int recordLimit = kMaxRecords);

} // namespace orvel

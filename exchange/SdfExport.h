#pragma once

#include "exchange/ExchangeCharSet.h"

class QIODevice;

namespace orvel {

class CDataTable;
class ProgressBox;

// Writes the data fields (text, numeric, date) of every record as one line of
// delimited text: each display value enclosed in the table's SDF data
// delimiter (doubled inside), the values separated by its field delimiter,
// the line ended by CR LF. DOS files get the values in code page 850.
// Returns 1 when written, 0 when a write failed or memory ran out. `parts`
// threads format the records (0: as many as the records and cores call for;
// the file is the same whatever the number).
int ExportSdf(const CDataTable &table, QIODevice &out, ExchangeCharSet charSet, ProgressBox *progress, int parts = 0);

} // namespace orvel

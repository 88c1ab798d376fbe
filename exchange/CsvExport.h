#pragma once

#include "exchange/CsvOptions.h"

#include <QString>

class QIODevice;

namespace orvel {

class CDataTable;
class ProgressBox;

// Writes the table as a CSV file: a header line of the field names, then a
// line per record (CR LF), values separated by the delimiter the options and
// the locale choose and enclosed in double quotes only where they have to
// be. Numbers are written as stored, with the decimal separator that pairs
// with the delimiter and without grouping; dates as yyyy-MM-dd; memo texts
// whole, read from the object file `objectStore`; links as their text.
// Picture and embedded-document fields cannot be written: they are left out
// and named afterwards (562).
//
// Returns 1 when written; 0 when there is no field to write, a write failed,
// a memo text could not be read, or memory ran out. `parts` threads format
// the records (0: as many as the records and cores call for; a table with
// memo fields is written by one; the file is the same whatever the number).
int ExportCsv(const CDataTable &table, QIODevice &out, const CsvOptions &options, const QString &objectStore,
              ProgressBox *progress, int parts = 0);

} // namespace orvel

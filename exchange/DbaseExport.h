#pragma once

#include "exchange/ExchangeCharSet.h"

class QIODevice;

namespace orvel {

class CDataTable;
class ProgressBox;

// Writes the text, numeric and date fields of the table (in display order)
// and all its records as a dBASE III file without memo file. Each field is
// renamed to the name its descriptor carries (GetDbaseFieldName), which marks
// the table modified. Fields are at most 254 bytes wide; longer values are
// cut, and message 524 names their fields afterwards. With the DOS character
// set names and values are converted to code page 850.
//
// Returns 1 when the file was written; 0 when the table has no field to
// write (message 518, nothing written) or writing failed (the caller reports
// the file error). The progress box, when given, shows caption 409 and the
// records written.
int ExportDbase(CDataTable &table, QIODevice &out, ExchangeCharSet charSet, ProgressBox *progress);

} // namespace orvel

#pragma once

#include "exchange/CsvOptions.h"
#include "table/TableLimits.h"

#include <cstddef>

class QIODevice;

namespace orvel {

class CDataTable;
class ImportMemoSink;
class ProgressBox;

// What an import found out about a file (for tests and orvel-cli).
struct CsvImportInfo
{
    char delimiter = ',';
    // The encoding the bytes were read in: "UTF-8", "UTF-16LE", ...,
    // "Windows-1252".
    const char *encoding = "UTF-8";
    // Characters that Windows-1252 cannot hold, each stored as "?".
    long long replaced = 0;
    // NUL bytes left out.
    long long nulBytes = 0;
    // The line of a quote that was never closed (1 = the first line), 0 when
    // every quote was closed.
    long long unclosedQuoteLine = 0;
};

// Reads a CSV file into an empty table. The first line that is not blank
// names the fields; every further line (or more than one, where a quoted
// value holds line breaks) is a record. Values are kept in their column,
// also empty ones; a column whose every value is a number becomes a numeric
// field, one of dates a date field, one with a value longer than 255 bytes a
// memo field (its texts go to `memos`), any other a text field. What had to
// be left out is reported once afterwards (523); a quote that is never
// closed is reported too.
//
// Returns 1 when read, 0 when the device could not be read or a memo text
// could not be stored.
//
// Once the file is read, its records are turned into the table's in
// `splitParts` ranges at once, or as many as WorkSplitParts gives when 0;
// any number gives the same table.
int ImportCsv(CDataTable &table, QIODevice &file, const CsvOptions &options, ImportMemoSink &memos,
              ProgressBox *progress, CsvImportInfo *info = nullptr, int recordLimit = kMaxRecords, int splitParts = 0);

// The same over bytes in memory.
int ImportCsvBytes(CDataTable &table, const char *data, std::size_t size, const CsvOptions &options,
                   ImportMemoSink &memos, ProgressBox *progress, CsvImportInfo *info = nullptr,
                   int recordLimit = kMaxRecords, int splitParts = 0);

// The delimiter a file's first lines use: among ",", ";" and TAB the one
// that splits the most of them into the same number (at least two) of
// values. "," when none does.
char DetectCsvDelimiter(const char *data, std::size_t size, bool wholeFile);

} // namespace orvel

#pragma once

#include <vector>

namespace orvel {

class CDataTable;

// How values are compared by the duplicate search.
enum class DuplicateMatch {
    Exact,   // the displayed values, byte for byte (the classic search)
    Similar, // text values folded the German way (see AppendGermanFolded)
    Sound,   // folded, and every word by its Kölner Phonetik code
};

// Marks duplicate records. The table is first sorted
// by the field at display position 0, ascending (message 316 and -1 when
// memory runs out; no mark changes then). Then, for each record i, every
// later record j of the same run of equal display values in field 0 whose
// display values also equal i's in every selected field of a data type is
// marked; selected media fields are ignored. So the first record of each
// group of equal records stays unmarked and every later one is marked.
//
// Runs under the progress window (caption 425, position every 100 records)
// and polls for Escape at every record: confirming message 510 stops the
// search, keeping the marks set so far. Returns the number of records newly
// marked.
//
// With Similar or Sound, the table is sorted the same way, but records are
// grouped by equal folded keys of field 0 and the selected data fields
// wherever they stand; again the first record of each group (in the sorted
// order) stays unmarked and every later one is marked.
int MarkDuplicates(CDataTable &table, const std::vector<int> &selectedFields,
                   DuplicateMatch match = DuplicateMatch::Exact);

// The command "Dubletten markieren" after its dialog: question 509 (anything
// but Yes ends), question 507 when records are marked (Yes unmarks them
// all), the search, then message 364 for one record newly marked or 363 for
// more (none for 0). Sets modified. Returns true when the search ran.
bool MarkDuplicatesCommand(CDataTable &table, const std::vector<int> &selectedFields,
                           DuplicateMatch match = DuplicateMatch::Exact);

} // namespace orvel

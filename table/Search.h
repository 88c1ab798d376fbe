#pragma once

#include "platform/AnsiString.h"
#include "table/SearchCriterion.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace orvel {

class CDataTable;

// Finding, replacing and marking records by their display values: a numeric
// field is searched in its grouped form with decimals ("1.000,00"), a date
// field in its displayed date format. Indexes are record indexes of the
// table; fields are display positions.
//
// A criterion takes part only when its field exists and its text is not
// empty; otherwise it matches no record, also as a negative search.

// The byte offset at which `text` occurs in `value` from offset `start` on,
// or -1. Without SO_MATCH_CASE both are compared in upper case (CharUpperA,
// so umlauts fold too). Only the first 255 bytes of each take part. A
// negative search gives 0 where the text does not occur (an empty value
// contains nothing) and -1 where it does. An empty text never occurs, except
// that with SO_BEGINS_WITH it matches at `start`. A negative start counts
// as 0.
int MatchText(AnsiView text, AnsiView value, std::uint32_t options, int start);

// Whether the display value of record `index` meets the criterion.
bool RecordMatches(const CDataTable &table, const SearchCriterion &criterion, int index);
// Whether record `index` meets `spec` under the link mode (SearchLink;
// any other mode means criterion 1 only).
bool RecordMeetsSpec(const CDataTable &table, const SearchSpec &spec, int link, int index);

// The next record after `start` that meets the criterion, going on from the
// first record after the last; the start record itself is never the result.
// -1 when there is none, or the start is no record index.
int FindNext(const CDataTable &table, const SearchCriterion &criterion, int start);
// The next record after `start` that meets `spec`, or -1. `outField` is
// set to the field of the criterion that found it (unchanged for -1). With
// SL_OR the nearer of the two criteria's next records wins, counting
// forward from the start around the end; on a tie criterion 1.
int FindRecord(const CDataTable &table, const SearchSpec &spec, int link, int start, int &outField);

// Replaces every occurrence of the criterion's text in the display value of
// record `index` by its replacement, left to right; inserted replacement
// text is not searched again. A negative search replaces the whole value.
// The result is stored as typed input (normalised by the field's type) and
// flags the table modified. Returns 1 when the value changed, else 0.
// Values of media fields are object references and are never replaced; a
// result that would not fit into 255 bytes leaves the value as it was.
int ReplaceInRecord(CDataTable &table, const SearchCriterion &criterion, int index);
// ReplaceInRecord on every record that matches, first to last, in one pass.
// Returns how many records changed. `proceed`, when given, is asked before
// every 64th record with the index of the next one; false stops the pass
// there (each record is replaced whole or not at all).
int ReplaceAll(CDataTable &table, const SearchCriterion &criterion, const std::function<bool(int next)> &proceed = {});

// A spec set up once for the fields of a table, to test the values of
// records that are not in it (yet): a record being read from a file, its
// values by display position as they are stored. It only reads its own
// state, so several threads may test at once, each with a buffer of its own.
// Meets() gives what RecordMeetsSpec gives for such a record.
class SearchSpecTest
{
public:
    SearchSpecTest(const CDataTable &table, const SearchSpec &spec, int link);
    ~SearchSpecTest();
    SearchSpecTest(const SearchSpecTest &) = delete;
    SearchSpecTest &operator=(const SearchSpecTest &) = delete;

    bool Meets(const AnsiView *values, int count, AnsiString &buffer) const;

private:
    struct Tests;
    std::unique_ptr<Tests> m_tests;
};

// Marks every record that meets `spec`; returns how many were not marked
// before. Flags the table modified.
int MarkMatches(CDataTable &table, const SearchSpec &spec, int link);

} // namespace orvel

#pragma once

#include "table/SearchCriterion.h"

namespace orvel {

class CDataTable;

// What a view keeps of a search between its "find next" and "replace"
// steps. A run starts when the find or replace dialog returns.
struct SearchRun
{
    // The first record found or replaced in this run; coming back to it ends
    // the run. -1 until the first hit.
    int firstHit = -1;
    // The field of the criterion that found the current record.
    int currentField = -1;

    void Restart() { firstHit = -1; }
};

// Moves `current` to the next record after it that meets `spec` and sets
// the run's current field. When there is none, or the search has come round
// to the run's first hit, message 312 and nothing moves. Returns whether
// `current` moved.
bool FindNextCommand(const CDataTable &table, const SearchSpec &spec, int link, int &current, SearchRun &run);

// The replace dialog's "Ersetzen": replaces in the current record when it
// matches (and remembers it as the run's first hit when there is none yet),
// then finds the next match like FindNextCommand. Returns whether the
// current record changed; the caller then flags the document and redraws.
bool ReplaceCommand(CDataTable &table, const SearchCriterion &criterion, int &current, SearchRun &run);

// The replace dialog's "Alle ersetzen": only when a field is chosen and the
// search text differs from the replacement. Replaces in every matching
// record in one pass under the progress window (549); Escape asks 510 and
// stops between two records. Reports the number with message 312, 328 or
// 325.
// Returns how many records changed.
int ReplaceAllCommand(CDataTable &table, const SearchCriterion &criterion);

// The find dialog's "Alle markieren": asks with message 507 whether marks
// that are set should go first (Yes removes them), marks every record that
// meets `spec` and reports how many were newly marked (338, 329 or 312).
int MarkMatchesCommand(CDataTable &table, const SearchSpec &spec, int link);

} // namespace orvel

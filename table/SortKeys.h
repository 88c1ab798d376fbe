#pragma once

#include "platform/AnsiString.h"

#include <array>
#include <cstdint>

namespace orvel {

class CDataTable;

// One key of a sort: a display position (-1 = not used) and the direction.
struct SortKey
{
    std::int32_t field = -1;
    std::int32_t descending = 0; // 1 = descending, anything else ascending

    bool IsSet() const { return field >= 0; }
    friend bool operator==(const SortKey &, const SortKey &) = default;
};

// The three keys of a sort, in order. The document keeps one for its sort
// dialog. Key 2 counts only when key 1 is set, key 3 only when key 2 is set.
struct SortKeys
{
    std::array<SortKey, 3> key{};

    // Every key unused (what a sort that ran out of memory leaves behind).
    void Reset() { key = {}; }
    // The keys that take part, from key 1: 0 to 3.
    int ActiveCount() const;
    friend bool operator==(const SortKeys &, const SortKeys &) = default;
};

// What the user chose in one of the sort dialog's three lists: the display
// position of the selected field (-1 = nothing selected) and its direction
// radio button (1 = "A&bwärts").
struct SortKeySelection
{
    std::int32_t field = -1;
    std::int32_t descending = 0;
};

// The sort dialog's OK rule. For keys 1 to 3 in turn, a selected field
// becomes the key's field unless an earlier key already uses it (the key is
// then unused); without a selection the key keeps its field. The directions
// are taken from the selections. Then the gaps are closed: key 3 moves to a
// free key 2, key 2 to a free key 1, and once more key 3 to a free key 2; a
// moved key's old place becomes unused.
SortKeys ApplySortDialogSelections(const SortKeys &current, const std::array<SortKeySelection, 3> &selections);

// How the sort reads a numeric value: the leading number of the text as C's
// atof reads it in the C locale (leading white space, sign, digits, ".",
// exponent), so "12abc" is 12 and "1e3" 1000. Text without a number reads as
// 0, and so do hexadecimal text beyond its leading decimal digits ("0x1A" is
// 0), NaN and infinities.
double ReadSortNumber(AnsiView text);

// The sort command: runs the sort under the wait cursor when the table has
// records and key 1 is set; message 316 when memory runs out (the keys are
// then all unused). Returns true when the table was sorted.
bool SortCommand(CDataTable &table, SortKeys &keys);

// Tests: the next sort runs out of memory when it allocates its work arrays.
void FailNextSortAllocation();

} // namespace orvel

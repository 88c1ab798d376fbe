#pragma once

#include "platform/AnsiString.h"

#include <cstdint>

namespace orvel {

// Option bits of a search criterion, as the find and replace dialogs set
// them and the settings keep them.
enum SearchOption : std::uint32_t {
    SO_MATCH_CASE = 1,
    SO_NEGATIVE = 2, // records whose value does not contain the text
    SO_WHOLE_WORD = 8,
    SO_BEGINS_WITH = 16, // the value must begin with the text
};

// How the two criteria of a SearchSpec combine.
enum SearchLink : int {
    SL_NONE = 0, // criterion 1 only
    SL_AND = 1,  // both criteria must hold
    SL_OR = 2,   // either criterion
};

// One condition on one field: its text (or, for a negative search, its
// absence) in the field's display value.
struct SearchCriterion
{
    std::int32_t field = -1; // display position; negative = no field chosen
    std::uint32_t options = 0;
    AnsiString text;        // the dialogs accept at most 32 characters
    AnsiString replacement; // replace only
};

struct SearchSpec
{
    SearchCriterion criterion1;
    SearchCriterion criterion2;
};

} // namespace orvel

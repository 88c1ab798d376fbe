#pragma once

#include "platform/AnsiString.h"

#include <cstdint>

namespace orvel {

// A field's value as it was before an edit, with what the edit changes
// beside it: the record's time of change and the modified flags of the
// document and the table. Escape puts it back.
struct FieldValueState
{
    AnsiString value;
    std::uint32_t time = 0;
    bool documentModified = false;
    bool tableModified = false;
};

} // namespace orvel

#pragma once

#include "resources/StringIds.h"

namespace orvel {

// The seven field types. Codes 0-2 are data types (shown as text, exported,
// printed by default); 3-6 are media types whose values are object
// references or paths.
enum FieldType : int {
    FT_TEXT = 0,
    FT_NUMERIC = 1,
    FT_DATE = 2,
    FT_PICTURE = 3,
    FT_MEMO = 4,
    FT_OLE = 5,
    FT_LINK = 6,
};

constexpr int kFieldTypeCount = 7;
// The user-interface name of type c is string 400 + c.
constexpr int kFieldTypeNameBase = ids::kFieldTypeNames;

constexpr bool IsValidFieldType(int type)
{
    return type >= FT_TEXT && type <= FT_LINK;
}
constexpr bool IsDataType(int type)
{
    return type >= FT_TEXT && type <= FT_DATE;
}
constexpr bool IsMediaType(int type)
{
    return type >= FT_PICTURE && type <= FT_LINK;
}
// Format bit of picture fields: paths are stored relative to the database.
inline constexpr int kRelativePathsFormatBit = 2;

// Numbers and dates are edited as they are shown; the type's input rules
// turn the typed text back into the stored form.
constexpr bool ShowsDisplayValue(int type)
{
    return type == FT_NUMERIC || type == FT_DATE;
}
constexpr int FieldTypeNameId(int type)
{
    return kFieldTypeNameBase + type;
}

} // namespace orvel

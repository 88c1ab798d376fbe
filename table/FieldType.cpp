#include "table/FieldType.h"

// The type predicates are compile-time; this unit keeps them checked.
static_assert(orvel::IsDataType(orvel::FT_DATE) && orvel::IsMediaType(orvel::FT_PICTURE));
static_assert(orvel::FieldTypeNameId(orvel::FT_LINK) == 406);

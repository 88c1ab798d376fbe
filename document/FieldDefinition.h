#pragma once

#include "platform/AnsiString.h"

namespace orvel {

class CDataTable;

// What the field page shows and changes of one field: the table field's
// name, type, format and default value, and the three switches its data
// field on the form carries.
struct FieldDefinition
{
    AnsiString name;
    int type = 0;
    // The format value of a numeric field (decimals) or a date field (date
    // format); a field of another type shows 2 decimals and format 0.
    int decimals = 2;
    int dateFormat = 0;
    AnsiString defaultValue;
    bool framed = true;
    bool showFieldName = true;
    bool embedded = false;

    // The format value the table keeps for this definition's type; -1 for
    // the types whose format the field page does not set.
    int FormatValue() const;
};

// The longest field name the field page takes.
inline constexpr int kMaxFieldNameLength = 32;

// Whether an existing field of type `from` may become `to`: text, number
// and date among themselves; the media types not at all.
bool CanChangeFieldType(int from, int to);

// What is wrong with a definition for the table (the field at `existing`,
// or a new field with -1): the id of the message that says so, 0 when it
// may be stored. Checks the name (not empty, at most 32 characters, no
// other field of the same plain name) and that the default value, put in
// by the type's rules, can be shown. The name must already be in the
// database's character set.
int CheckFieldDefinition(const CDataTable &table, int existing, const FieldDefinition &definition);

} // namespace orvel

#pragma once

#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"

namespace orvel {

// The fields an export writes: the data fields (text, numeric, date) in
// display order, resolved once so that the loop over the records does not
// look them up for every value.
struct ExportedField
{
    int pos = 0;
    int column = 0;
    int type = FT_TEXT;
    int format = 0;
};

struct ExportedFields
{
    ExportedField fields[kMaxFields];
    int count = 0;

    explicit ExportedFields(const CDataTable &table)
    {
        for (int pos = 0; pos < table.GetFieldCount() && count < kMaxFields; ++pos) {
            const int type = table.GetFieldType(pos);
            if (IsDataType(type))
                fields[count++] = {pos, table.GetStorageColumn(pos), type, table.GetFieldFormat(pos)};
        }
    }
    const ExportedField *begin() const { return fields; }
    const ExportedField *end() const { return fields + count; }
};

// How often exports move the progress window on.
constexpr int kExportProgressStep = 300;

} // namespace orvel

#include "table/FillDown.h"

#include "table/DataTable.h"
#include "table/FieldType.h"

namespace orvel {

bool CanFillDown(const CDataTable &table, int current, int field)
{
    return table.GetRecordCount() >= 2 && current >= 0 && current < table.GetRecordCount() && field >= 0
           && field < table.GetFieldCount() && IsDataType(table.GetFieldType(field));
}

int FillDown(CDataTable &table, int current, int field)
{
    // Copying the reference of a media value would make two records share
    // one object.
    if (!CanFillDown(table, current, field))
        return 0;
    const AnsiString value(table.GetRecord(current)->GetRawValue(field));
    if (value.empty())
        return 0;
    int filled = 0;
    for (int i = current + 1; i < table.GetRecordCount(); ++i) {
        CDataRecord *record = table.GetRecord(i);
        if (!record->GetRawValue(field).empty())
            break;
        record->SetRawValue(value, field);
        record->Stamp();
        ++filled;
    }
    if (filled > 0)
        table.SetModified();
    return filled;
}

} // namespace orvel

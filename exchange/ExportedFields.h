#pragma once

#include "exchange/ExportBuffer.h"
#include "platform/Nls.h"
#include "platform/Services.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"
#include "table/ValueFormat.h"

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

    // The value as the list shows it; `buffer` holds it where it has to.
    AnsiView displayValue(const CDataRecord &record, const LocaleInfo &locale, AnsiString &buffer) const
    {
        return FormatDisplayValue(type, format, record.GetRawValueAt(column), locale, buffer);
    }
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

// The loop every export shares: the records in table order, one call of
// `writeRecord(record)` each, the text handed to the file in large pieces,
// the progress window moved on. False once a write has failed; what is
// still collected is written at the end.
template<typename WriteRecord>
bool WriteRecords(const CDataTable &table, ExportBuffer &buffer, ProgressBox *progress, WriteRecord writeRecord)
{
    const int count = table.GetRecordCount();
    for (int i = 0; i < count; ++i) {
        table.PrefetchAhead(i);
        writeRecord(*table.GetRecord(i));
        if (!buffer.flushIfFull())
            return false;
        if (progress && i % kExportProgressStep == 0)
            progress->setPos(i);
    }
    return true;
}

} // namespace orvel

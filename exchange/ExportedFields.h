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

// What every text export does around its own lines: the caption and range of
// the progress window, the header, the records, the footer and the final
// write. 1 when all was written; 0 when a write failed or memory ran out.
template<typename WriteHeader, typename WriteRecord, typename WriteFooter>
int RunTextExport(const CDataTable &table, QIODevice &out, ProgressBox *progress, int caption, WriteHeader writeHeader,
                  WriteRecord writeRecord, WriteFooter writeFooter)
{
    try {
        if (progress) {
            progress->setCaption(caption);
            progress->setRange(0, table.GetRecordCount());
        }
        ExportBuffer buffer(out);
        writeHeader(buffer);
        if (!WriteRecords(table, buffer, progress, [&](const CDataRecord &record) { writeRecord(buffer, record); }))
            return 0;
        writeFooter(buffer);
        return buffer.flush() ? 1 : 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

// One line of values: `appendOne(field)` for each exported field, with the
// separator between them, and the line end after them.
template<typename AppendOne>
void AppendLine(ExportBuffer &buffer, const ExportedFields &fields, char separator, AnsiView lineEnd,
                AppendOne appendOne)
{
    bool first = true;
    for (const ExportedField &field : fields) {
        if (!first)
            buffer.append(separator);
        first = false;
        appendOne(field);
    }
    buffer.append(lineEnd);
}

} // namespace orvel

#pragma once

#include "exchange/ExportBuffer.h"
#include "platform/Nls.h"
#include "platform/OrderedBlocks.h"
#include "platform/Services.h"
#include "platform/WorkSplit.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"
#include "table/ValueFormat.h"

#include <algorithm>
#include <new>
#include <vector>

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
    DisplayFormatter formatter;

    // The value as the list shows it; `buffer` holds it where it has to.
    AnsiView displayValue(const CDataRecord &record, AnsiString &buffer) const
    {
        return formatter.format(record.GetRawValueAt(column), buffer);
    }
    // The same on another locale.
    AnsiView displayValue(const CDataRecord &record, const LocaleInfo &locale, AnsiString &buffer) const
    {
        return FormatDisplayValue(type, format, record.GetRawValueAt(column), locale, buffer);
    }
};

struct ExportedFields
{
    std::vector<ExportedField> fields;

    explicit ExportedFields(const CDataTable &table, const LocaleInfo &locale = CurrentLocale())
    {
        for (int pos = 0; pos < table.GetFieldCount() && int(fields.size()) < kMaxFields; ++pos) {
            const int type = table.GetFieldType(pos);
            if (!IsDataType(type))
                continue;
            const int format = table.GetFieldFormat(pos);
            fields.push_back({pos, table.GetStorageColumn(pos), type, format, DisplayFormatter(type, format, locale)});
        }
    }
    const ExportedField *begin() const { return fields.data(); }
    const ExportedField *end() const { return fields.data() + fields.size(); }
};

// How often exports move the progress window on.
constexpr int kExportProgressStep = 300;

// Records formatted at once by one thread when an export is split over the
// processor cores, and the blocks of them that may wait, formatted, to be
// written (per thread): each thread takes the next block free, so that a
// slower thread holds up no other.
constexpr int kExportBlockRecords = 128;
constexpr int kExportBlocksPerPart = 8;

// Scratch space for each of `parts` threads, far enough apart that the
// threads do not write to the same cache line.
inline std::vector<AnsiString> ExportScratch(int parts)
{
    std::vector<AnsiString> scratch(static_cast<std::size_t>(parts));
    for (AnsiString &text : scratch)
        text.reserve(256);
    return scratch;
}

// How many threads an export of `table` uses: 0 lets the number of records
// and processor cores choose (see WorkSplitParts).
inline int ExportParts(const CDataTable &table, int parts)
{
    return parts > 0 ? parts : WorkSplitParts(static_cast<std::size_t>(table.GetRecordCount()));
}

namespace detail {

// The text of one block of records, a cache line of its own: the threads
// change their blocks' sizes all the time.
struct alignas(64) ExportBlock
{
    ExportBuffer text{std::size_t(64) << 10};
};

inline void ReportExportProgress(ProgressBox *progress, int begin, int end)
{
    if (!progress)
        return;
    for (int i = (begin + kExportProgressStep - 1) / kExportProgressStep * kExportProgressStep; i < end;
         i += kExportProgressStep)
        progress->setPos(i);
}

// The records split over `parts` threads in blocks, each formatted into a
// buffer of a ring and written in order on the calling thread, which also
// moves the progress window on (see MakeBlocksInOrder). The file gets the
// same bytes as from one thread.
template<typename WriteRecord>
bool WriteRecordsSplit(const CDataTable &table, ExportBuffer &buffer, ProgressBox *progress, int parts,
                       WriteRecord &writeRecord)
{
    const int count = table.GetRecordCount();
    const int blocks = (count + kExportBlockRecords - 1) / kExportBlockRecords;
    auto format = [&](ExportBlock &block, int b, int part) {
        ExportBuffer &out = block.text;
        out.clear();
        const int first = b * kExportBlockRecords;
        const int last = std::min(count, first + kExportBlockRecords);
        for (int i = first; i < last; ++i) {
            table.PrefetchAhead(i);
            writeRecord(out, *table.GetRecord(i), part);
        }
        return true;
    };
    auto write = [&](ExportBlock &block, int b) {
        const bool ok = buffer.flushWith(block.text);
        const int begin = b * kExportBlockRecords;
        ReportExportProgress(progress, begin, std::min(count, begin + kExportBlockRecords));
        return ok;
    };
    return MakeBlocksInOrder<ExportBlock>(blocks, parts, kExportBlocksPerPart, format, write);
}

} // namespace detail

// The loop every export shares: the records in table order, one call of
// `writeRecord(buffer, record, part)` each, the text handed to the file in
// large pieces, the progress window moved on. With `parts` above 1 the
// records are formatted by that many threads at once, `part` telling the
// thread (0 to parts - 1) so that each uses scratch space of its own. False
// once a write has failed; what is still collected is written at the end.
template<typename WriteRecord>
bool WriteRecords(const CDataTable &table, ExportBuffer &buffer, ProgressBox *progress, int parts,
                  WriteRecord writeRecord)
{
    if (parts > 1)
        return detail::WriteRecordsSplit(table, buffer, progress, parts, writeRecord);
    const int count = table.GetRecordCount();
    for (int i = 0; i < count; ++i) {
        table.PrefetchAhead(i);
        writeRecord(buffer, *table.GetRecord(i), 0);
        if (!buffer.flushIfFull())
            return false;
        if (progress && i % kExportProgressStep == 0)
            progress->setPos(i);
    }
    return true;
}

// What every text export does around its own lines: the caption and range of
// the progress window, the header, the records (split over `parts` threads,
// see WriteRecords), the footer and the final write. 1 when all was written;
// 0 when a write failed or memory ran out.
template<typename WriteHeader, typename WriteRecord, typename WriteFooter>
int RunTextExport(const CDataTable &table, QIODevice &out, ProgressBox *progress, int caption, int parts,
                  WriteHeader writeHeader, WriteRecord writeRecord, WriteFooter writeFooter)
{
    try {
        if (progress) {
            progress->setCaption(caption);
            progress->setRange(0, table.GetRecordCount());
        }
        ExportBuffer buffer(out);
        writeHeader(buffer);
        if (!WriteRecords(table, buffer, progress, parts, writeRecord))
            return 0;
        writeFooter(buffer);
        return buffer.flush() ? 1 : 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

template<typename WriteHeader, typename WriteRecord, typename WriteFooter>
int RunTextExport(const CDataTable &table, QIODevice &out, ProgressBox *progress, int caption, WriteHeader writeHeader,
                  WriteRecord writeRecord, WriteFooter writeFooter)
{
    return RunTextExport(
            table, out, progress, caption, 1, writeHeader,
            [&](ExportBuffer &buffer, const CDataRecord &record, int) { writeRecord(buffer, record); }, writeFooter);
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

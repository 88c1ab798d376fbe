#include "exchange/SdfExport.h"

#include "exchange/ExportBuffer.h"
#include "exchange/ExportedFields.h"
#include "platform/Codepage.h"
#include "platform/Nls.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/ValueFormat.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

namespace orvel {

namespace {

constexpr char kTab = '\t';
// The blanks the import puts before a TAB.
constexpr std::ptrdiff_t kTabBlanks = 8;

// The bytes appendEnclosed() copies only as they are: any other one is
// converted, doubled or may follow the blanks the import put before a TAB.
StopBytes sdfStops(char delimiter, const ByteMap *toOem)
{
    StopBytes::Set stops{};
    for (int c = 0; c < 256; ++c) {
        const unsigned char b = toOem ? (*toOem)[std::size_t(c)] : static_cast<unsigned char>(c);
        stops[std::size_t(c)] = b != c || b == static_cast<unsigned char>(delimiter) || (c == kTab && delimiter != ' ');
    }
    return StopBytes(stops);
}

// Appends the value between data delimiters, converted to DOS when asked,
// with every data delimiter inside doubled. The doubling looks at the bytes
// as written, which is what a reader compares with its delimiter. Runs of
// bytes that stay as they are are copied whole.
//
// The import stores a TAB with eight blanks before it; those eight go
// again here, so that a file read and written again keeps its bytes.
void appendEnclosed(ExportBuffer &out, AnsiView value, char delimiter, const ByteMap *toOem, const StopBytes &stops)
{
    char *const start = out.reserve(2 * value.size() + 2 + StopBytes::kSlack);
    char *dst = start;
    *dst++ = delimiter;
    dst = stops.copy(dst, value, [&](char c, char *at) {
        if (c == kTab && delimiter != ' ' && at - start > kTabBlanks
            && std::all_of(at - kTabBlanks, at, [](char written) { return written == ' '; }))
            at -= kTabBlanks;
        const char b = toOem ? static_cast<char>((*toOem)[static_cast<unsigned char>(c)]) : c;
        *at++ = b;
        if (b == delimiter)
            *at++ = b;
        return at;
    });
    *dst++ = delimiter;
    out.commit(dst);
}

} // namespace

int ExportSdf(const CDataTable &table, QIODevice &out, ExchangeCharSet charSet, ProgressBox *progress, int parts)
{
    const ExportedFields fields(table);
    const char fieldDelimiter = table.GetSdfFieldDelimiter();
    const char dataDelimiter = table.GetSdfDataDelimiter();
    const ByteMap *toOem = charSet == ExchangeCharSet::Dos ? &AnsiToOemMap() : nullptr;
    const StopBytes stops = sdfStops(dataDelimiter, toOem);
    parts = ExportParts(table, parts);
    std::vector<AnsiString> display = ExportScratch(parts);
    return RunTextExport(
            table, out, progress, ids::kCaptionWritingSdf, parts, [](ExportBuffer &) {},
            [&](ExportBuffer &buffer, const CDataRecord &record, int part) {
                AnsiString &scratch = display[static_cast<std::size_t>(part)];
                AppendLine(buffer, fields, fieldDelimiter, "\r\n", [&](const ExportedField &field) {
                    appendEnclosed(buffer, field.displayValue(record, scratch), dataDelimiter, toOem, stops);
                });
            },
            [](ExportBuffer &) {});
}

} // namespace orvel

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
#include <new>

namespace orvel {

namespace {

constexpr char kTab = '\t';
// The blanks the import puts before a TAB.
constexpr std::ptrdiff_t kTabBlanks = 8;

// Appends the value between data delimiters, converted to DOS when asked,
// with every data delimiter inside doubled. The doubling looks at the bytes
// as written, which is what a reader compares with its delimiter.
//
// The import stores a TAB with eight blanks before it; those eight go
// again here, so that a file read and written again keeps its bytes.
void appendEnclosed(ExportBuffer &out, AnsiView value, char delimiter, const ByteMap *toOem)
{
    char *const start = out.reserve(2 * value.size() + 2);
    char *dst = start;
    *dst++ = delimiter;
    for (char c : value) {
        if (c == kTab && delimiter != ' ' && dst - start > kTabBlanks
            && std::all_of(dst - kTabBlanks, dst, [](char written) { return written == ' '; }))
            dst -= kTabBlanks;
        const char b = toOem ? static_cast<char>((*toOem)[static_cast<unsigned char>(c)]) : c;
        *dst++ = b;
        if (b == delimiter)
            *dst++ = b;
    }
    *dst++ = delimiter;
    out.commit(dst);
}

} // namespace

int ExportSdf(const CDataTable &table, QIODevice &out, ExchangeCharSet charSet, ProgressBox *progress)
{
    const ExportedFields fields(table);
    const char fieldDelimiter = table.GetSdfFieldDelimiter();
    const char dataDelimiter = table.GetSdfDataDelimiter();
    const ByteMap *toOem = charSet == ExchangeCharSet::Dos ? &AnsiToOemMap() : nullptr;
    const LocaleInfo &locale = CurrentLocale();
    AnsiString display;
    return RunTextExport(
            table, out, progress, ids::kCaptionWritingSdf, [](ExportBuffer &) {},
            [&](ExportBuffer &buffer, const CDataRecord &record) {
                AppendLine(buffer, fields, fieldDelimiter, "\r\n", [&](const ExportedField &field) {
                    appendEnclosed(buffer, field.displayValue(record, locale, display), dataDelimiter, toOem);
                });
            },
            [](ExportBuffer &) {});
}

} // namespace orvel

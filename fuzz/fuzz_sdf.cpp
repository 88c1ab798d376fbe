// Reads arbitrary bytes as delimited text. The first byte picks the
// delimiters, the character set and whether the table holds only two records;
// the rest is the file. Whatever the bytes, the import ends with a table within the
// limits whose records hold one value per field, none longer than 254 bytes.
#include "exchange/SdfImport.h"
#include "platform/ScriptedServices.h"
#include "table/DataTable.h"
#include "table/TableLimits.h"

#include <cstdint>
#include <cstdlib>

namespace {

using namespace orvel;

struct DelimiterPair
{
    char field;
    char data;
};

constexpr DelimiterPair kPairs[] = {{',', '"'}, {';', '"'}, {'\t', '\''}, {',', ','}, {'\n', '"'}, {'"', '\r'}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ScriptedServices services;
    static ScopedServices scope{&services};
    const uint8_t choice = size > 0 ? data[0] : 0;
    const char *text = size > 0 ? reinterpret_cast<const char *>(data + 1) : nullptr;
    const std::size_t length = size > 0 ? size - 1 : 0;

    const DelimiterPair pair = kPairs[choice % (sizeof(kPairs) / sizeof(kPairs[0]))];
    const ExchangeCharSet charSet = (choice & 0x80) ? ExchangeCharSet::Dos : ExchangeCharSet::Ansi;
    CDataTable table;
    table.SetSdfDelimiters(pair.field, pair.data);
    // A limit of two records reaches the end of reading at a full table
    // without building 29998 records first.
    const int limit = (choice & 0x40) ? 2 : kMaxRecords;
    if (ImportSdfBytes(table, text, length, charSet, nullptr, limit) != 1)
        std::abort();
    if (table.GetFieldCount() > kMaxFields || table.GetRecordCount() > limit || table.GetRecordCount() < 1)
        std::abort();
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        const CDataRecord *record = table.GetRecord(i);
        if (record->GetValueCount() != table.GetFieldCount())
            std::abort();
        for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
            if (record->GetValueLength(pos) > 254)
                std::abort();
        }
    }
    services.clear();
    return 0;
}

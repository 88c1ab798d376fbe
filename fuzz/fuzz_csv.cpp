// Reads arbitrary bytes as a CSV file. The first byte picks the delimiter
// setting, the encoding setting and whether the table holds only two
// records; the rest is the file. Whatever the bytes, the import succeeds
// with a table within the limits whose records hold one value per field,
// none longer than 255 bytes, memo fields holding only references the memo
// store gave out, and no more memo text than the file had bytes.
#include "exchange/CsvImport.h"
#include "exchange/MemoObjects.h"
#include "platform/ScriptedServices.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

namespace {

using namespace orvel;

// Keeps nothing but what it must check: the references it gave out and how
// many bytes came in.
class CountingMemoSink : public ImportMemoSink
{
public:
    bool Begin() override
    {
        if (m_open)
            std::abort();
        m_open = true;
        return true;
    }
    bool Write(const char *, std::size_t size) override
    {
        if (!m_open)
            std::abort();
        bytes += size;
        return true;
    }
    AnsiString End() override
    {
        if (!m_open)
            std::abort();
        m_open = false;
        AnsiString reference = std::to_string(references.size() + 10);
        references.insert(reference);
        return reference;
    }
    bool Finish() override { return !m_open; }

    std::set<AnsiString> references;
    std::size_t bytes = 0;

private:
    bool m_open = false;
};

constexpr int kDelimiters[] = {0, ',', ';', '\t', '|', '"', '\n', 0};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ScriptedServices services;
    static ScopedServices scope{&services};
    const uint8_t choice = size > 0 ? data[0] : 0;
    const char *text = size > 0 ? reinterpret_cast<const char *>(data + 1) : nullptr;
    const std::size_t length = size > 0 ? size - 1 : 0;

    CsvOptions options;
    options.fieldDelimiter = kDelimiters[choice & 7];
    options.encoding = (choice & 0x80) ? CsvEncoding::Windows1252 : CsvEncoding::Utf8;
    const int limit = (choice & 0x40) ? 2 : kMaxRecords;
    CDataTable table;
    CountingMemoSink memos;
    if (ImportCsvBytes(table, text, length, options, memos, nullptr, nullptr, limit) != 1)
        std::abort();
    if (table.GetFieldCount() > kMaxFields || table.GetRecordCount() > limit || memos.bytes > length)
        std::abort();
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        const CDataRecord *record = table.GetRecord(i);
        if (record->GetValueCount() != table.GetFieldCount())
            std::abort();
        for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
            const AnsiView value = record->GetRawValue(pos);
            if (value.size() > kMaxValueLength)
                std::abort();
            if (table.GetFieldType(pos) == FT_MEMO && !value.empty() && memos.references.count(AnsiString(value)) == 0)
                std::abort();
        }
    }
    services.clear();
    return 0;
}

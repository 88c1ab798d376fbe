#include "exchange/DbaseExport.h"

#include "exchange/DbaseFieldName.h"
#include "exchange/DbaseFile.h"
#include "platform/Clock.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"

#include <QIODevice>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

namespace orvel {

namespace {

using namespace dbase;

constexpr int kProgressStep = 300;
// Records go out in batches of about this size: few writes, and a batch
// that stays in the cache while it is filled and written.
constexpr std::size_t kBatchBytes = std::size_t{1} << 20;

// An exported field.
struct Column
{
    int pos = 0;
    int storage = 0;
    int type = FT_TEXT;
    std::size_t width = 0;
    std::size_t offset = 0; // in the record, behind the deletion byte
    bool cut = false;       // a value was longer than the width
};

char typeLetter(int type)
{
    return type == FT_NUMERIC ? kTypeNumeric : type == FT_DATE ? kTypeDate : kTypeText;
}

bool writeAll(QIODevice &out, const void *data, std::size_t size)
{
    return out.write(static_cast<const char *>(data), static_cast<qint64>(size)) == static_cast<qint64>(size);
}

// Widths: dates 8; other fields their dBASE length, or the longest value
// plus 2 when that does not fit; never more than dBASE takes, never 0.
void measureColumns(const CDataTable &table, std::vector<Column> &columns)
{
    std::array<std::size_t, kMaxFields> longest{};
    for (int r = 0; r < table.GetRecordCount(); ++r) {
        const CDataRecord &record = *table.GetRecord(r);
        for (std::size_t c = 0; c < columns.size(); ++c)
            longest[c] = std::max(longest[c], record.GetRawValueAt(columns[c].storage).size());
    }
    std::size_t offset = 1;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        Column &column = columns[c];
        if (column.type == FT_DATE) {
            column.width = kDateWidth;
        } else {
            const auto length = static_cast<std::size_t>(table.GetDbaseLength(column.pos));
            column.width = length >= longest[c] ? length : longest[c] + 2;
            column.width = std::min(column.width, static_cast<std::size_t>(kMaxFieldWidth));
            // A field of width 0 is no field to other readers: an empty text
            // field with no dBASE length still takes one byte.
            column.width = std::max<std::size_t>(column.width, 1);
        }
        column.cut = longest[c] > column.width;
        column.offset = offset;
        offset += column.width;
    }
}

// The header with the descriptors and the terminator. Renames each field to
// its descriptor's name before the next one is named, so that the check for
// repeated names sees the names already given.
std::vector<unsigned char> buildHeader(CDataTable &table, const std::vector<Column> &columns, std::size_t recordLength,
                                       ExchangeCharSet charSet)
{
    const std::size_t headerLength = kHeaderSize + kDescriptorSize * columns.size() + 1;
    std::vector<unsigned char> header(headerLength, 0);
    header[0] = kVersion3;
    const QDate today = Clock::TodayLocal();
    header[1] = static_cast<unsigned char>(std::clamp(today.year() - 1900, 0, 255));
    header[2] = static_cast<unsigned char>(today.month());
    header[3] = static_cast<unsigned char>(today.day());
    WriteLe32(header.data() + kRecordCountAt, static_cast<std::uint32_t>(table.GetRecordCount()));
    WriteLe16(header.data() + kHeaderLengthAt, static_cast<std::uint16_t>(headerLength));
    WriteLe16(header.data() + kRecordLengthAt, static_cast<std::uint16_t>(recordLength));

    for (std::size_t c = 0; c < columns.size(); ++c) {
        const Column &column = columns[c];
        unsigned char *descriptor = header.data() + kHeaderSize + c * kDescriptorSize;
        const AnsiString name = GetDbaseFieldName(table, column.pos, charSet);
        std::memcpy(descriptor, name.data(), std::min(name.size(), kMaxDbaseNameLength));
        descriptor[kDescriptorTypeAt] = static_cast<unsigned char>(typeLetter(column.type));
        descriptor[kDescriptorLengthAt] = static_cast<unsigned char>(column.width);
        if (column.type == FT_NUMERIC)
            descriptor[kDescriptorDecimalsAt] =
                    static_cast<unsigned char>(std::clamp(table.GetFieldFormat(column.pos), 0, 255));
        table.SetFieldName(charSet == ExchangeCharSet::Dos ? OemToCharA(name) : name, column.pos);
        table.SetModified();
    }
    header[headerLength - 1] = kDescriptorTerminator;
    return header;
}

bool writeRecords(const CDataTable &table, QIODevice &out, const std::vector<Column> &columns, std::size_t recordLength,
                  bool dos, ProgressBox *progress)
{
    const int count = table.GetRecordCount();
    const std::size_t perBatch = std::max<std::size_t>(1, kBatchBytes / recordLength);
    // One byte more for the end marker behind the last record.
    std::vector<char> batch(std::min(perBatch, static_cast<std::size_t>(count)) * recordLength + 1);
    const auto &ansiToOem = AnsiToOemMap();
    std::size_t used = 0;

    for (int r = 0; r < count; ++r) {
        const CDataRecord &record = *table.GetRecord(r);
        char *fields = batch.data() + used;
        std::memset(fields, ' ', recordLength);
        fields[0] = static_cast<char>(kLiveRecord);
        for (const Column &column : columns) {
            AnsiView value = record.GetRawValueAt(column.storage);
            value = value.substr(0, std::min(value.size(), column.width));
            // Numbers are right-aligned, text and dates left-aligned.
            char *to = fields + column.offset + (column.type == FT_NUMERIC ? column.width - value.size() : 0);
            if (dos) {
                for (std::size_t b = 0; b < value.size(); ++b)
                    to[b] = static_cast<char>(ansiToOem[static_cast<unsigned char>(value[b])]);
            } else if (!value.empty()) {
                std::memcpy(to, value.data(), value.size());
            }
        }
        used += recordLength;
        if (used + recordLength >= batch.size() && r + 1 < count) {
            if (!writeAll(out, batch.data(), used))
                return false;
            used = 0;
        }
        if (progress && (r + 1) % kProgressStep == 0)
            progress->setPos(r + 1);
    }
    batch[used++] = static_cast<char>(kEndOfFile);
    if (progress)
        progress->setPos(count);
    return writeAll(out, batch.data(), used);
}

} // namespace

int ExportDbase(CDataTable &table, QIODevice &out, ExchangeCharSet charSet, ProgressBox *progress)
{
    std::vector<Column> columns;
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        if (IsDataType(table.GetFieldType(pos))) {
            Column column;
            column.pos = pos;
            column.storage = table.GetStorageColumn(pos);
            column.type = table.GetFieldType(pos);
            columns.push_back(column);
        }
    }
    if (columns.empty()) {
        MessageBoxById(ids::kMsgNothingToExport);
        return 0;
    }

    try {
        measureColumns(table, columns);
        const std::size_t recordLength = columns.back().offset + columns.back().width;
        std::vector<unsigned char> header = buildHeader(table, columns, recordLength, charSet);
        if (table.GetRecordCount() == 0) {
            header.push_back(kEndOfFile);
            return writeAll(out, header.data(), header.size()) ? 1 : 0;
        }
        if (progress) {
            progress->setCaption(ids::kCaptionWritingDbase);
            progress->setRange(0, table.GetRecordCount());
        }
        if (!writeAll(out, header.data(), header.size())
            || !writeRecords(table, out, columns, recordLength, charSet == ExchangeCharSet::Dos, progress))
            return 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }

    QStringList cutFields;
    for (const Column &column : columns) {
        if (column.cut)
            cutFields.append(AnsiToQString(table.GetFieldName(column.pos)));
    }
    if (!cutFields.isEmpty())
        MessageBoxById(ids::kMsgValuesCut, MsgIcon::Exclamation, MsgButtons::Ok, {cutFields.join(QLatin1Char('\n'))});
    return 1;
}

} // namespace orvel

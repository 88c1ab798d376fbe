#include "exchange/CsvExport.h"

#include "exchange/CsvValueRules.h"
#include "exchange/ExportedFields.h"
#include "exchange/MemoObjects.h"
#include "platform/Codepage.h"
#include "platform/Nls.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

namespace orvel {

namespace {

// Up to this size a memo text is looked at whole before it is written, so
// that it is quoted only where it has to be; a longer one is written as it
// is read, always quoted.
constexpr std::size_t kMemoLookahead = 64 * 1024;

// The bytes a Windows-1252 byte becomes in the file.
struct Encoded
{
    unsigned char size;
    char bytes[3];
};

std::array<Encoded, 256> makeEncoding(CsvEncoding encoding)
{
    std::array<Encoded, 256> table{};
    for (int b = 0; b < 256; ++b) {
        Encoded &e = table[std::size_t(b)];
        const char16_t u = AnsiCharToUnicode(static_cast<unsigned char>(b));
        if (encoding == CsvEncoding::Windows1252 || u < 0x80) {
            e.size = 1;
            e.bytes[0] = char(b);
        } else if (u < 0x800) {
            e.size = 2;
            e.bytes[0] = char(0xC0 | (u >> 6));
            e.bytes[1] = char(0x80 | (u & 0x3F));
        } else {
            e.size = 3;
            e.bytes[0] = char(0xE0 | (u >> 12));
            e.bytes[1] = char(0x80 | ((u >> 6) & 0x3F));
            e.bytes[2] = char(0x80 | (u & 0x3F));
        }
    }
    return table;
}

struct Column
{
    int pos = 0;
    int column = 0;
    int type = FT_TEXT;
};

// The bytes a value's bytes are looked at for: those that need quotes, and
// those that are not copied as they are (quotes to double inside quotes,
// bytes that become two or three in UTF-8).
StopBytes::Set quoteStops(char delimiter)
{
    return StopBytes::bytes({static_cast<unsigned char>(delimiter), '"', '\r', '\n'});
}
StopBytes::Set copyStops(const std::array<Encoded, 256> &encoding, bool quoted)
{
    StopBytes::Set stops{};
    for (std::size_t b = 0; b < stops.size(); ++b)
        stops[b] = encoding[b].size != 1 || encoding[b].bytes[0] != char(b) || (quoted && b == '"');
    return stops;
}

class CsvWriter
{
public:
    CsvWriter(const CsvOptions &options, char delimiter)
        : m_delimiter(delimiter)
        , m_decimal(CsvDecimalSeparator(delimiter))
        , m_encoding(makeEncoding(options.encoding))
        , m_special(quoteStops(delimiter))
        , m_copyQuoted(copyStops(m_encoding, true))
        , m_copyPlain(copyStops(m_encoding, false))
    {}

    bool needsQuotes(AnsiView value) const { return m_special.foundIn(value); }

    // The value's bytes in the file's encoding, quotes doubled when quoted.
    // Runs of bytes that stay as they are are copied whole.
    void appendBytes(ExportBuffer &out, AnsiView value, bool quoted) const
    {
        const StopBytes &stops = quoted ? m_copyQuoted : m_copyPlain;
        char *const dst = out.reserve(3 * value.size() + StopBytes::kSlack);
        out.commit(stops.copy(dst, value, [&](char c, char *at) {
            const Encoded &e = m_encoding[static_cast<unsigned char>(c)];
            if (e.size == 1) {
                *at++ = e.bytes[0];
                if (quoted && c == '"')
                    *at++ = '"';
            } else {
                std::memcpy(at, e.bytes, 3);
                at += e.size;
            }
            return at;
        }));
    }

    // A value, quoted where it must be. A line of one empty value is
    // quoted too, so that it is not a blank line (which holds no record).
    void appendValue(ExportBuffer &out, AnsiView value, bool alone) const
    {
        const bool quoted = needsQuotes(value) || (alone && value.empty());
        if (quoted)
            out.append('"');
        appendBytes(out, value, quoted);
        if (quoted)
            out.append('"');
    }

    char delimiter() const { return m_delimiter; }
    char decimal() const { return m_decimal; }

private:
    const char m_delimiter;
    const char m_decimal;
    const std::array<Encoded, 256> m_encoding;
    const StopBytes m_special;
    const StopBytes m_copyQuoted;
    const StopBytes m_copyPlain;
};

} // namespace

int ExportCsv(const CDataTable &table, QIODevice &out, const CsvOptions &options, const QString &objectStore,
              ProgressBox *progress, int parts)
{
    std::vector<Column> columns;
    QStringList leftOut;
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        const int type = table.GetFieldType(pos);
        if (type == FT_PICTURE || type == FT_OLE) {
            leftOut << QStringLiteral("%1 (%2)").arg(AnsiToQString(table.GetPlainFieldName(pos)),
                                                     LoadQString(FieldTypeNameId(type)));
            continue;
        }
        columns.push_back({pos, table.GetStorageColumn(pos), type});
    }
    if (columns.empty() && !leftOut.isEmpty()) {
        MessageBoxById(ids::kMsgCsvFieldsLeftOut, MsgIcon::Exclamation, MsgButtons::Ok,
                       {leftOut.join(QLatin1Char('\n'))});
        return 0;
    }

    const CsvWriter writer(options, CsvExportDelimiter(options, CurrentLocale()));
    const bool alone = columns.size() == 1;
    MemoObjectReader memos(objectStore);
    bool memoFailed = false;
    AnsiString memo;
    // Memo texts are read from one object file, and a long one is written
    // as it is read: a table with memo fields is written by one thread.
    const bool hasMemos =
            std::any_of(columns.begin(), columns.end(), [](const Column &column) { return column.type == FT_MEMO; });
    parts = hasMemos ? 1 : ExportParts(table, parts);
    std::vector<AnsiString> scratch = ExportScratch(parts);

    const int written = RunTextExport(
            table, out, progress, ids::kCaptionWritingCsv, parts,
            [&](ExportBuffer &text) {
                if (options.encoding == CsvEncoding::Utf8 && options.bom)
                    text.append(AnsiView("\xEF\xBB\xBF"));
                bool first = true;
                for (const Column &column : columns) {
                    if (!first)
                        text.append(writer.delimiter());
                    first = false;
                    writer.appendValue(text, table.GetPlainFieldName(column.pos), alone);
                }
                text.append(AnsiView("\r\n"));
            },
            [&](ExportBuffer &text, const CDataRecord &record, int part) {
                AnsiString &buffer = scratch[static_cast<std::size_t>(part)];
                bool first = true;
                for (const Column &column : columns) {
                    if (!first)
                        text.append(writer.delimiter());
                    first = false;
                    const AnsiView stored = record.GetRawValueAt(column.column);
                    switch (column.type) {
                    case FT_NUMERIC:
                        writer.appendValue(text, CsvNumberText(stored, writer.decimal(), buffer), alone);
                        break;
                    case FT_DATE:
                        writer.appendValue(text, CsvDateText(stored, buffer), alone);
                        break;
                    case FT_MEMO: {
                        memo.clear();
                        bool streaming = false;
                        const bool read = memos.Read(stored, [&](const char *data, std::size_t size) {
                            if (!streaming && memo.size() + size <= kMemoLookahead) {
                                memo.append(data, size);
                                return;
                            }
                            if (!streaming) {
                                // Too long to look at first: quoted in any case.
                                streaming = true;
                                text.append('"');
                                writer.appendBytes(text, memo, true);
                                memo.clear();
                            }
                            writer.appendBytes(text, AnsiView(data, size), true);
                            text.flushIfFull();
                        });
                        memoFailed = memoFailed || !read;
                        if (streaming)
                            text.append('"');
                        else
                            writer.appendValue(text, memo, alone);
                        break;
                    }
                    default:
                        writer.appendValue(text, stored, alone);
                        break;
                    }
                }
                text.append(AnsiView("\r\n"));
            },
            [](ExportBuffer &) {});
    if (written != 1 || memoFailed)
        return 0;
    if (!leftOut.isEmpty())
        MessageBoxById(ids::kMsgCsvFieldsLeftOut, MsgIcon::Exclamation, MsgButtons::Ok,
                       {leftOut.join(QLatin1Char('\n'))});
    return 1;
}

} // namespace orvel

#include "exchange/DbaseImport.h"

#include "exchange/DbaseCodePage.h"
#include "exchange/DbaseFile.h"
#include "exchange/ImportLosses.h"
#include "exchange/MemoAppender.h"
#include "platform/ByteSource.h"
#include "platform/Clock.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "platform/WorkSplit.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"
#include "table/RecordBufferPool.h"
#include "table/RecordStream.h"
#include "table/TableLimits.h"

#include <QByteArray>
#include <QDate>
#include <QIODevice>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvel {

namespace {

using namespace dbase;

constexpr std::size_t kProgressStep = 300;
// The records are split over the processor cores in ranges of at least this
// many bytes: a thread costs about as much as converting 100 KB.
constexpr qint64 kMinimumSplitBytes = 256 * 1024;
// The header length is a 16-bit number, so this holds every header.
constexpr qint64 kMaxHeaderBytes = 0x10000;
constexpr std::size_t kLanguageByteAt = 29;
// Room for one converted binary number or date-time in a record's scratch.
constexpr std::size_t kNumberRoom = 48;
constexpr int kCurrencyDecimals = 4;
// Above this a double is written in exponent form rather than with its
// decimals: fixed notation of 1e300 would be 300 digits long.
constexpr double kFixedNotationLimit = 1e15;
constexpr std::uint32_t kMillisecondsPerDay = 86400000;

constexpr unsigned char kDbase2Version = 0x02;
// dBASE 7 without and with memo file.
constexpr unsigned char kDbase7Versions[] = {0x04, 0x8C};

std::uint64_t readLe64(const void *at)
{
    const auto *bytes = static_cast<const unsigned char *>(at);
    return ReadLe32(bytes) | (std::uint64_t(ReadLe32(bytes + 4)) << 32);
}

bool readsLikeDbase3(unsigned char version)
{
    // dBASE III's low bits (0x03, 0x83, 0x8B, ...), and FoxPro's versions.
    return (version & kVersionMask) == kVersion3 || IsFoxProVersion(version);
}

// Where the fields and records of a file are, checked against its size.
struct Layout
{
    bool dbase2 = false;
    unsigned char version = 0;
    unsigned char languageByte = 0;
    std::vector<FieldDescriptor> descriptors;
    std::uint32_t declaredRecords = 0;
    qint64 recordsAt = 0;
    // The records follow each other at one deletion byte plus the field
    // lengths. The record length in the header is not used: files whose
    // header miscounts it are common, and every reader that steps by it
    // drifts through them.
    qint64 recordSize = 1;
};

AnsiString descriptorName(const unsigned char *at)
{
    const unsigned char *end = std::find(at, at + kNameBytes, 0);
    return AnsiString(reinterpret_cast<const char *>(at), static_cast<std::size_t>(end - at));
}

// Where the two versions keep a field's facts in its descriptor.
struct DescriptorShape
{
    std::size_t size;
    std::size_t typeAt;
    std::size_t lengthAt;
    std::size_t decimalsAt;
};
constexpr DescriptorShape kDbase3Descriptor{kDescriptorSize, kDescriptorTypeAt, kDescriptorLengthAt,
                                            kDescriptorDecimalsAt};
constexpr DescriptorShape kDbase2Descriptor{kDbase2DescriptorSize, kDbase2DescriptorTypeAt, kDbase2DescriptorLengthAt,
                                            kDbase2DescriptorDecimalsAt};

// The descriptors from `first` on, at most `room` of them, up to the
// terminator.
void readDescriptors(const unsigned char *first, std::size_t room, const DescriptorShape &shape, Layout &layout)
{
    for (std::size_t k = 0; k < room; ++k) {
        const unsigned char *descriptor = first + k * shape.size;
        if (descriptor[0] == kDescriptorTerminator)
            break;
        FieldDescriptor field;
        field.name = descriptorName(descriptor);
        field.type = static_cast<char>(descriptor[shape.typeAt]);
        field.length = descriptor[shape.lengthAt];
        field.decimals = descriptor[shape.decimalsAt];
        layout.descriptors.push_back(std::move(field));
    }
}

// The header length of a dBASE III-style header when it can be right: at
// least the fixed part and the terminator, and within the file.
qint64 plausibleHeaderLength(const unsigned char *head, qint64 headSize, qint64 fileSize)
{
    if (headSize < static_cast<qint64>(kHeaderSize))
        return 0;
    const qint64 headerLength = ReadLe16(head + kHeaderLengthAt);
    if (headerLength < static_cast<qint64>(kHeaderSize) || headerLength > fileSize || headerLength > headSize)
        return 0;
    return headerLength;
}

bool readDbase3Layout(const unsigned char *head, qint64 headSize, qint64 fileSize, Layout &layout)
{
    // The records start at the header length; a header shorter than its
    // fixed part or reaching past the end of the file is damaged.
    const qint64 headerLength = plausibleHeaderLength(head, headSize, fileSize);
    if (headerLength == 0)
        return false;
    layout.declaredRecords = ReadLe32(head + kRecordCountAt);
    layout.languageByte = head[kLanguageByteAt];
    // Descriptors up to the terminator, but never past the header length:
    // files without a terminator exist, and what follows the header there
    // are records, not descriptors.
    const std::size_t room = (static_cast<std::size_t>(headerLength) - kHeaderSize) / kDescriptorSize;
    readDescriptors(head + kHeaderSize, room, kDbase3Descriptor, layout);
    layout.recordsAt = headerLength;
    return true;
}

bool readDbase2Layout(const unsigned char *head, qint64 headSize, qint64 fileSize, Layout &layout)
{
    // The records lie behind room for all 32 descriptors; a shorter file
    // has lost part of its header.
    const auto recordsAt = static_cast<qint64>(kDbase2RecordsAt);
    if (fileSize < recordsAt || headSize < recordsAt)
        return false;
    layout.dbase2 = true;
    layout.declaredRecords = ReadLe16(head + kDbase2RecordCountAt);
    readDescriptors(head + kDbase2HeaderSize, kDbase2MaxDescriptors, kDbase2Descriptor, layout);
    layout.recordsAt = recordsAt;
    return true;
}

// How a field's bytes become a value.
enum class Kind {
    Text,     // C, L and whatever else holds characters
    Numeric,  // N, F: digits as text
    Date,     // D: yyyyMMdd
    Memo,     // M: a block number, as text or 4 binary bytes
    Integer,  // I: 4 bytes, little-endian, signed
    Currency, // Y: 8 bytes, signed, in ten-thousandths
    Double,   // B: 8 bytes IEEE double
    DateTime, // T: day number and milliseconds, 4 bytes each
    LeftOut,  // G, P, _NullFlags and other binary data a table cannot show
};

Kind kindOf(const FieldDescriptor &field)
{
    switch (field.type) {
    case 'N':
    case 'F':
        return Kind::Numeric;
    case 'D':
        return Kind::Date;
    case 'M':
        return Kind::Memo;
    case 'I':
        return field.length == 4 ? Kind::Integer : Kind::LeftOut;
    case 'Y':
        return field.length == 8 ? Kind::Currency : Kind::LeftOut;
    case 'B':
        // dBASE IV's binary memo has 10 bytes; Visual FoxPro's double 8.
        return field.length == 8 ? Kind::Double : Kind::LeftOut;
    case 'T':
        return field.length == 8 ? Kind::DateTime : Kind::Text;
    case 'G':
    case 'P':
    case 'Q':
    case 'W':
    case '0':
        return Kind::LeftOut;
    default:
        return Kind::Text;
    }
}

// One field of the table: where its value lies in a record and how it is
// read.
struct Column
{
    std::size_t descriptor = 0;
    Kind kind = Kind::Text;
    qint64 offset = 0; // behind the deletion byte
    std::size_t length = 0;
    int decimals = 0;
    bool binaryMemo = false;
    std::size_t scratchAt = 0; // where its converted value goes
};

// The conversion of names, values and memos into Windows-1252.
struct Conversion
{
    CodePageMap map;
    bool identity = true;
    // Bytes 0-127 become themselves and none is lost: runs of them are
    // copied eight at a time.
    bool asciiKept = false;
};

void noteAsciiKept(Conversion &conversion)
{
    conversion.asciiKept = true;
    for (std::size_t b = 0; b < 128; ++b) {
        if (conversion.map.toAnsi[b] != b || conversion.map.lost[b])
            conversion.asciiKept = false;
    }
}

Conversion conversionFor(const Layout &layout, ExchangeCharSet charSet)
{
    Conversion conversion;
    if (const CodePageMap *named = CodePageToAnsi(CodePageOfLanguageByte(layout.languageByte))) {
        conversion.map = *named;
        conversion.identity = CodePageOfLanguageByte(layout.languageByte) == 1252;
        noteAsciiKept(conversion);
        return conversion;
    }
    if (charSet == ExchangeCharSet::Dos) {
        const ByteMap &oem = OemToAnsiMap();
        for (int b = 0; b < 256; ++b) {
            const auto i = static_cast<std::size_t>(b);
            conversion.map.toAnsi[i] = oem[i];
            conversion.map.lost[i] = oem[i] == '?' && b != '?';
        }
        conversion.identity = false;
        noteAsciiKept(conversion);
        return conversion;
    }
    conversion.map = *CodePageToAnsi(1252);
    noteAsciiKept(conversion);
    return conversion;
}

// Converts `size` bytes from `from` into `to`; returns how many became "?".
std::size_t convert(const Conversion &conversion, const char *from, std::size_t size, char *to)
{
    std::size_t lost = 0;
    std::size_t b = 0;
    if (conversion.asciiKept) {
        for (; size - b >= 8; b += 8) {
            std::uint64_t word;
            std::memcpy(&word, from + b, 8);
            if (word & 0x8080808080808080u)
                break;
            std::memcpy(to + b, &word, 8);
        }
    }
    for (; b < size; ++b) {
        const auto byte = static_cast<unsigned char>(from[b]);
        to[b] = static_cast<char>(conversion.map.toAnsi[byte]);
        lost += conversion.map.lost[byte] ? 1 : 0;
    }
    return lost;
}

AnsiString convertName(const Conversion &conversion, const AnsiString &name, std::size_t &lost)
{
    if (conversion.identity)
        return name;
    AnsiString converted(name.size(), '\0');
    lost += convert(conversion, name.data(), name.size(), converted.data());
    return converted;
}

AnsiView trimmed(AnsiView value, bool leading)
{
    if (leading) {
        const std::size_t first = value.find_first_not_of(' ');
        value.remove_prefix(first == AnsiView::npos ? value.size() : first);
    }
    // Wide character fields are mostly padding: it is passed over sixteen
    // or eight blanks at a time from the end.
    const char *data = value.data();
    std::size_t size = value.size();
#if defined(__SSE2__)
    const __m128i blanks16 = _mm_set1_epi8(' ');
    while (size >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + size - 16));
        // A bit for each byte that is no blank; the highest is the last one.
        const auto others = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, blanks16))) & 0xFFFFu;
        if (others != 0)
            return AnsiView(data, size - 16 + static_cast<std::size_t>(31 - std::countl_zero(others)) + 1);
        size -= 16;
    }
#endif
    constexpr std::uint64_t kBlanks = 0x2020202020202020u;
    while (size >= 8) {
        std::uint64_t word;
        std::memcpy(&word, data + size - 8, 8);
        if (word != kBlanks) {
            if constexpr (std::endian::native == std::endian::little) {
                // The last byte that is no blank is the highest one that
                // differs from the blanks' word.
                const int highest = (63 - std::countl_zero(word ^ kBlanks)) / 8;
                return AnsiView(data, size - 8 + static_cast<std::size_t>(highest) + 1);
            }
            break;
        }
        size -= 8;
    }
    while (size > 0 && data[size - 1] == ' ')
        --size;
    return AnsiView(data, size);
}

// A number as text: NUL bytes that pad it count as blanks, and a field of
// "*" (a value too wide for its field when it was written) is empty.
AnsiView numericValue(AnsiView value, char *scratch)
{
    if (value.find('\0') != AnsiView::npos) {
        std::memcpy(scratch, value.data(), value.size());
        std::replace(scratch, scratch + value.size(), '\0', ' ');
        value = AnsiView(scratch, value.size());
    }
    value = trimmed(value, true);
    if (value.find('*') != AnsiView::npos)
        return {};
    return value;
}

AnsiView integerText(std::int64_t number, char *scratch)
{
    const auto result = std::to_chars(scratch, scratch + kNumberRoom, number);
    return AnsiView(scratch, static_cast<std::size_t>(result.ptr - scratch));
}

AnsiView currencyText(std::int64_t tenThousandths, char *scratch)
{
    char *out = scratch;
    // The magnitude as unsigned, so that the smallest value has one too.
    auto magnitude = static_cast<std::uint64_t>(tenThousandths);
    if (tenThousandths < 0) {
        *out++ = '-';
        magnitude = ~magnitude + 1;
    }
    out = std::to_chars(out, scratch + kNumberRoom, magnitude / 10000).ptr;
    *out++ = '.';
    const auto fraction = static_cast<unsigned>(magnitude % 10000);
    for (int d = kCurrencyDecimals - 1, divisor = 1000; d >= 0; --d, divisor /= 10)
        *out++ = static_cast<char>('0' + (fraction / static_cast<unsigned>(divisor)) % 10);
    return AnsiView(scratch, static_cast<std::size_t>(out - scratch));
}

AnsiView doubleText(double number, int decimals, char *scratch)
{
    if (!std::isfinite(number))
        return {};
    const auto result = std::abs(number) < kFixedNotationLimit
                                ? std::to_chars(scratch, scratch + kNumberRoom, number, std::chars_format::fixed,
                                                std::min(decimals, 15))
                                : std::to_chars(scratch, scratch + kNumberRoom, number, std::chars_format::general, 17);
    if (result.ec != std::errc())
        return {};
    return AnsiView(scratch, static_cast<std::size_t>(result.ptr - scratch));
}

// A Visual FoxPro date-time: the Julian day number, then the milliseconds
// since midnight. Both 0: empty.
AnsiView dateTimeText(const unsigned char *at, char *scratch)
{
    const std::uint32_t day = ReadLe32(at);
    const std::uint32_t milliseconds = ReadLe32(at + 4);
    if (day == 0 && milliseconds == 0)
        return {};
    const QDate date = QDate::fromJulianDay(day);
    if (!date.isValid() || date.year() < 1 || date.year() > 9999 || milliseconds >= kMillisecondsPerDay)
        return {};
    const std::uint32_t seconds = milliseconds / 1000;
    const int written = std::snprintf(scratch, kNumberRoom, "%04d-%02d-%02d %02u:%02u:%02u", date.year(), date.month(),
                                      date.day(), seconds / 3600, seconds / 60 % 60, seconds % 60);
    return AnsiView(scratch, static_cast<std::size_t>(std::clamp(written, 0, static_cast<int>(kNumberRoom) - 1)));
}

// A memo field's block number as text: digits as the file has them, or the
// 4 binary bytes of Visual FoxPro; 0 is no memo.
AnsiView memoBlockText(AnsiView value, bool binary, char *scratch)
{
    if (binary) {
        const std::uint32_t block = ReadLe32(value.data());
        return block == 0 ? AnsiView() : integerText(block, scratch);
    }
    return numericValue(value, scratch);
}

// What the import found on the way, for its messages.
struct Findings
{
    std::size_t lostCharacters = 0;
    int deleted = 0;
};

// What one range of the file's records became: its records, in file order,
// with their buffers from the range's own pool.
struct RangeRead
{
    std::vector<std::unique_ptr<CDataRecord>> records;
    std::unique_ptr<RecordBufferPool> pool = std::make_unique<RecordBufferPool>();
    Findings findings;
    // At an end marker, or where the file ended: the ranges after this one
    // are not part of the table.
    bool stopped = false;
};

// Turns records of the file into the values of the table's records. It
// only reads its own state, so ranges of the file are converted on several
// threads at once with one reader.
class RecordReader
{
public:
    RecordReader(const std::vector<Column> &columns, const Conversion &conversion)
        : m_columns(columns)
        , m_conversion(conversion)
    {
        for (Column &column : m_columns) {
            column.scratchAt = m_scratchPerRecord;
            m_scratchPerRecord += std::max(column.length, kNumberRoom);
        }
    }

    // Room for the converted values of one record.
    std::size_t ScratchSize() const { return std::max<std::size_t>(m_scratchPerRecord, 1); }

    // The values of the record at `record`, one per column, into the file's
    // bytes or into `scratch`; counts the characters lost on the way.
    void Convert(const unsigned char *record, AnsiView *values, char *scratch, std::size_t &lost) const
    {
        const unsigned char *fields = record + 1;
        for (std::size_t k = 0; k < m_columns.size(); ++k)
            values[k] = value(m_columns[k], fields, scratch, lost);
    }

private:
    AnsiView value(const Column &column, const unsigned char *fields, char *recordScratch, std::size_t &lost) const
    {
        const unsigned char *at = fields + column.offset;
        const AnsiView raw(reinterpret_cast<const char *>(at), column.length);
        char *scratch = recordScratch + column.scratchAt;
        switch (column.kind) {
        case Kind::Numeric:
            return numericValue(raw, scratch);
        case Kind::Memo:
            return memoBlockText(raw, column.binaryMemo, scratch);
        case Kind::Integer:
            return integerText(static_cast<std::int32_t>(ReadLe32(at)), scratch);
        case Kind::Currency:
            return currencyText(static_cast<std::int64_t>(readLe64(at)), scratch);
        case Kind::Double: {
            const std::uint64_t bits = readLe64(at);
            double number = 0;
            std::memcpy(&number, &bits, sizeof number);
            return doubleText(number, column.decimals, scratch);
        }
        case Kind::DateTime:
            return dateTimeText(at, scratch);
        case Kind::Date:
            return trimmed(raw, false);
        case Kind::Text:
        case Kind::LeftOut:
            break;
        }
        const AnsiView text = trimmed(raw, false);
        if (m_conversion.identity || text.empty())
            return text;
        lost += convert(m_conversion, text.data(), text.size(), scratch);
        return AnsiView(scratch, text.size());
    }

    std::vector<Column> m_columns;
    const Conversion &m_conversion;
    std::size_t m_scratchPerRecord = 0;
};

// The block number a memo field's text names; nothing when it is no number.
std::optional<std::uint64_t> parseBlock(AnsiView text)
{
    std::uint64_t block = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), block);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return block;
}

QString fieldList(const CDataTable &table, const std::vector<int> &fields)
{
    QStringList names;
    for (int k : fields)
        names.append(AnsiToQString(table.GetFieldName(k)));
    return names.join(QStringLiteral(", "));
}

// Replaces the block numbers of the memo fields by references to their
// texts in the object store. A field whose memos cannot all be read keeps
// its block numbers (and the store loses what was written for it).
void readMemos(CDataTable &table, const std::vector<int> &memoFields, const DbaseMemoSource &memos,
               const Conversion &conversion, bool dbase4, Findings &findings, ImportLosses &losses)
{
    std::vector<int> referring;
    for (int k : memoFields) {
        for (int i = 0; i < table.GetRecordCount(); ++i) {
            if (!table.GetRecord(i)->GetRawValue(k).empty()) {
                referring.push_back(k);
                break;
            }
        }
    }
    // Fields without a single block number are memo fields all the same.
    for (int k : memoFields) {
        if (std::find(referring.begin(), referring.end(), k) == referring.end())
            table.SetFieldType(FT_MEMO, k);
    }
    if (referring.empty())
        return;
    if (!memos.file) {
        losses.Add(QStringLiteral("Die Memodatei fehlt; die Memofelder %1 zeigen die Blocknummern ihrer Texte.")
                           .arg(fieldList(table, referring)));
        return;
    }
    MemoFile file(*memos.file, memos.layout, dbase4);
    MemoAppender store(memos.objectStore);
    if (!file.IsValid() || store.Failed()) {
        losses.Add(QStringLiteral("Die Memodatei %1 ist beschädigt; die Memofelder %2 zeigen die Blocknummern ihrer "
                                  "Texte.")
                           .arg(memos.name, fieldList(table, referring)));
        return;
    }

    std::vector<int> damaged;
    QByteArray text;
    AnsiString converted;
    std::vector<AnsiString> references;
    // A block that several values name is read and stored once.
    std::unordered_map<std::uint64_t, AnsiString> stored;
    for (int k : referring) {
        const std::uint64_t before = store.Length();
        references.assign(static_cast<std::size_t>(table.GetRecordCount()), AnsiString());
        std::size_t lost = 0;
        bool ok = true;
        for (int i = 0; i < table.GetRecordCount() && ok; ++i) {
            const AnsiView number = table.GetRecord(i)->GetRawValue(k);
            if (number.empty())
                continue;
            const std::optional<std::uint64_t> block = parseBlock(number);
            if (!block) {
                ok = false;
                break;
            }
            if (const auto known = stored.find(*block); known != stored.end()) {
                references[static_cast<std::size_t>(i)] = known->second;
                continue;
            }
            const MemoFile::Result result = file.Read(*block, text);
            if (result == MemoFile::Result::Damaged) {
                ok = false;
                break;
            }
            AnsiString reference;
            if (result == MemoFile::Result::Text) {
                converted.resize(static_cast<std::size_t>(text.size()));
                if (conversion.identity)
                    std::memcpy(converted.data(), text.constData(), converted.size());
                else
                    lost += convert(conversion, text.constData(), converted.size(), converted.data());
                reference = store.Append(converted);
                if (reference.empty()) {
                    ok = false;
                    break;
                }
            }
            stored.emplace(*block, reference);
            references[static_cast<std::size_t>(i)] = std::move(reference);
        }
        if (!ok) {
            // The texts of this field that reached the store are taken back;
            // blocks it shared with an earlier field stay.
            store.Truncate(before);
            for (auto entry = stored.begin(); entry != stored.end();) {
                const std::optional<std::uint64_t> at = ParseObjectReference(entry->second);
                entry = at && *at >= before ? stored.erase(entry) : std::next(entry);
            }
            damaged.push_back(k);
            continue;
        }
        findings.lostCharacters += lost;
        table.SetFieldType(FT_MEMO, k);
        for (int i = 0; i < table.GetRecordCount(); ++i)
            table.GetRecord(i)->SetRawValue(references[static_cast<std::size_t>(i)], k);
    }
    if (!damaged.empty()) {
        losses.Add(QStringLiteral("Die Memodatei %1 ist beschädigt; die Memofelder %2 zeigen die Blocknummern ihrer "
                                  "Texte.")
                           .arg(memos.name, fieldList(table, damaged)));
    }
}

QString versionName(unsigned char version)
{
    const QString hex = QString::number(version, 16).rightJustified(2, QLatin1Char('0')).toUpper() + QLatin1Char('h');
    if (std::find(std::begin(kDbase7Versions), std::end(kDbase7Versions), version) != std::end(kDbase7Versions))
        return QStringLiteral("dBASE 7 (Versionsbyte %1)").arg(hex);
    return QStringLiteral("unbekannte Version (Versionsbyte %1)").arg(hex);
}

// What the header tells about a file and how its records become a table's
// values: what reading the records into the table and streaming them share.
struct OpenedTable
{
    Layout layout;
    Conversion conversion;
    std::vector<Column> columns;
    // Fields left out (binary data) and beyond the limit, for the message.
    QStringList leftOut;
    std::size_t beyondLimit = 0;
    // The records the table would take, and how many of them the file holds
    // whole.
    qint64 wanted = 0;
    std::size_t total = 0;
    std::vector<int> memoFields;
    // What converting the field names found.
    Findings findings;
};

// Reads the header and sets up the table's fields. Returns 1 when the
// records can be read; 0 when the header is damaged; kDbaseVersionRefused
// when the version was refused and reported. The table has no records
// afterwards either way.
int openTable(CDataTable &table, ByteSource &source, ExchangeCharSet charSet, OpenedTable &opened)
{
    const auto fileSize = static_cast<qint64>(source.size());
    std::vector<unsigned char> head(static_cast<std::size_t>(std::min(fileSize, kMaxHeaderBytes)));
    head.resize(source.readAt(0, head.data(), head.size()));
    const auto headSize = static_cast<qint64>(head.size());
    if (head.empty()) {
        table.RemoveAllRecords();
        return 0;
    }
    Layout &layout = opened.layout;
    layout.version = head[0];
    bool known = false;
    if (readsLikeDbase3(layout.version)) {
        known = readDbase3Layout(head.data(), headSize, fileSize, layout);
    } else if (layout.version == kDbase2Version) {
        known = readDbase2Layout(head.data(), headSize, fileSize, layout);
    } else if (plausibleHeaderLength(head.data(), headSize, fileSize) != 0) {
        // A header that looks whole but has a version this reader does
        // not know: the user learns which one, not just that reading
        // failed.
        table.RemoveAllRecords();
        MessageBoxById(ids::kMsgDbaseVersionRefused, MsgIcon::Exclamation, MsgButtons::Ok,
                       {versionName(layout.version)});
        return kDbaseVersionRefused;
    }
    if (!known) {
        table.RemoveAllRecords();
        return 0;
    }
    for (const FieldDescriptor &field : layout.descriptors)
        layout.recordSize += field.length;

    opened.conversion = conversionFor(layout, charSet);
    const Conversion &conversion = opened.conversion;

    // The fields a table can hold: the first 32 that are no binary data.
    std::vector<Column> &columns = opened.columns;
    qint64 offset = 0;
    for (std::size_t d = 0; d < layout.descriptors.size(); ++d) {
        const FieldDescriptor &field = layout.descriptors[d];
        Column column;
        column.descriptor = d;
        column.kind = kindOf(field);
        column.offset = offset;
        column.length = field.length;
        // dBASE II kept its decimals in the descriptor as the others do.
        column.decimals = column.kind == Kind::Currency ? kCurrencyDecimals : field.decimals;
        column.binaryMemo = column.kind == Kind::Memo && field.length == 4;
        offset += field.length;
        if (column.kind == Kind::Memo && !column.binaryMemo && field.length == 0)
            column.kind = Kind::Text;
        if (column.kind == Kind::LeftOut) {
            std::size_t lost = 0;
            opened.leftOut.append(QStringLiteral("%1 (Typ %2)")
                                          .arg(AnsiToQString(convertName(conversion, field.name, lost)),
                                               AnsiToQString(AnsiView(&field.type, 1))));
        } else if (columns.size() < static_cast<std::size_t>(kMaxFields)) {
            columns.push_back(column);
        } else {
            ++opened.beyondLimit;
        }
    }

    // Only whole records that the file holds are read.
    const qint64 present = (fileSize - layout.recordsAt) / layout.recordSize;
    opened.wanted = std::min<qint64>(layout.declaredRecords, kMaxRecords);
    opened.total = static_cast<std::size_t>(std::min(opened.wanted, present));
    // Too many records only when the file really holds them: a header
    // that claims more than there are is a file cut short.
    if (std::min<qint64>(layout.declaredRecords, present) > kMaxRecords)
        MessageBoxById(ids::kMsgDbaseTooManyRecords);

    const auto fieldCount = static_cast<int>(columns.size());
    for (int k = 0; k < fieldCount; ++k) {
        const Column &column = columns[static_cast<std::size_t>(k)];
        const FieldDescriptor &field = layout.descriptors[column.descriptor];
        const AnsiString name = convertName(conversion, field.name, opened.findings.lostCharacters);
        table.SetFieldName(name, k);
        table.SetDbaseLength(field.length, k);
        switch (column.kind) {
        case Kind::Date:
            table.SetFieldType(FT_DATE, k);
            break;
        case Kind::Numeric:
        case Kind::Integer:
        case Kind::Currency:
        case Kind::Double:
            table.SetFieldType(FT_NUMERIC, k);
            table.SetFieldFormat(column.kind == Kind::Integer ? 0 : column.decimals, k);
            break;
        case Kind::Memo:
            opened.memoFields.push_back(k);
            break;
        default:
            break;
        }
        int width = kNewFieldWidth;
        if (!layout.dbase2 && (field.type == kTypeText || column.kind == Kind::Memo))
            width = std::max(static_cast<int>(name.size()), static_cast<int>(field.length));
        if (column.kind == Kind::DateTime)
            width = std::max(static_cast<int>(name.size()), 19);
        table.SetColumnWidth(width, k);
    }
    return 1;
}

// Converts the records of `count` records of the file from `data` (read
// from record `first` on) for `take(values, fieldCount, deleted)`, up to the
// end marker; returns how many were converted.
template<typename Take>
std::size_t convertRecords(const OpenedTable &opened, const RecordReader &reader, const std::uint8_t *data,
                           std::size_t count, char *scratch, Findings &findings, Take &&take)
{
    const auto recordSize = static_cast<std::size_t>(opened.layout.recordSize);
    const auto fieldCount = static_cast<int>(opened.columns.size());
    AnsiView values[kMaxFields];
    std::size_t converted = 0;
    for (; converted < count; ++converted) {
        const std::uint8_t *record = data + converted * recordSize;
        // The end marker is no record, whatever the header counted.
        if (record[0] == kEndOfFile)
            break;
        reader.Convert(record, values, scratch, findings.lostCharacters);
        // Deleted records come in marked, so that deleting the marked
        // records does what dBASE's PACK would.
        const bool deleted = record[0] == '*';
        if (deleted)
            ++findings.deleted;
        take(values, fieldCount, deleted);
    }
    return converted;
}

// Where a reading thread puts the records it reads from a file, grown as
// needed and reused for the next stretch.
struct ReadWindow
{
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
};

// Where `count` records from record `first` on lie: in place in memory, or
// read into `window`. Returns the bytes there are.
std::size_t recordBytes(const OpenedTable &opened, ByteSource &source, std::size_t first, std::size_t count,
                        ReadWindow &window, const std::uint8_t *&data)
{
    const auto recordSize = static_cast<std::size_t>(opened.layout.recordSize);
    const std::size_t from = static_cast<std::size_t>(opened.layout.recordsAt) + first * recordSize;
    if (source.memory()) {
        data = source.memory() + std::min(from, source.size());
        return std::min(count * recordSize, source.size() - std::min(from, source.size()));
    }
    if (window.size < count * recordSize) {
        window.size = count * recordSize;
        window.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(window.size);
    }
    data = window.bytes.get();
    return source.readAt(from, window.bytes.get(), count * recordSize);
}

// Reads the records into the table. Returns how many were read, or -1 when
// a read failed.
qint64 readRecords(CDataTable &table, ByteSource &source, const OpenedTable &opened, ProgressBox *progress,
                   std::size_t chunkBytes, int splitParts, Findings &findings)
{
    // The records are split into consecutive ranges, one per processor
    // core, and each range reads its part of the file itself, a stretch
    // at a time into a buffer of its own (fresh memory for a whole 27 MB
    // file costs more in clearing its pages than the reading itself; a
    // buffer in memory is used where it lies). A range makes its records
    // with buffers from a pool of its own: a thread's own heap would fault
    // its memory in 4 KiB at a time. A range ends early at the end marker
    // or where the file ends, and the ranges after it are dropped, just
    // as reading one by one stops there. Progress is shown by the first
    // range, which runs on the calling thread.
    const auto now = static_cast<std::uint32_t>(Clock::NowUtcSeconds());
    const auto recordSize = static_cast<std::size_t>(opened.layout.recordSize);
    const std::size_t total = opened.total;
    const std::size_t perChunk = std::max<std::size_t>(1, chunkBytes / recordSize);
    const std::size_t perPart = std::max<std::size_t>(1, static_cast<std::size_t>(kMinimumSplitBytes) / recordSize);
    int parts = splitParts > 0 ? splitParts : WorkSplitParts(total, perPart);
    parts = source.concurrent() ? std::clamp(parts, 1, static_cast<int>(std::max<std::size_t>(total, 1))) : 1;
    const RecordReader reader(opened.columns, opened.conversion);
    const bool pooled = total >= RecordBufferPool::kWorthwhileRecords;
    std::vector<RangeRead> ranges(static_cast<std::size_t>(parts));
    RunWorkSplit(total, parts, [&](int part, std::size_t begin, std::size_t end) {
        RangeRead &range = ranges[static_cast<std::size_t>(part)];
        range.records.reserve(end - begin);
        const auto scratch = std::make_unique_for_overwrite<char[]>(reader.ScratchSize());
        ReadWindow window;
        auto make = [&](const AnsiView *values, int fieldCount, bool deleted) {
            std::unique_ptr<CDataRecord> made =
                    table.CreateRecord(values, fieldCount, false, nullptr, pooled ? range.pool.get() : nullptr);
            // Every record is stamped with the moment of the import.
            made->SetModificationTime(now);
            if (deleted)
                made->SetMark(true);
            range.records.push_back(std::move(made));
            const std::size_t done = range.records.size();
            if (progress && part == 0 && done % kProgressStep == 0)
                progress->setPos(static_cast<int>(std::min(total, done * static_cast<std::size_t>(parts))));
        };
        for (std::size_t at = begin; at < end;) {
            const std::size_t asked = std::min(perChunk, end - at);
            const std::uint8_t *data = nullptr;
            const std::size_t got = recordBytes(opened, source, at, asked, window, data) / recordSize;
            const std::size_t converted =
                    convertRecords(opened, reader, data, got, scratch.get(), range.findings, make);
            at += converted;
            if (converted < asked) {
                range.stopped = true;
                break;
            }
        }
    });
    // A read that failed (not one that found the file shorter) fails
    // the import, as a damaged file does.
    if (source.failed())
        return -1;
    std::vector<std::unique_ptr<CDataRecord>> made;
    made.reserve(total);
    for (RangeRead &range : ranges) {
        std::move(range.records.begin(), range.records.end(), std::back_inserter(made));
        findings.lostCharacters += range.findings.lostCharacters;
        findings.deleted += range.findings.deleted;
        if (range.stopped)
            break;
    }
    const auto count = static_cast<qint64>(made.size());
    table.InsertRecords(-1, made);
    if (progress)
        progress->setPos(static_cast<int>(count));
    return count;
}

// The messages about what the import of `count` records left out or found.
void reportFindings(const OpenedTable &opened, qint64 count, const Findings &findings, ImportLosses &losses)
{
    if (!opened.leftOut.isEmpty()) {
        losses.Add(QStringLiteral("Datenfelder, die eine Orvel-Datenbank nicht aufnehmen kann: %1")
                           .arg(opened.leftOut.join(QStringLiteral(", "))));
    }
    if (opened.beyondLimit > 0) {
        losses.Add(QStringLiteral("Datenfelder nach dem %1. (die Datei enthält %2 Datenfelder)")
                           .arg(kMaxFields)
                           .arg(static_cast<qulonglong>(opened.columns.size() + opened.beyondLimit)));
    }
    if (count < opened.wanted) {
        losses.Add(QStringLiteral("Die Datei ist unvollständig: Sie enthält nur %1 von %2 Datensätzen.")
                           .arg(count)
                           .arg(opened.layout.declaredRecords));
    }
    if (findings.lostCharacters > 0) {
        losses.Add(QStringLiteral("%1 Zeichen, die Windows-1252 nicht darstellen kann, wurden durch \"?\" ersetzt.")
                           .arg(static_cast<qulonglong>(findings.lostCharacters)));
    }
    losses.Report();
    if (findings.deleted > 0) {
        MessageBoxById(ids::kMsgDbaseDeletedMarked, MsgIcon::Information, MsgButtons::Ok,
                       {QString::number(findings.deleted)});
    }
}

// Reads the records of an opened file into the table, with their memos,
// and reports what was found. Returns 1, or 0 when a read failed.
int importRecords(CDataTable &table, ByteSource &source, const OpenedTable &opened, ProgressBox *progress,
                  const DbaseMemoSource &memos, std::size_t chunkBytes, int splitParts)
{
    if (progress) {
        progress->setCaption(ids::kCaptionReadingDbase);
        progress->setRange(0, static_cast<int>(opened.total));
    }
    Findings findings = opened.findings;
    const qint64 count = readRecords(table, source, opened, progress, chunkBytes, splitParts, findings);
    if (count < 0) {
        table.Clear();
        return 0;
    }
    ImportLosses losses;
    if (!opened.memoFields.empty()) {
        const unsigned char version = opened.layout.version;
        const bool dbase4 = (version & kVersionMask) == kVersion3 && version != 0x83 && version != kVersion3;
        readMemos(table, opened.memoFields, memos, opened.conversion, dbase4, findings, losses);
    }
    reportFindings(opened, count, findings, losses);
    return 1;
}

// The records of a file without memo fields, converted as the database
// file is written. Blocks are read at the same time on several threads,
// each into a window of its own; what each block found is kept by its first
// record, so that blocks read past the end of the records count for
// nothing.
class DbaseRecordStream final : public RecordStream
{
public:
    explicit DbaseRecordStream(std::unique_ptr<QIODevice> device)
        : m_device(std::move(device))
        , m_source(*m_device)
    {}

    ByteSource &source() { return m_source; }
    OpenedTable &opened() { return m_opened; }
    void start()
    {
        m_reader.emplace(m_opened.columns, m_opened.conversion);
        m_now = static_cast<std::uint32_t>(Clock::NowUtcSeconds());
    }

    std::size_t Capacity() const override { return m_opened.total; }
    int Parts() const override { return m_source.concurrent() ? kMaxParts : 1; }
    void Begin(int parts) override { m_parts.resize(static_cast<std::size_t>(std::clamp(parts, 1, kMaxParts))); }
    bool Failed() const override { return m_source.failed(); }
    std::uint32_t ModificationTime() const override { return m_now; }

    std::size_t Read(std::size_t first, std::size_t count, int part, Sink &sink) override
    {
        PartState &state = m_parts.at(static_cast<std::size_t>(part));
        if (!state.scratch)
            state.scratch = std::make_unique_for_overwrite<char[]>(m_reader->ScratchSize());
        count = std::min(count, m_opened.total - std::min(first, m_opened.total));
        const std::uint8_t *data = nullptr;
        const std::size_t got = recordBytes(m_opened, m_source, first, count, state.window, data)
                                / static_cast<std::size_t>(m_opened.layout.recordSize);
        Findings found;
        const std::size_t converted =
                convertRecords(m_opened, *m_reader, data, got, state.scratch.get(), found,
                               [&](const AnsiView *values, int fieldCount, bool) { sink.Take(values, fieldCount); });
        const std::lock_guard held(m_lock);
        m_found.push_back({first, found});
        return converted;
    }

    void Finish(std::size_t records) override
    {
        Findings findings = m_opened.findings;
        for (const auto &[first, found] : m_found) {
            if (first < records) {
                findings.lostCharacters += found.lostCharacters;
                findings.deleted += found.deleted;
            }
        }
        ImportLosses losses;
        reportFindings(m_opened, static_cast<qint64>(records), findings, losses);
    }

private:
    static constexpr int kMaxParts = 64;
    struct PartState
    {
        std::unique_ptr<char[]> scratch;
        ReadWindow window;
    };

    std::unique_ptr<QIODevice> m_device;
    ByteSource m_source;
    OpenedTable m_opened;
    std::optional<RecordReader> m_reader;
    std::uint32_t m_now = 0;
    std::vector<PartState> m_parts;
    std::mutex m_lock;
    std::vector<std::pair<std::size_t, Findings>> m_found;
};

} // namespace

int ImportDbase(CDataTable &table, QIODevice &file, ExchangeCharSet charSet, ProgressBox *progress,
                std::size_t chunkBytes)
{
    return ImportDbase(table, file, charSet, progress, DbaseMemoSource(), chunkBytes);
}

int ImportDbase(CDataTable &table, QIODevice &file, ExchangeCharSet charSet, ProgressBox *progress,
                const DbaseMemoSource &memos, std::size_t chunkBytes, int splitParts)
{
    try {
        ByteSource source(file);
        OpenedTable opened;
        const int result = openTable(table, source, charSet, opened);
        if (result != 1)
            return result;
        return importRecords(table, source, opened, progress, memos, chunkBytes, splitParts);
    } catch (const std::bad_alloc &) {
        // What was read so far would be a table the file does not describe.
        table.Clear();
        return 0;
    }
}

int StreamDbase(CDataTable &table, std::unique_ptr<QIODevice> file, ExchangeCharSet charSet, ProgressBox *progress,
                const DbaseMemoSource &memos, std::unique_ptr<RecordStream> &stream)
{
    stream.reset();
    try {
        auto streamed = std::make_unique<DbaseRecordStream>(std::move(file));
        OpenedTable &opened = streamed->opened();
        const int result = openTable(table, streamed->source(), charSet, opened);
        if (result != 1)
            return result;
        // Memo texts are stored once every block number is known.
        if (!opened.memoFields.empty())
            return importRecords(table, streamed->source(), opened, progress, memos, kDbaseReadChunk, 0);
        streamed->start();
        stream = std::move(streamed);
        return 1;
    } catch (const std::bad_alloc &) {
        table.Clear();
        return 0;
    }
}

} // namespace orvel

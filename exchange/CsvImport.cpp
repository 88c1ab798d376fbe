#include "exchange/CsvImport.h"

#include "exchange/CsvValueRules.h"
#include "exchange/ImportLosses.h"
#include "exchange/MemoObjects.h"
#include "platform/Clock.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "platform/WorkSplit.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldName.h"
#include "table/FieldType.h"
#include "table/RecordBufferPool.h"
#include "table/ValueFormat.h"

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvel {

namespace {

// The file is read in pieces of this size.
constexpr std::size_t kPiece = 256 * 1024;
// The start of the file in which the delimiter is looked for.
constexpr std::size_t kSample = 64 * 1024;
// Lines of the sample that decide the delimiter.
constexpr int kSampleRecords = 20;
// A value whose bytes reach this size goes to its memo text piece by piece,
// so that one huge value never sits in memory whole.
constexpr std::size_t kSpillSize = 64 * 1024;
// Field names are cut to this many characters.
constexpr std::size_t kMaxCsvNameLength = 32;
// Of a header value, more than this is never needed for a name.
constexpr std::size_t kMaxHeaderBytes = 4 * kMaxCsvNameLength;
constexpr unsigned char kQuote = '"';

// --- Reading the device --------------------------------------------------

enum class Encoding { Utf8, Windows1252, Utf16Le, Utf16Be, Utf32Le, Utf32Be };

const char *encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return "UTF-8";
    case Encoding::Windows1252:
        return "Windows-1252";
    case Encoding::Utf16Le:
        return "UTF-16LE";
    case Encoding::Utf16Be:
        return "UTF-16BE";
    case Encoding::Utf32Le:
        return "UTF-32LE";
    case Encoding::Utf32Be:
        return "UTF-32BE";
    }
    return "UTF-8";
}

// The pieces of the file's text after its byte-order mark: the bytes as
// they are, or, for UTF-16 and UTF-32 files, converted to UTF-8 on the way.
class TextInput
{
public:
    TextInput(QIODevice &device, Encoding encoding)
        : m_device(device)
    {
        switch (encoding) {
        case Encoding::Utf16Le:
            m_decoder.emplace(QStringDecoder::Utf16LE);
            break;
        case Encoding::Utf16Be:
            m_decoder.emplace(QStringDecoder::Utf16BE);
            break;
        case Encoding::Utf32Le:
            m_decoder.emplace(QStringDecoder::Utf32LE);
            break;
        case Encoding::Utf32Be:
            m_decoder.emplace(QStringDecoder::Utf32BE);
            break;
        default:
            break;
        }
        m_raw.resize(kPiece);
    }

    // The next piece; false at the end of the file or on a read error.
    bool next(const unsigned char *&data, std::size_t &size)
    {
        for (;;) {
            if (m_done)
                return false;
            const qint64 got = m_device.read(m_raw.data(), qint64(kPiece));
            if (got < 0)
                m_failed = true;
            if (got <= 0) {
                m_done = true;
                return false;
            }
            if (!m_decoder) {
                data = reinterpret_cast<const unsigned char *>(m_raw.constData());
                size = std::size_t(got);
                return true;
            }
            m_text = (*m_decoder)(QByteArrayView(m_raw.constData(), got)).operator QString().toUtf8();
            if (m_text.isEmpty())
                continue; // an odd byte waits for its partner
            data = reinterpret_cast<const unsigned char *>(m_text.constData());
            size = std::size_t(m_text.size());
            return true;
        }
    }
    bool failed() const { return m_failed; }
    qint64 position() const { return m_device.pos(); }

private:
    QIODevice &m_device;
    std::optional<QStringDecoder> m_decoder;
    QByteArray m_raw;
    QByteArray m_text;
    bool m_done = false;
    bool m_failed = false;
};

// True when the bytes from the device's current position to its end are
// valid UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(QIODevice &device, bool &readFailed)
{
    QByteArray piece(qsizetype(kPiece), Qt::Uninitialized);
    // Bytes of a sequence that the previous piece ended in the middle of.
    unsigned char carry[4];
    std::size_t carried = 0;
    std::vector<unsigned char> joined;
    for (;;) {
        const qint64 got = device.read(piece.data(), qint64(kPiece));
        if (got < 0) {
            readFailed = true;
            return false;
        }
        if (got == 0)
            return carried == 0;
        joined.assign(carry, carry + carried);
        joined.insert(joined.end(), piece.constData(), piece.constData() + got);
        const unsigned char *p = joined.data();
        const unsigned char *end = p + joined.size();
        carried = 0;
        while (p < end) {
            // Plain ASCII, eight bytes at a time.
            while (end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, 8);
                if (word & 0x8080808080808080u)
                    break;
                p += 8;
            }
            if (p == end)
                break;
            const unsigned char b = *p;
            if (b < 0x80) {
                ++p;
                continue;
            }
            std::size_t length;
            unsigned char low = 0x80, high = 0xBF;
            if (b >= 0xC2 && b <= 0xDF) {
                length = 2;
            } else if (b >= 0xE0 && b <= 0xEF) {
                length = 3;
                if (b == 0xE0)
                    low = 0xA0;
                else if (b == 0xED)
                    high = 0x9F;
            } else if (b >= 0xF0 && b <= 0xF4) {
                length = 4;
                if (b == 0xF0)
                    low = 0x90;
                else if (b == 0xF4)
                    high = 0x8F;
            } else {
                return false;
            }
            if (std::size_t(end - p) < length) {
                // Checked with the next piece (or found incomplete at the end).
                for (std::size_t k = 1; k < std::size_t(end - p); ++k) {
                    if (p[k] < (k == 1 ? low : 0x80) || p[k] > (k == 1 ? high : 0xBF))
                        return false;
                }
                carried = std::size_t(end - p);
                std::memcpy(carry, p, carried);
                break;
            }
            if (p[1] < low || p[1] > high)
                return false;
            for (std::size_t k = 2; k < length; ++k) {
                if (p[k] < 0x80 || p[k] > 0xBF)
                    return false;
            }
            p += length;
        }
    }
}

// --- Finding the delimiter -----------------------------------------------

// How many values each of the first lines of `data` has with `delimiter`
// (quotes respected; blank lines left out).
std::vector<int> valueCounts(const unsigned char *p, const unsigned char *end, unsigned char delimiter, bool wholeFile)
{
    std::vector<int> counts;
    while (p < end && int(counts.size()) < kSampleRecords) {
        if (*p == '\n' || *p == '\r') {
            ++p;
            continue;
        }
        int values = 1;
        bool atStart = true, quoted = false, complete = false;
        while (p < end) {
            const unsigned char c = *p++;
            if (quoted) {
                if (c == kQuote) {
                    if (p < end && *p == kQuote)
                        ++p;
                    else
                        quoted = false;
                }
                continue;
            }
            if (atStart && c == kQuote) {
                quoted = true;
                atStart = false;
            } else if (c == delimiter) {
                ++values;
                atStart = true;
            } else if (c == '\n' || c == '\r') {
                complete = true;
                break;
            } else {
                atStart = false;
            }
        }
        // A line the sample cuts off says nothing.
        if (complete || wholeFile)
            counts.push_back(values);
    }
    return counts;
}

} // namespace

char DetectCsvDelimiter(const char *data, std::size_t size, bool wholeFile)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    char best = ',';
    int bestAgreeing = 0, bestValues = 0;
    // On a tie the semicolon wins: a German file with decimal commas splits
    // as evenly at its commas, but into fewer values.
    for (const char candidate : {';', ',', '\t'}) {
        const std::vector<int> counts = valueCounts(p, p + size, static_cast<unsigned char>(candidate), wholeFile);
        // The most frequent count of at least two values, and how many lines
        // have it.
        int mode = 0, agreeing = 0;
        for (const int count : counts) {
            if (count < 2)
                continue;
            const int same = int(std::count(counts.begin(), counts.end(), count));
            if (same > agreeing || (same == agreeing && count > mode)) {
                agreeing = same;
                mode = count;
            }
        }
        if (agreeing > bestAgreeing || (agreeing == bestAgreeing && agreeing > 0 && mode > bestValues)) {
            best = candidate;
            bestAgreeing = agreeing;
            bestValues = mode;
        }
    }
    return best;
}

namespace {

// --- Converting values ---------------------------------------------------

struct ConversionCounts
{
    long long replaced = 0;
    long long nulBytes = 0;
};

// The values' text, one after the other. It grows without clearing its
// new bytes, and always has a word of room beyond what is asked for, so
// that a conversion may store eight bytes where fewer are due.
class TextArena
{
public:
    static constexpr std::size_t kSlack = 8;

    void reserve(std::size_t bytes)
    {
        if (bytes + kSlack > m_capacity)
            grow(bytes + kSlack);
    }
    const char *data() const { return m_data.get(); }
    std::size_t size() const { return m_size; }
    // Room for `bytes` more (and the slack) at the end.
    char *open(std::size_t bytes)
    {
        if (m_capacity - m_size < bytes + kSlack)
            grow(m_size + bytes + kSlack);
        return m_data.get() + m_size;
    }
    // What was written into the room ends at `end`.
    void close(const char *end) { m_size = std::size_t(end - m_data.get()); }
    // Keeps the first `bytes` only.
    void cut(std::size_t bytes) { m_size = std::min(m_size, bytes); }
    void append(const char *text, std::size_t bytes)
    {
        char *at = open(bytes);
        if (bytes > 0)
            std::memcpy(at, text, bytes);
        m_size += bytes;
    }

private:
    void grow(std::size_t wanted)
    {
        if (wanted < kSlack || wanted > std::size_t(PTRDIFF_MAX) / 2)
            throw std::bad_alloc();
        const std::size_t capacity = std::max(wanted, m_capacity * 2);
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_size > 0)
            std::memcpy(bigger.get(), m_data.get(), m_size);
        m_data = std::move(bigger);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

char *openRoom(TextArena &out, std::size_t bytes)
{
    return out.open(bytes);
}
void closeRoom(TextArena &out, const char *end)
{
    out.close(end);
}
char *openRoom(AnsiString &out, std::size_t bytes)
{
    const std::size_t start = out.size();
    out.resize(start + bytes + TextArena::kSlack);
    return out.data() + start;
}
void closeRoom(AnsiString &out, const char *end)
{
    out.resize(std::size_t(end - out.data()));
}

constexpr std::uint64_t kHighBits = 0x8080808080808080u;
constexpr std::uint64_t kLowBits = 0x0101010101010101u;

// True when the first `count` (at most 8) bytes of `word`, as it was read
// from memory, are ASCII other than NUL.
bool plainAscii(std::uint64_t word, std::size_t count)
{
    // Which bytes come first in the word depends on the byte order; a whole
    // word does not.
    if (std::endian::native != std::endian::little && count < 8)
        return false;
    // The bytes after them count as 0xFF: no NUL, and their high bit is
    // masked away.
    const std::uint64_t kept = count >= 8 ? ~std::uint64_t(0) : (std::uint64_t(1) << (8 * count)) - 1;
    const std::uint64_t w = word | ~kept;
    return !(word & kept & kHighBits) && !((w - kLowBits) & ~w & kHighBits);
}

// Appends the UTF-8 bytes to `out` in Windows-1252. Returns how many bytes
// were used: all of them, except a sequence cut off at the end when more
// is to come (`final` false). Broken sequences become "?". `readable` bytes
// from `p` on (at least n) may be read, so that a short remainder of plain
// ASCII is taken as one word.
template<typename Out>
std::size_t utf8ToAnsi(const unsigned char *p, std::size_t n, std::size_t readable, bool final, Out &out,
                       ConversionCounts &counts)
{
    // Never more bytes than came in.
    char *dst = openRoom(out, n);
    std::size_t i = 0;
    while (i < n) {
        // Runs of plain ASCII, eight bytes at a time.
        while (n - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            if (!plainAscii(word, 8))
                break;
            std::memcpy(dst, &word, 8);
            dst += 8;
            i += 8;
        }
        if (i == n)
            break;
        // The rest of a value, shorter than a word: the room has slack for
        // all eight bytes.
        if (n - i < 8 && readable - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            if (plainAscii(word, n - i)) {
                std::memcpy(dst, &word, 8);
                dst += n - i;
                i = n;
                break;
            }
        }
        const unsigned char b = p[i];
        if (b < 0x80) {
            if (b == 0)
                ++counts.nulBytes;
            else
                *dst++ = char(b);
            ++i;
            continue;
        }
        // Latin-1 letters, the common case: two bytes, one character that
        // Windows-1252 has at the same place.
        if ((b == 0xC2 || b == 0xC3) && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            const unsigned code = (unsigned(b & 0x1F) << 6) | (p[i + 1] & 0x3F);
            if (code >= 0xA0) {
                *dst++ = char(code);
                i += 2;
                continue;
            }
        }
        std::size_t length = 0;
        char32_t code = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            code = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            code = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            code = b & 0x07;
        }
        if (length == 0) {
            *dst++ = '?';
            ++counts.replaced;
            ++i;
            continue;
        }
        if (n - i < length && !final) {
            bool continues = true;
            for (std::size_t k = i + 1; k < n; ++k)
                continues = continues && (p[k] & 0xC0) == 0x80;
            if (continues)
                break;
        }
        std::size_t k = 1;
        for (; k < length && i + k < n && (p[i + k] & 0xC0) == 0x80; ++k)
            code = (code << 6) | (p[i + k] & 0x3F);
        if (k < length) {
            *dst++ = '?';
            ++counts.replaced;
            i += k;
            continue;
        }
        const int ansi = code <= 0xFFFF ? UnicodeToAnsiChar(char16_t(code)) : -1;
        if (ansi < 0) {
            *dst++ = '?';
            ++counts.replaced;
        } else {
            *dst++ = char(ansi);
        }
        i += length;
    }
    closeRoom(out, dst);
    return i;
}

// Windows-1252 bytes as they are, without NUL bytes.
template<typename Out>
std::size_t ansiCopy(const unsigned char *p, std::size_t n, Out &out, ConversionCounts &counts)
{
    const auto *begin = reinterpret_cast<const char *>(p);
    const char *end = begin + n;
    while (begin < end) {
        const auto *nul = static_cast<const char *>(std::memchr(begin, 0, std::size_t(end - begin)));
        if (!nul) {
            out.append(begin, std::size_t(end - begin));
            break;
        }
        out.append(begin, std::size_t(nul - begin));
        ++counts.nulBytes;
        begin = nul + 1;
    }
    return n;
}

// --- The reader ----------------------------------------------------------

// A value of the file: a view into the reader's text arena.
struct Cell
{
    std::uint32_t offset = 0;
    std::uint16_t length = 0;
    bool memo = false; // the arena holds the memo's reference
};

// What the values of one column have in common so far.
struct ColumnFacts
{
    bool numeric = true;
    bool date = true;
    bool memo = false;
    bool onlyTwoDigitYears = true;
    int filled = 0;
    int decimals = 0;
    std::size_t longest = 0;
};

class CsvReader
{
public:
    CsvReader(CDataTable &table, TextInput &input, bool utf8, char delimiter, ImportMemoSink &memos,
              ProgressBox *progress, qint64 total, int recordLimit)
        : m_table(table)
        , m_input(input)
        , m_utf8(utf8)
        , m_delimiter(static_cast<unsigned char>(delimiter))
        , m_decimal(CsvDecimalSeparator(delimiter))
        , m_group(CsvGroupSeparator(delimiter))
        , m_memos(memos)
        , m_progress(progress)
        , m_total(total)
        , m_recordLimit(recordLimit)
    {
        m_stopUnquoted[m_delimiter] = m_stopUnquoted['\r'] = m_stopUnquoted['\n'] = true;
        m_stopQuoted[kQuote] = m_stopQuoted['\r'] = m_stopQuoted['\n'] = true;
    }

    // Starts with the piece the delimiter was found in.
    void start(const unsigned char *data, std::size_t size)
    {
        m_p = data;
        m_end = data + size;
        // Room for what a file of this size holds, within what a full table
        // can take.
        const auto bytes = std::size_t(std::max<qint64>(m_total, 0));
        m_arena.reserve(std::min<std::size_t>(bytes, std::size_t(kMaxRecords) * kMaxFields * 64));
        m_cells.reserve(std::min<std::size_t>(bytes / 4 + 16, std::size_t(kMaxRecords) * kMaxFields));
    }

    // Reads the whole file; false when a memo text could not be stored.
    bool run();
    // Makes the fields and records; `splitParts` ranges of records are
    // worked on at once (0: as many as WorkSplitParts gives).
    bool buildTable(int splitParts);

    const ImportLosses &losses() const { return m_losses; }
    const ConversionCounts &counts() const { return m_counts; }
    long long unclosedQuoteLine() const { return m_unclosedQuoteLine; }

private:
    enum class Ending { Field, Record, File };

    bool more()
    {
        if (m_p < m_end)
            return true;
        std::size_t size = 0;
        if (!m_input.next(m_p, size)) {
            m_p = m_end = nullptr;
            return false;
        }
        m_end = m_p + size;
        updateProgress();
        return true;
    }

    bool readRecord();
    Ending readValue();
    // Takes value bytes up to the next stop byte (or the end of the file).
    void takeRun(const std::array<bool, 256> &stops, unsigned char a, unsigned char b, unsigned char c)
    {
        for (;;) {
            const unsigned char *run = m_p;
            findStop(stops, a, b, c);
            if (m_p > run)
                append(run, std::size_t(m_p - run), std::size_t(m_end - run));
            if (m_p < m_end || !more())
                return;
        }
    }
    // Moves m_p to the first of the three stop bytes (or the end of the
    // piece), sixteen bytes at a time where it can.
    void findStop(const std::array<bool, 256> &stops, unsigned char a, unsigned char b, unsigned char c)
    {
#if defined(__SSE2__)
        const __m128i va = _mm_set1_epi8(static_cast<char>(a));
        const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
        const __m128i vc = _mm_set1_epi8(static_cast<char>(c));
        while (m_end - m_p >= 16) {
            __m128i block;
            std::memcpy(&block, m_p, 16);
            const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, va), _mm_cmpeq_epi8(block, vb)),
                                              _mm_cmpeq_epi8(block, vc));
            const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
            if (mask != 0) {
                m_p += __builtin_ctz(mask);
                return;
            }
            m_p += 16;
        }
#else
        (void)a;
        (void)b;
        (void)c;
#endif
        while (m_p < m_end && !stops[*m_p])
            ++m_p;
    }
    // Takes `size` bytes of the value; `readable` bytes from `data` on may
    // be read (see utf8ToAnsi).
    void append(const unsigned char *data, std::size_t size, std::size_t readable);
    void append(unsigned char c)
    {
        append(&c, 1, 1);
    }
    template<typename Out>
    void convert(const unsigned char *data, std::size_t size, bool final, Out &out);
    bool spill(bool final);
    void spillArena();
    void endValue();
    void updateProgress();

    AnsiView cellText(const Cell &cell) const
    {
        return AnsiView(m_arena.data() + cell.offset, cell.length);
    }
    AnsiString makeName(int column) const;

    CDataTable &m_table;
    TextInput &m_input;
    const bool m_utf8;
    const unsigned char m_delimiter;
    const char m_decimal;
    const char m_group;
    ImportMemoSink &m_memos;
    ProgressBox *m_progress;
    const qint64 m_total;
    const int m_recordLimit;
    std::array<bool, 256> m_stopUnquoted{};
    std::array<bool, 256> m_stopQuoted{};
    const unsigned char *m_p = nullptr;
    const unsigned char *m_end = nullptr;

    ImportLosses m_losses;
    ConversionCounts m_counts;
    bool m_memoFailed = false;
    long long m_line = 1;
    long long m_unclosedQuoteLine = 0;

    // The value being read: its bytes as in the file, and where they go.
    std::vector<unsigned char> m_raw;
    enum class Target { Keep, Header, Drop } m_target = Target::Keep;
    bool m_spilled = false;       // the value is being written as a memo text
    bool m_droppedData = false;   // a dropped value held more than blanks
    bool m_headerCut = false;     // a header value longer than any name needs
    bool m_quotedBreak = false;   // the value holds a CR or LF
    std::size_t m_valueStart = 0; // where the value begins in m_arena
    AnsiString m_scratch;

    // The record being read.
    int m_valueIndex = 0;
    int m_lines = 1;

    // The header's names and the records' values.
    bool m_haveHeader = false;
    std::vector<AnsiString> m_names;
    TextArena m_arena;
    std::vector<Cell> m_cells;
    std::vector<std::uint32_t> m_recordEnds; // end of each record in m_cells
    std::vector<std::uint8_t> m_heights;
    int m_width = 0; // the most values a record (or the header) has
};

bool CsvReader::run()
{
    if (m_progress) {
        m_progress->setCaption(ids::kCaptionReadingCsv);
        m_progress->setRange(0, int(std::min<qint64>(m_total / 1000, INT_MAX)));
    }
    while (!m_memoFailed) {
        if (m_haveHeader && int(m_recordEnds.size()) >= m_recordLimit) {
            // The table is full; the user hears of it when more follows.
            if (readRecord())
                m_losses.Add(QStringLiteral("Datensätze nach dem %1.").arg(m_recordLimit));
            break;
        }
        if (!readRecord())
            break;
    }
    if (m_progress)
        m_progress->setPos(int(std::min<qint64>(m_total / 1000, INT_MAX)));
    return !m_memoFailed && m_memos.Finish();
}

bool CsvReader::readRecord()
{
    // Blank lines hold no values; a line of delimiters is a record of empty
    // values.
    for (;;) {
        if (!more())
            return false;
        if (*m_p == '\n') {
            ++m_p;
            ++m_line;
        } else if (*m_p == '\r') {
            ++m_p;
            if (more() && *m_p == '\n')
                ++m_p;
            ++m_line;
        } else {
            break;
        }
    }
    const bool full = m_haveHeader && int(m_recordEnds.size()) >= m_recordLimit;
    m_valueIndex = 0;
    m_lines = 1;
    Ending ending;
    do {
        m_target = full                        ? Target::Drop
                   : !m_haveHeader             ? Target::Header
                   : m_valueIndex < kMaxFields ? Target::Keep
                                               : Target::Drop;
        ending = readValue();
    } while (ending == Ending::Field && !m_memoFailed);
    if (full)
        return true;
    m_width = std::max(m_width, std::min(m_valueIndex, kMaxFields));
    if (!m_haveHeader) {
        m_haveHeader = true;
    } else {
        m_recordEnds.push_back(std::uint32_t(m_cells.size()));
        m_heights.push_back(std::uint8_t(std::min(m_lines, kMaxRowHeight)));
    }
    if (m_droppedData) {
        m_losses.Add(QStringLiteral("Werte nach dem %1. Feld").arg(kMaxFields));
        m_droppedData = false;
    }
    return true;
}

CsvReader::Ending CsvReader::readValue()
{
    m_raw.clear();
    m_valueStart = m_arena.size();
    m_spilled = false;
    m_headerCut = false;
    m_quotedBreak = false;
    if (more() && *m_p == kQuote) {
        ++m_p;
        const long long openedOn = m_line;
        for (;;) {
            takeRun(m_stopQuoted, kQuote, '\r', '\n');
            if (!more()) {
                // The quote is never closed: the rest of the file is this
                // value, as other readers take it; the user is told.
                m_unclosedQuoteLine = openedOn;
                endValue();
                return Ending::File;
            }
            const unsigned char c = *m_p++;
            if (c == kQuote) {
                if (more() && *m_p == kQuote) {
                    ++m_p;
                    append(kQuote);
                    continue;
                }
                break; // closed; what follows up to the delimiter is kept
            }
            append(c);
            m_quotedBreak = true;
            if (c == '\n' || (c == '\r' && !(more() && *m_p == '\n')))
                ++m_line;
        }
    }
    for (;;) {
        takeRun(m_stopUnquoted, m_delimiter, '\r', '\n');
        if (!more()) {
            endValue();
            return Ending::File;
        }
        const unsigned char c = *m_p++;
        if (c == m_delimiter) {
            endValue();
            return Ending::Field;
        }
        if (c == '\r' && more() && *m_p == '\n')
            ++m_p;
        ++m_line;
        endValue();
        return Ending::Record;
    }
}

void CsvReader::append(const unsigned char *data, std::size_t size, std::size_t readable)
{
    switch (m_target) {
    case Target::Drop:
        if (!m_droppedData)
            m_droppedData = std::any_of(data, data + size, [](unsigned char c) { return c != ' '; });
        return;
    case Target::Header:
        if (m_raw.size() + size > kMaxHeaderBytes) {
            size = kMaxHeaderBytes - std::min(kMaxHeaderBytes, m_raw.size());
            m_headerCut = true;
        }
        break;
    case Target::Keep:
        if (m_spilled)
            break;
        // Straight into the arena; only a character that the piece cuts in
        // two waits in m_raw for the rest of it.
        if (m_raw.empty()) {
            const std::size_t used = m_utf8 ? utf8ToAnsi(data, size, readable, false, m_arena, m_counts)
                                            : ansiCopy(data, size, m_arena, m_counts);
            if (used < size)
                m_raw.assign(data + used, data + size);
        } else {
            m_raw.insert(m_raw.end(), data, data + size);
            convert(m_raw.data(), m_raw.size(), false, m_arena);
        }
        if (m_arena.size() - m_valueStart >= kSpillSize)
            spillArena();
        return;
    }
    m_raw.insert(m_raw.end(), data, data + size);
    if (m_target == Target::Keep && m_raw.size() >= kSpillSize)
        spill(false);
}

// The value has grown too long to be kept whole: what the arena holds of it
// starts its memo text.
void CsvReader::spillArena()
{
    if (m_memoFailed)
        return;
    if (!m_memos.Begin() || !m_memos.Write(m_arena.data() + m_valueStart, m_arena.size() - m_valueStart)) {
        m_memoFailed = true;
        return;
    }
    m_arena.cut(m_valueStart);
    m_spilled = true;
}

template<typename Out>
void CsvReader::convert(const unsigned char *data, std::size_t size, bool final, Out &out)
{
    const std::size_t used =
            m_utf8 ? utf8ToAnsi(data, size, size, final, out, m_counts) : ansiCopy(data, size, out, m_counts);
    if (used == m_raw.size())
        m_raw.clear();
    else
        m_raw.erase(m_raw.begin(), m_raw.begin() + std::ptrdiff_t(used));
}

// Writes what the value holds so far to its memo text, starting the text
// first; `final` ends it.
bool CsvReader::spill(bool final)
{
    if (m_memoFailed)
        return false;
    if (!m_spilled) {
        if (!m_memos.Begin()) {
            m_memoFailed = true;
            return false;
        }
        m_spilled = true;
    }
    m_scratch.clear();
    convert(m_raw.data(), m_raw.size(), final, m_scratch);
    if (!m_memos.Write(m_scratch.data(), m_scratch.size())) {
        m_memoFailed = true;
        return false;
    }
    return true;
}

void CsvReader::endValue()
{
    ++m_valueIndex;
    switch (m_target) {
    case Target::Drop:
        m_raw.clear();
        return;
    case Target::Header: {
        // A character cut in two where the name was cut is no loss: the
        // name keeps far fewer characters.
        const long long replaced = m_counts.replaced;
        AnsiString name;
        convert(m_raw.data(), m_raw.size(), true, name);
        if (m_headerCut)
            m_counts.replaced = replaced;
        m_headerCut = false;
        m_names.push_back(std::move(name));
        return;
    }
    case Target::Keep:
        break;
    }

    Cell cell;
    cell.offset = std::uint32_t(m_valueStart);
    if (!m_spilled) {
        if (!m_raw.empty())
            convert(m_raw.data(), m_raw.size(), true, m_arena);
        AnsiView text(m_arena.data() + cell.offset, m_arena.size() - cell.offset);
        if (!text.empty() && text.back() == ' ')
            text = TrimTrailingBlanks(text);
        if (text.size() <= kMaxValueLength) {
            m_arena.cut(cell.offset + text.size());
            cell.length = std::uint16_t(text.size());
            // Only a quoted value can hold a line break.
            if (m_quotedBreak) {
                int lines = 1;
                for (std::size_t i = 0; i < text.size(); ++i) {
                    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
                        ++lines;
                }
                m_lines = std::max(m_lines, lines);
            }
            m_cells.push_back(cell);
            return;
        }
        // Too long for a value: the whole text becomes a memo.
        if (!m_memos.Begin()) {
            m_memoFailed = true;
            return;
        }
        const AnsiView whole(m_arena.data() + cell.offset, m_arena.size() - cell.offset);
        if (!m_memos.Write(whole.data(), whole.size())) {
            m_memoFailed = true;
            return;
        }
        m_arena.cut(cell.offset);
        m_spilled = true;
    } else if (!spill(true)) {
        return;
    }
    const AnsiString reference = m_memos.End();
    m_spilled = false;
    if (reference.empty()) {
        m_memoFailed = true;
        return;
    }
    m_arena.append(reference.data(), reference.size());
    cell.length = std::uint16_t(reference.size());
    cell.memo = true;
    m_cells.push_back(cell);
}

// What one value tells about its column. Memo references say nothing but
// that the column holds memos.
void NoteFacts(ColumnFacts &facts, AnsiView value, bool memo, char decimal, char group, CsvNumber &number,
               CsvDate &date)
{
    if (memo) {
        facts.memo = true;
        facts.numeric = facts.date = false;
        ++facts.filled;
        return;
    }
    if (value.empty())
        return;
    ++facts.filled;
    facts.longest = std::max(facts.longest, value.size());
    if (facts.numeric) {
        if (ParseCsvNumber(value, decimal, group, number))
            facts.decimals = std::max(facts.decimals, number.decimals);
        else
            facts.numeric = false;
    }
    if (facts.date) {
        if (ParseCsvDate(value, date))
            facts.onlyTwoDigitYears = facts.onlyTwoDigitYears && date.twoDigitYear;
        else
            facts.date = false;
    }
}

// The facts of two stretches of a column together.
void MergeFacts(ColumnFacts &into, const ColumnFacts &from)
{
    into.numeric = into.numeric && from.numeric;
    into.date = into.date && from.date;
    into.memo = into.memo || from.memo;
    into.onlyTwoDigitYears = into.onlyTwoDigitYears && from.onlyTwoDigitYears;
    into.filled += from.filled;
    into.decimals = std::max(into.decimals, from.decimals);
    into.longest = std::max(into.longest, from.longest);
}

void CsvReader::updateProgress()
{
    if (m_progress)
        m_progress->setPos(int(std::min<qint64>(m_input.position() / 1000, INT_MAX)));
}

// The name of a column: the header's text (without blanks around it, cut to
// 32 characters), "Feld N" where it is empty; an "&" stays an "&" (it would
// otherwise mark a mnemonic).
AnsiString CsvReader::makeName(int column) const
{
    AnsiView text = column < int(m_names.size()) ? AnsiView(m_names[std::size_t(column)]) : AnsiView();
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    AnsiString name(text.substr(0, kMaxCsvNameLength));
    for (char &c : name) {
        // Line breaks in a header make no name.
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    }
    if (TrimTrailingBlanks(name).empty())
        name = "Feld " + std::to_string(column + 1);
    return name;
}

AnsiString escapeMnemonic(AnsiView plain)
{
    AnsiString name;
    for (char c : plain) {
        name.push_back(c);
        if (c == '&')
            name.push_back('&');
    }
    return name;
}

bool CsvReader::buildTable(int splitParts)
{
    const int n = m_width;
    // Field names, unique regardless of case so that "Einfügen aus..." can
    // tell the fields apart: a repeated name gets " 2", " 3", ...
    std::vector<AnsiString> names;
    for (int k = 0; k < n; ++k) {
        const AnsiString base = makeName(k);
        AnsiString name = base;
        for (int suffix = 2;; ++suffix) {
            const bool taken = std::any_of(names.begin(), names.end(),
                                           [&](const AnsiString &other) { return lstrcmpiA(other, name) == 0; });
            if (!taken)
                break;
            const AnsiString tail = " " + std::to_string(suffix);
            name = base.substr(0, kMaxCsvNameLength - tail.size()) + tail;
        }
        names.push_back(name);
    }

    // The records are split into consecutive ranges worked on at once:
    // first what each column's values have in common, then (with the types
    // known) the table's records. Both read only the cells.
    const std::size_t recordCount = m_recordEnds.size();
    const int parts = splitParts > 0
                              ? std::max(1, std::min<int>(splitParts, int(std::max<std::size_t>(recordCount, 1))))
                              : WorkSplitParts(recordCount);
    auto cellsOf = [&](std::size_t r) {
        return std::pair<std::uint32_t, std::uint32_t>(r == 0 ? 0 : m_recordEnds[r - 1], m_recordEnds[r]);
    };
    std::vector<std::array<ColumnFacts, kMaxFields>> partFacts(static_cast<std::size_t>(parts));
    RunWorkSplit(recordCount, parts, [&](int part, std::size_t begin, std::size_t end) {
        std::array<ColumnFacts, kMaxFields> &facts = partFacts[std::size_t(part)];
        CsvNumber number;
        CsvDate date;
        for (std::size_t r = begin; r < end; ++r) {
            const auto [first, last] = cellsOf(r);
            for (std::uint32_t i = first; i < last; ++i) {
                const Cell &cell = m_cells[i];
                NoteFacts(facts[i - first], cellText(cell), cell.memo, m_decimal, m_group, number, date);
            }
        }
    });
    std::array<ColumnFacts, kMaxFields> columnFacts = partFacts[0];
    for (int part = 1; part < parts; ++part) {
        for (int k = 0; k < kMaxFields; ++k)
            MergeFacts(columnFacts[std::size_t(k)], partFacts[std::size_t(part)][std::size_t(k)]);
    }

    std::array<int, kMaxFields> types{};
    bool shortMemos = false;
    for (int k = 0; k < n; ++k) {
        const ColumnFacts &facts = columnFacts[std::size_t(k)];
        m_table.SetFieldName(escapeMnemonic(names[std::size_t(k)]), k);
        int type = FT_TEXT;
        if (facts.memo)
            type = FT_MEMO;
        else if (facts.filled > 0 && facts.numeric)
            type = FT_NUMERIC;
        else if (facts.filled > 0 && facts.date)
            type = FT_DATE;
        types[std::size_t(k)] = type;
        if (type != FT_TEXT)
            m_table.SetFieldType(type, k);
        if (type == FT_NUMERIC)
            m_table.SetFieldFormat(facts.decimals, k);
        else if (type == FT_DATE)
            m_table.SetFieldFormat(facts.onlyTwoDigitYears ? 1 : 2, k);
        if (type == FT_MEMO) {
            m_table.SetPrintFlag(0, k);
            shortMemos = shortMemos || facts.filled > 0;
        } else {
            // Wide enough for the name and the longest value, within reason.
            const std::size_t wanted = std::max(names[std::size_t(k)].size(), facts.longest) + 1;
            m_table.SetColumnWidth(int(std::clamp<std::size_t>(wanted, 6, 40)), k);
        }
    }

    // A short text of a memo column becomes a memo like the long ones, in
    // the order of the file; its cell then holds the memo's reference.
    if (shortMemos) {
        for (std::size_t r = 0; r < recordCount; ++r) {
            const auto [first, last] = cellsOf(r);
            for (std::uint32_t i = first; i < last; ++i) {
                Cell &cell = m_cells[i];
                if (types[i - first] != FT_MEMO || cell.memo || cell.length == 0)
                    continue;
                if (!m_memos.Begin() || !m_memos.Write(m_arena.data() + cell.offset, cell.length))
                    return false;
                const AnsiString reference = m_memos.End();
                if (reference.empty() || m_arena.size() > UINT32_MAX - reference.size())
                    return false;
                cell.offset = std::uint32_t(m_arena.size());
                cell.length = std::uint16_t(reference.size());
                cell.memo = true;
                m_arena.append(reference.data(), reference.size());
            }
        }
    }

    const auto now = static_cast<std::uint32_t>(Clock::NowUtcSeconds());
    std::vector<std::vector<std::unique_ptr<CDataRecord>>> partRecords(static_cast<std::size_t>(parts));
    RunWorkSplit(recordCount, parts, [&](int part, std::size_t begin, std::size_t end) {
        std::vector<std::unique_ptr<CDataRecord>> &records = partRecords[std::size_t(part)];
        records.reserve(end - begin);
        // The buffers come from chunks of huge pages: a thread's own heap
        // would fault its memory in 4 KiB at a time.
        std::optional<RecordBufferPool> pool;
        if (recordCount >= RecordBufferPool::kWorthwhileRecords)
            pool.emplace();
        CsvNumber number;
        CsvDate date;
        std::array<AnsiString, kMaxFields> converted;
        for (std::size_t r = begin; r < end; ++r) {
            const auto [first, last] = cellsOf(r);
            AnsiView values[kMaxFields];
            for (std::uint32_t i = first; i < last; ++i) {
                const std::size_t k = i - first;
                const AnsiView text = cellText(m_cells[i]);
                switch (types[k]) {
                case FT_NUMERIC:
                    if (!text.empty() && ParseCsvNumber(text, m_decimal, m_group, number)) {
                        converted[k] = number.stored;
                        values[k] = converted[k];
                    }
                    break;
                case FT_DATE:
                    if (!text.empty() && ParseCsvDate(text, date)) {
                        converted[k] = date.stored;
                        values[k] = converted[k];
                    }
                    break;
                default:
                    values[k] = text;
                    break;
                }
            }
            auto record = m_table.CreateRecord(values, n, false, nullptr, pool ? &*pool : nullptr);
            record->SetModificationTime(now);
            record->SetRowHeight(m_heights[r]);
            records.push_back(std::move(record));
        }
    });
    for (std::vector<std::unique_ptr<CDataRecord>> &records : partRecords)
        m_table.InsertRecords(-1, records);
    return m_memos.Finish();
}

Encoding detectBom(const unsigned char *head, std::size_t size, std::size_t &bomLength)
{
    auto starts = [&](std::initializer_list<unsigned char> bytes) {
        return size >= bytes.size() && std::equal(bytes.begin(), bytes.end(), head);
    };
    if (starts({0xFF, 0xFE, 0x00, 0x00})) {
        bomLength = 4;
        return Encoding::Utf32Le;
    }
    if (starts({0x00, 0x00, 0xFE, 0xFF})) {
        bomLength = 4;
        return Encoding::Utf32Be;
    }
    if (starts({0xFF, 0xFE})) {
        bomLength = 2;
        return Encoding::Utf16Le;
    }
    if (starts({0xFE, 0xFF})) {
        bomLength = 2;
        return Encoding::Utf16Be;
    }
    if (starts({0xEF, 0xBB, 0xBF})) {
        bomLength = 3;
        return Encoding::Utf8;
    }
    bomLength = 0;
    return Encoding::Windows1252; // no mark: the caller decides
}

int readCsv(CDataTable &table, QIODevice &device, const CsvOptions &options, ImportMemoSink &memos,
            ProgressBox *progress, CsvImportInfo *info, int recordLimit, int splitParts)
{
    const qint64 start = device.pos();
    const qint64 total = device.size();
    unsigned char head[4] = {};
    const qint64 got = device.peek(reinterpret_cast<char *>(head), 4);
    if (got < 0)
        return 0;
    std::size_t bomLength = 0;
    Encoding encoding = detectBom(head, std::size_t(got), bomLength);
    if (bomLength == 0) {
        if (options.encoding == CsvEncoding::Windows1252) {
            encoding = Encoding::Windows1252;
        } else {
            // UTF-8 unless some byte says otherwise; then the file was
            // written in the Windows code page.
            bool readFailed = false;
            const bool valid = IsValidUtf8(device, readFailed);
            if (readFailed || !device.seek(start))
                return 0;
            encoding = valid ? Encoding::Utf8 : Encoding::Windows1252;
        }
    }
    if (bomLength > 0 && !device.seek(start + qint64(bomLength)))
        return 0;

    TextInput input(device, encoding);
    const unsigned char *first = nullptr;
    std::size_t firstSize = 0;
    const bool any = input.next(first, firstSize);
    if (input.failed())
        return 0;
    char delimiter = char(CsvDelimiterFromSetting(options.fieldDelimiter));
    if (delimiter == 0)
        delimiter = any ? DetectCsvDelimiter(reinterpret_cast<const char *>(first), std::min(firstSize, kSample),
                                             firstSize < kSample && device.atEnd())
                        : ',';

    auto reader = std::make_unique<CsvReader>(table, input, encoding != Encoding::Windows1252, delimiter, memos,
                                              progress, total, std::min(recordLimit, kMaxRecords));
    if (any)
        reader->start(first, firstSize);
    if (!reader->run() || input.failed() || !reader->buildTable(splitParts))
        return 0;

    const ConversionCounts &counts = reader->counts();
    ImportLosses losses = reader->losses();
    if (counts.replaced > 0)
        losses.Add(QStringLiteral("%1 Zeichen, die es im Windows-Zeichensatz nicht gibt (jeweils durch \"?\" ersetzt)")
                           .arg(counts.replaced));
    if (counts.nulBytes > 0)
        losses.Add(QStringLiteral("%1 Nullzeichen (Byte 0)").arg(counts.nulBytes));
    if (info) {
        info->delimiter = delimiter;
        info->encoding = encodingName(encoding);
        info->replaced = counts.replaced;
        info->nulBytes = counts.nulBytes;
        info->unclosedQuoteLine = reader->unclosedQuoteLine();
    }
    losses.Report();
    if (reader->unclosedQuoteLine() > 0)
        MessageBoxById(ids::kMsgCsvUnclosedQuote, MsgIcon::Exclamation, MsgButtons::Ok,
                       {QString::number(reader->unclosedQuoteLine())});
    return 1;
}

} // namespace

int ImportCsv(CDataTable &table, QIODevice &file, const CsvOptions &options, ImportMemoSink &memos,
              ProgressBox *progress, CsvImportInfo *info, int recordLimit, int splitParts)
{
    try {
        return readCsv(table, file, options, memos, progress, info, recordLimit, splitParts);
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

int ImportCsvBytes(CDataTable &table, const char *data, std::size_t size, const CsvOptions &options,
                   ImportMemoSink &memos, ProgressBox *progress, CsvImportInfo *info, int recordLimit, int splitParts)
{
    static const char nothing = 0;
    QByteArray bytes = QByteArray::fromRawData(data ? data : &nothing, data ? qsizetype(size) : 0);
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return 0;
    return ImportCsv(table, buffer, options, memos, progress, info, recordLimit, splitParts);
}

} // namespace orvel

#include "exchange/SdfImport.h"

#include "exchange/ImportLosses.h"
#include "platform/Clock.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/TableLimits.h"
#include "table/ValueFormat.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvel {

namespace {

// A value keeps its first 254 bytes; the rest of it is dropped.
constexpr std::size_t kMaxSdfValue = 254;
// The progress window follows the file in steps of 10000 bytes, counted in
// thousands of bytes.
constexpr std::size_t kProgressStep = 10000;
constexpr std::size_t kProgressUnit = 1000;
// A TAB is stored with eight blanks before it, so that the gap it made in
// the file still shows where a TAB is drawn as nothing.
constexpr std::size_t kTabBlanks = 8;

constexpr unsigned char kLf = '\n';
constexpr unsigned char kCr = '\r';
constexpr unsigned char kTab = '\t';
constexpr unsigned char kBlank = ' ';

// The four bytes that end a run of plain value bytes (some may be equal).
class StopBytes
{
public:
    StopBytes(unsigned char a, unsigned char b, unsigned char c, unsigned char d)
    {
        for (unsigned char byte : {a, b, c, d})
            m_member[byte] = true;
#if defined(__SSE2__)
        m_a = _mm_set1_epi8(static_cast<char>(a));
        m_b = _mm_set1_epi8(static_cast<char>(b));
        m_c = _mm_set1_epi8(static_cast<char>(c));
        m_d = _mm_set1_epi8(static_cast<char>(d));
#endif
    }

    // The first stop byte in [p, end), or end.
    const unsigned char *find(const unsigned char *p, const unsigned char *end) const
    {
        while (p < end && !m_member[*p])
            ++p;
        return p;
    }

#if defined(__SSE2__)
    // Bit i set: byte i of the block is a stop byte.
    unsigned match(__m128i block) const
    {
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, m_a), _mm_cmpeq_epi8(block, m_b)),
                                          _mm_or_si128(_mm_cmpeq_epi8(block, m_c), _mm_cmpeq_epi8(block, m_d)));
        return static_cast<unsigned>(_mm_movemask_epi8(hits));
    }
#endif

private:
    std::array<bool, 256> m_member{};
#if defined(__SSE2__)
    __m128i m_a, m_b, m_c, m_d;
#endif
};

bool hasNonBlank(const unsigned char *begin, const unsigned char *end)
{
    return std::any_of(begin, end, [](unsigned char c) { return c != kBlank; });
}

int progressUnits(std::size_t bytes)
{
    return static_cast<int>(std::min<std::size_t>(bytes / kProgressUnit, INT_MAX));
}

class SdfReader
{
public:
    // Reads `data`, then (when `file` is given) the rest of the file in
    // pieces; `total` is the length of it all, for the progress window.
    SdfReader(CDataTable &table, const unsigned char *data, std::size_t size, QIODevice *file, std::size_t total,
              std::size_t piece, int recordLimit, ExchangeCharSet charSet, ProgressBox *progress)
        : m_table(table)
        , m_recordLimit(recordLimit)
        , m_file(file)
        , m_piece(std::max<std::size_t>(piece, 1))
        , m_total(total)
        , m_chunk(data)
        , m_p(data)
        , m_end(data + size)
        , m_field(static_cast<unsigned char>(table.GetSdfFieldDelimiter()))
        , m_data(static_cast<unsigned char>(table.GetSdfDataDelimiter()))
        , m_map(charSet == ExchangeCharSet::Dos ? &OemToAnsiMap() : nullptr)
        , m_progress(progress)
        , m_now(static_cast<std::uint32_t>(Clock::NowUtcSeconds()))
        , m_stopUnquoted(m_field, kLf, kCr, kTab)
        , m_stopQuoted(m_data, kLf, kCr, kTab)
    {}

    void run();
    const ImportLosses &losses() const { return m_losses; }
    bool readFailed() const { return m_readFailed; }

private:
    enum class Ending { Field, Record };

    // True while there are bytes left; reads the next piece of the file when
    // the current one is used up.
    bool more() { return m_p < m_end || refill(); }
    bool refill();
    std::size_t position() const { return m_base + static_cast<std::size_t>(m_p - m_chunk); }

    void readRecord();
    Ending readUnquoted(char *slot, std::size_t &length);
    Ending readQuoted(char *slot, std::size_t &length);
    void copyRun(const StopBytes &stops, char *slot, std::size_t &length);
    bool copyRunInPiece(const StopBytes &stops, char *slot, std::size_t &length);
    Ending skipAfterQuote();
    void append(char *slot, std::size_t &length, const unsigned char *src, std::size_t n);
    void appendTab(char *slot, std::size_t &length);
    bool recordHoldsData() const;
    void makeFields(int count);
    void addRecord();
    void updateProgress();

    CDataTable &m_table;
    const int m_recordLimit;
    QIODevice *const m_file;
    const std::size_t m_piece;
    const std::size_t m_total;
    std::unique_ptr<unsigned char[]> m_buffer; // for the pieces of the file
    std::size_t m_base = 0;                    // file position of m_chunk
    const unsigned char *m_chunk;
    const unsigned char *m_p;
    const unsigned char *m_end;
    bool m_readFailed = false;
    const unsigned char m_field;
    const unsigned char m_data;
    const ByteMap *m_map; // null: the bytes are taken as they are
    ProgressBox *m_progress;
    const std::uint32_t m_now;
    const StopBytes m_stopUnquoted;
    const StopBytes m_stopQuoted;
    ImportLosses m_losses;

    // The record being read: its first 32 values, and a slot for reading the
    // ones after them, which are only looked at. Runs are copied sixteen
    // bytes at a time, which may write past the end of a value into the next
    // slot (not yet in use) or the padding after the last.
    char *slotText(int index) { return m_text + static_cast<std::size_t>(index) * kSlotSize; }
    const char *slotText(int index) const { return m_text + static_cast<std::size_t>(index) * kSlotSize; }
    static constexpr std::size_t kSlotSize = 256;
    static constexpr std::size_t kBlock = 16;
    static_assert(kSlotSize >= kMaxSdfValue, "a block written at the end of a slot must end in the next");
    char m_text[(kMaxFields + 1) * kSlotSize + kBlock];
    std::size_t m_lengths[kMaxFields] = {};
    bool m_cut[kMaxFields] = {};
    int m_count = 0;
    bool m_valueCut = false;
    bool m_overflow = false; // a non-empty value after the 32nd

    bool m_fieldsMade = false;
    int m_fieldCount = 0;
    std::size_t m_nextProgress = kProgressStep;
};

void SdfReader::run()
{
    if (m_progress) {
        m_progress->setCaption(ids::kCaptionReadingSdf);
        m_progress->setRange(0, progressUnits(m_total));
    }
    bool added = false;
    while (m_table.GetRecordCount() < m_recordLimit) {
        readRecord();
        // Only the end of the file ends a record before its first value. After
        // other records that is what is left of a last line of blanks or
        // delimiters, not a record; an empty file still gives its one record.
        if (m_count == 0 && added)
            break;
        addRecord();
        added = true;
        updateProgress();
        if (!more())
            break;
    }
    // The table is full: the rest of the file is not read in, and the user
    // hears of it if it holds anything.
    while (more()) {
        readRecord();
        if (recordHoldsData()) {
            m_losses.Add(QStringLiteral("Datensätze nach dem %1.").arg(m_recordLimit));
            break;
        }
    }
    if (m_progress)
        m_progress->setPos(progressUnits(m_total));
}

bool SdfReader::refill()
{
    if (!m_file || m_readFailed)
        return false;
    // A piece that stays in the cache while it is parsed: reading the file
    // like this costs less than mapping it, whose page faults would take
    // longer than the parsing. Nothing may point into the old piece after
    // this: its bytes are overwritten.
    if (!m_buffer)
        m_buffer = std::make_unique_for_overwrite<unsigned char[]>(m_piece);
    m_base = position();
    // A file is read as long as it was when it was opened: one that another
    // program keeps writing to must not keep the import going.
    std::size_t want = m_piece;
    if (!m_file->isSequential())
        want = std::min(want, m_total > m_base ? m_total - m_base : 0);
    if (want == 0)
        return false;
    const qint64 got = m_file->read(reinterpret_cast<char *>(m_buffer.get()), static_cast<qint64>(want));
    if (got < 0)
        m_readFailed = true;
    const std::size_t size = got > 0 ? static_cast<std::size_t>(got) : 0;
    m_chunk = m_buffer.get();
    m_p = m_chunk;
    m_end = m_chunk + size;
    return size > 0;
}

void SdfReader::readRecord()
{
    m_count = 0;
    m_overflow = false;
    for (;;) {
        // Before a value: delimiters and CRs are passed over (so empty
        // unquoted values vanish), and so are line feeds until the record has
        // its first value (blank lines vanish). A line feed after a value and
        // a field delimiter ends the record like any other line end.
        bool quoted = false;
        for (;;) {
            if (!more())
                return;
            const unsigned char c = *m_p;
            if (c == m_data) {
                ++m_p;
                quoted = true;
                break;
            }
            if (c == m_field || c == kCr) {
                ++m_p;
                continue;
            }
            if (c == kLf) {
                ++m_p;
                if (m_count == 0)
                    continue;
                return;
            }
            break;
        }

        const bool kept = m_count < kMaxFields;
        char *text = slotText(kept ? m_count : kMaxFields);
        std::size_t length = 0;
        m_valueCut = false;
        const Ending ending = quoted ? readQuoted(text, length) : readUnquoted(text, length);
        if (kept) {
            m_lengths[m_count] = length;
            m_cut[m_count] = m_valueCut;
            ++m_count;
        } else if (!TrimTrailingBlanks(AnsiView(text, length)).empty()) {
            m_overflow = true;
        }
        if (ending == Ending::Record)
            return;
    }
}

SdfReader::Ending SdfReader::readUnquoted(char *slot, std::size_t &length)
{
    for (;;) {
        copyRun(m_stopUnquoted, slot, length);
        if (m_p == m_end)
            return Ending::Record; // copyRun found the end of the file
        const unsigned char c = *m_p++;
        if (c == kLf)
            return Ending::Record;
        if (c == m_field)
            return Ending::Field;
        if (c == kCr)
            continue;
        appendTab(slot, length);
    }
}

SdfReader::Ending SdfReader::readQuoted(char *slot, std::size_t &length)
{
    for (;;) {
        copyRun(m_stopQuoted, slot, length);
        if (m_p == m_end)
            return Ending::Record; // copyRun found the end of the file
        // A copy: looking for the byte after it may read the next piece over
        // this one.
        const unsigned char c = *m_p++;
        if (c == m_data) {
            // A doubled delimiter stands for itself; a single one closes.
            if (more() && *m_p == m_data) {
                ++m_p;
                append(slot, length, &m_data, 1);
                continue;
            }
            return skipAfterQuote();
        }
        // A quoted value does not reach past its line.
        if (c == kLf)
            return Ending::Record;
        if (c == kCr)
            continue;
        appendTab(slot, length);
    }
}

SdfReader::Ending SdfReader::skipAfterQuote()
{
    while (more()) {
        const unsigned char c = *m_p++;
        if (c == kLf)
            return Ending::Record;
        if (c == m_field)
            return Ending::Field;
    }
    return Ending::Record;
}

// Copies value bytes up to the next stop byte (or the end) and leaves m_p
// there. Sixteen bytes are looked at, copied and (for DOS) converted at a
// time; values are short, so most of them take one step.
void SdfReader::copyRun(const StopBytes &stops, char *slot, std::size_t &length)
{
    for (;;) {
        if (copyRunInPiece(stops, slot, length) || !refill())
            return;
    }
}

// The part of copyRun within the current piece: true when it stopped at a
// stop byte, false at the end of the piece.
bool SdfReader::copyRunInPiece(const StopBytes &stops, char *slot, std::size_t &length)
{
#if defined(__SSE2__)
    while (static_cast<std::size_t>(m_end - m_p) >= kBlock) {
        __m128i block;
        std::memcpy(&block, m_p, kBlock);
        const unsigned stopMask = stops.match(block);
        const unsigned n = stopMask != 0 ? static_cast<unsigned>(__builtin_ctz(stopMask)) : kBlock;
        if (length + n <= kMaxSdfValue) {
            char *out = slot + length;
            std::memcpy(out, &block, kBlock);
            if (m_map) {
                // Only bytes above ASCII differ between the code pages.
                unsigned high = static_cast<unsigned>(_mm_movemask_epi8(block)) & ((1u << n) - 1u);
                for (; high != 0; high &= high - 1u) {
                    const auto i = static_cast<unsigned>(__builtin_ctz(high));
                    out[i] = static_cast<char>((*m_map)[m_p[i]]);
                }
            }
            length += n;
        } else {
            append(slot, length, m_p, n);
        }
        m_p += n;
        if (stopMask != 0)
            return true;
    }
#endif
    const unsigned char *run = m_p;
    m_p = stops.find(m_p, m_end);
    append(slot, length, run, static_cast<std::size_t>(m_p - run));
    return m_p < m_end;
}

void SdfReader::append(char *slot, std::size_t &length, const unsigned char *src, std::size_t n)
{
    const std::size_t take = std::min(n, kMaxSdfValue - length);
    if (m_map) {
        const ByteMap &map = *m_map;
        char *out = slot + length;
        std::size_t k = 0;
        // Both code pages agree on ASCII: runs of it are copied as they are,
        // eight bytes at a time.
        for (; k + 8 <= take; k += 8) {
            std::uint64_t word;
            std::memcpy(&word, src + k, sizeof(word));
            if (word & 0x8080808080808080u)
                break;
            std::memcpy(out + k, &word, sizeof(word));
        }
        for (; k < take; ++k)
            out[k] = static_cast<char>(map[src[k]]);
    } else if (take > 0) {
        std::memcpy(slot + length, src, take);
    }
    length += take;
    // Blanks past the end would have been trimmed anyway: losing them loses
    // nothing.
    if (take < n && !m_valueCut)
        m_valueCut = hasNonBlank(src + take, src + n);
}

void SdfReader::appendTab(char *slot, std::size_t &length)
{
    if (kMaxSdfValue - length >= kTabBlanks) {
        std::memset(slot + length, kBlank, kTabBlanks);
        length += kTabBlanks;
    }
    append(slot, length, &kTab, 1);
}

bool SdfReader::recordHoldsData() const
{
    if (m_overflow)
        return true;
    for (int k = 0; k < m_count; ++k) {
        if (!TrimTrailingBlanks(AnsiView(slotText(k), m_lengths[k])).empty())
            return true;
    }
    return false;
}

void SdfReader::makeFields(int count)
{
    for (int k = 1; k <= count; ++k) {
        char name[8];
        char *end = std::to_chars(name, name + sizeof(name) - 1, k).ptr;
        *end++ = '.';
        m_table.SetFieldName(AnsiView(name, static_cast<std::size_t>(end - name)), k - 1);
    }
    m_fieldCount = count;
    m_fieldsMade = true;
}

void SdfReader::addRecord()
{
    // The first record with values decides how many fields there are.
    if (!m_fieldsMade && m_count > 0)
        makeFields(m_count);

    const int n = m_fieldCount;
    AnsiView values[kMaxFields];
    for (int k = 0; k < n; ++k) {
        if (k < m_count) {
            values[k] = AnsiView(slotText(k), m_lengths[k]);
            if (m_cut[k])
                m_losses.Add(QStringLiteral("Zeichen nach dem %1. Zeichen eines Werts").arg(kMaxSdfValue));
        }
    }
    for (int k = n; k < m_count; ++k) {
        if (!TrimTrailingBlanks(AnsiView(slotText(k), m_lengths[k])).empty()) {
            m_losses.Add(QStringLiteral("Werte nach dem %1. Feld (so viele Werte hat der erste Datensatz)").arg(n));
            break;
        }
    }
    if (m_overflow)
        m_losses.Add(QStringLiteral("Werte nach dem %1. Feld").arg(kMaxFields));

    auto record = m_table.CreateRecord(values, n, false);
    record->SetModificationTime(m_now);
    m_table.AddRecord(std::move(record));
}

void SdfReader::updateProgress()
{
    const std::size_t done = position();
    if (!m_progress || done < m_nextProgress)
        return;
    const std::size_t mark = done / kProgressStep * kProgressStep;
    m_progress->setPos(progressUnits(mark));
    m_nextProgress = mark + kProgressStep;
}

int readSdf(CDataTable &table, const char *data, std::size_t size, QIODevice *file, std::size_t total,
            std::size_t piece, int recordLimit, ExchangeCharSet charSet, ProgressBox *progress)
{
    static const char nothing = 0;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data ? data : &nothing);
    try {
        auto reader = std::make_unique<SdfReader>(table, bytes, data ? size : 0, file, total, piece,
                                                  std::min(recordLimit, kMaxRecords), charSet, progress);
        reader->run();
        if (reader->readFailed())
            return 0;
        reader->losses().Report();
    } catch (const std::bad_alloc &) {
        return 0;
    }
    return 1;
}

} // namespace

int ImportSdfBytes(CDataTable &table, const char *data, std::size_t size, ExchangeCharSet charSet,
                   ProgressBox *progress, int recordLimit)
{
    return readSdf(table, data, size, nullptr, data ? size : 0, kSdfReadPiece, recordLimit, charSet, progress);
}

int ImportSdf(CDataTable &table, const QString &path, ExchangeCharSet charSet, ProgressBox *progress,
              std::size_t pieceBytes)
{
    // Unbuffered: the reader takes the file in pieces of its own.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return 0;
    const qint64 size = file.size();
    return readSdf(table, nullptr, 0, &file, size > 0 ? static_cast<std::size_t>(size) : 0, pieceBytes, kMaxRecords,
                   charSet, progress);
}

} // namespace orvel

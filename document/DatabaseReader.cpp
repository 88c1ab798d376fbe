#include "document/DatabaseReader.h"

#include "document/DatabaseHeader.h"
#include "form/FormObjects.h"
#include "platform/Archive.h"
#include "platform/ByteOrder.h"
#include "platform/ByteSource.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "platform/WorkSplit.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/PathHelpers.h"
#include "table/RecordBufferPool.h"
#include "table/TableLimits.h"

#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace orvel {

namespace {

using namespace dbfile;

// Reads counted texts from bytes held in memory. A failed check makes the
// whole read fail.
class ByteCursor
{
public:
    explicit ByteCursor(QByteArrayView bytes)
        : m_data(reinterpret_cast<const uint8_t *>(bytes.data()))
        , m_size(std::size_t(bytes.size()))
    {}

    std::size_t pos() const { return m_pos; }
    void skip(std::size_t n) { m_pos += n; }

    // A u16 length of at most 255 and that many bytes.
    bool counted(AnsiView &text)
    {
        if (m_size - m_pos < 2)
            return false;
        const uint16_t length = ReadLe16(m_data + m_pos);
        m_pos += 2;
        if (length > kMaxValueLength || m_size - m_pos < length)
            return false;
        text = AnsiView(reinterpret_cast<const char *>(m_data + m_pos), length);
        m_pos += length;
        return true;
    }

private:
    const uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// A window that slides over the file: the records are read through it, so
// the file is never held whole (a 16 MB file would cost as much again in
// memory, and fresh pages cost more than the copy). A record's values are
// views into the window: a record is read from bytes asked for at once, and
// only the next request may move them.
class FileWindow
{
public:
    FileWindow(ByteSource &source, std::size_t chunk)
        : m_source(source)
        , m_size(source.size())
        , m_chunk(std::max<std::size_t>(chunk, 1))
    {}

    std::size_t size() const { return m_size; }
    // The file offset of the next byte.
    std::size_t pos() const { return m_start + m_cur; }

    // Moves to a file offset; false beyond the end.
    bool seek(std::size_t offset)
    {
        if (offset > m_size)
            return false;
        if (offset >= m_start && offset <= m_start + m_end) {
            m_cur = offset - m_start;
        } else {
            m_start = offset;
            m_cur = m_end = 0;
        }
        return true;
    }

    // The next n bytes, or null when the file ends before them or cannot be
    // read. The pointer holds until the next call of need().
    const uint8_t *need(std::size_t n)
    {
        if (m_end - m_cur < n && !fill(n))
            return nullptr;
        return m_buffer.get() + m_cur;
    }
    void advance(std::size_t n) { m_cur += n; }

    // Bytes [offset, offset + n) whole, into memory of their own.
    bool readRange(std::size_t offset, std::size_t n, QByteArray &out)
    {
        if (offset > m_size || n > m_size - offset)
            return false;
        out.resize(qsizetype(n));
        return m_source.readAt(offset, reinterpret_cast<uint8_t *>(out.data()), n) == n;
    }

private:
    bool fill(std::size_t n)
    {
        // Everything before the current position goes; the rest moves to
        // the front.
        const std::size_t keep = m_cur;
        if (m_end > keep)
            std::memmove(m_buffer.get(), m_buffer.get() + keep, m_end - keep);
        m_start += keep;
        m_end -= keep;
        m_cur -= keep;

        const std::size_t left = m_size - (m_start + m_end);
        const std::size_t missing = n - (m_end - m_cur);
        if (missing > left)
            return false;
        const std::size_t want = std::min(std::max(m_chunk, missing), left);
        reserve(m_end + want);
        m_end += m_source.readAt(m_start + m_end, m_buffer.get() + m_end, want);
        return m_end - m_cur >= n;
    }

    // Grows the buffer to hold `n` bytes, keeping what it holds. The window
    // grows beyond its chunk only for a request larger than the chunk.
    void reserve(std::size_t n)
    {
        if (n <= m_capacity)
            return;
        const std::size_t capacity = std::max(n, m_chunk);
        auto buffer = std::make_unique_for_overwrite<uint8_t[]>(capacity);
        if (m_end > 0)
            std::memcpy(buffer.get(), m_buffer.get(), m_end);
        m_buffer = std::move(buffer);
        m_capacity = capacity;
    }

    ByteSource &m_source;
    std::size_t m_size;
    std::size_t m_chunk;
    std::unique_ptr<uint8_t[]> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_start = 0; // file offset of the buffer's first byte
    std::size_t m_cur = 0;
    std::size_t m_end = 0;
};

class Reader
{
public:
    Reader(QIODevice &file, const FormFileContext &context, DatabaseContents into, ProgressBox *progress,
           std::size_t window, int parts, const DatabaseReadSelection &selection)
        : m_source(file)
        , m_in(m_source, window)
        , m_window(window)
        , m_parts(parts)
        , m_fields(selection.fields)
        , m_filter(selection.filter)
        , m_context(context)
        , m_into(into)
        , m_progress(progress)
    {}

    DatabaseReadResult run();

private:
    bool checkLimits() const;
    bool readPreamble();
    bool readRecords();

    ByteSource m_source;
    FileWindow m_in;
    std::size_t m_window;
    int m_parts;
    uint32_t m_fields;
    RecordFilter *m_filter;
    const FormFileContext &m_context;
    DatabaseContents m_into;
    ProgressBox *m_progress;
    DatabaseHeader m_header;
    uint16_t m_version = 0;
    DatabaseReadResult m_result;
};

DatabaseReadResult Reader::run()
{
    const std::size_t head = std::min(m_in.size(), kFixedPartSize);
    const uint8_t *bytes = m_in.need(head);
    if (!bytes)
        return m_result;
    if (head < kSignatureSize || std::memcmp(bytes, kSignature, kSignatureSize) != 0) {
        // Files of the first program version began with these words; they
        // deserve their own message rather than "damaged".
        if (head >= 5 && (std::memcmp(bytes, "Sorry", 5) == 0 || std::memcmp(bytes, "Orvel", 5) == 0))
            m_result.outcome = ReadOutcome::Version1;
        return m_result;
    }
    if (head < kFixedPartSize)
        return m_result;
    m_result.storedVersion = ReadLe16(bytes + kVersionOffset);

    uint16_t version = m_result.storedVersion;
    if (version == kVersionPlaceholder) {
        // A save that never finished: its form block cannot be trusted.
        version = kVersionOldest;
    } else if (version < kVersionOldest) {
        return m_result;
    } else if (version > kVersionCurrent) {
        m_result.newerVersion = true;
        version = kVersionCurrent;
    }
    m_version = version;
    m_result.needsDefaultForm = version == kVersionOldest;

    m_header = DatabaseHeader::Decode(bytes + kHeaderOffset, version >= kVersionWithForm);
    m_in.advance(kFixedPartSize);
    if (!checkLimits())
        return m_result;

    // Files before 0x055F have no paper fields: the defaults stay.
    const PageSettings defaults = m_into.page;
    m_into.page = m_header.page;
    if (version < kVersionWithForm) {
        m_into.page.orientation = defaults.orientation;
        m_into.page.paperSource = defaults.paperSource;
        m_into.page.paperSize = defaults.paperSize;
    }

    if (!readPreamble() || !readRecords())
        return m_result;
    m_result.outcome = ReadOutcome::Complete;
    return m_result;
}

bool Reader::checkLimits() const
{
    const DatabaseHeader &h = m_header;
    if (h.fieldCount > kMaxFields || h.recordCount > uint32_t(kMaxRecords) || h.blockSize == 0)
        return false;
    // Block j + 1 starts after the (blockSize + 1) records of block j; the
    // last jump may fall right after the last record.
    const uint32_t jumps = h.recordCount / (uint32_t(h.blockSize) + 1);
    return jumps < kMaxBlockPositions;
}

// Field names, form block and default values lie between the header and
// the first record.
bool Reader::readPreamble()
{
    const std::size_t first = m_header.blockPositions[0];
    QByteArray preamble;
    if (first < kFixedPartSize || !m_in.readRange(kFixedPartSize, first - kFixedPartSize, preamble))
        return false;
    ByteCursor in(preamble);

    CDataTable &table = m_into.table;
    for (int k = 0; k < m_header.fieldCount; ++k) {
        AnsiView name;
        if (!in.counted(name))
            return false;
        const int pos = table.InsertField(name);
        if (pos < 0)
            return false;
        const auto i = std::size_t(k);
        table.SetColumnWidth(m_header.widths[i], pos);
        // Media types narrow the column to 10 characters whatever the file
        // says. A type this program does not know leaves a text field.
        table.SetFieldType(m_header.types[i], pos);
        table.SetFieldFormat(m_header.formats[i], pos);
        table.SetPrintFlag(int((m_header.printMask >> k) & 1u), pos);
    }

    if (m_version >= kVersionWithForm) {
        try {
            CArchive ar(QByteArrayView(preamble).sliced(qsizetype(in.pos())));
            m_into.form.Load(ar, m_context);
            in.skip(ar.position());
        } catch (const ArchiveException &) {
            return false;
        }
    }

    if (m_version >= kVersionCurrent) {
        for (int k = 0; k < m_header.fieldCount; ++k) {
            AnsiView value;
            if (!in.counted(value))
                return false;
            table.SetDefaultValue(value, k);
        }
    }
    return m_in.seek(first);
}

bool Reader::readRecords()
{
    CDataTable &table = m_into.table;
    const int fields = m_header.fieldCount;
    const uint32_t count = m_header.recordCount;
    const uint32_t blockSize = m_header.blockSize;
    const uint32_t perBlock = blockSize + 1;
    // At most kMaxBlockPositions: checkLimits.
    const std::size_t blocks = (std::size_t(count) + perBlock - 1) / perBlock;
    if (count == 0)
        return true;

    // Linked pictures of fields with the relative-paths bit are stored
    // relative to the database's folder. Embedded pictures hold object
    // references, which are no paths and stay as they are.
    bool absolutePaths[kMaxFields] = {};
    AnsiString folder;
    if (!m_context.databasePath.isEmpty())
        folder = QStringToAnsi(QFileInfo(m_context.databasePath).absolutePath());
    for (int k = 0; k < fields; ++k) {
        absolutePaths[k] = !folder.empty() && table.GetFieldType(k) == FT_PICTURE
                           && (table.GetFieldFormat(k) & kRelativePathsFormatBit) != 0
                           && !m_into.form.IsPictureEmbedded(k);
    }
    const bool anyAbsolute = std::find(absolutePaths, absolutePaths + fields, true) != absolutePaths + fields;

    if (m_progress)
        m_progress->setRange(0, int(count & 0xFFFFu));

    // Each block starts at a position of its own, so ranges of blocks are
    // read at the same time where the file allows it, each through a window
    // of its own, and taken into the table in file order. A range checks
    // the jump to the block after it like every other jump, so the ranges
    // together refuse what reading them one after the other would refuse.
    int parts = m_parts > 0 ? m_parts : WorkSplitParts(count);
    if (!m_source.concurrent())
        parts = 1;
    parts = std::clamp(parts, 1, int(blocks));
    // What each range read: its records, with a filter their places in the
    // file, and whether it got through all its blocks.
    struct RangeRead
    {
        std::vector<std::unique_ptr<CDataRecord>> records;
        std::vector<int> kept;
        bool complete = false;
    };
    std::vector<RangeRead> ranges(static_cast<std::size_t>(parts));
    if (m_filter)
        m_filter->Prepare(table);

    auto readBlocks = [&](int part, std::size_t firstBlock, std::size_t endBlock) {
        FileWindow in(m_source, m_window);
        // Large tables take the records' buffers from chunks of huge pages.
        std::optional<RecordBufferPool> pool;
        if (count >= RecordBufferPool::kWorthwhileRecords)
            pool.emplace();
        if (!in.seek(m_header.blockPositions[firstBlock]))
            return;
        const uint32_t first = uint32_t(firstBlock) * perBlock;
        const uint32_t end = uint32_t(std::min<std::size_t>(endBlock * perBlock, count));
        RangeRead &range = ranges[std::size_t(part)];
        std::vector<std::unique_ptr<CDataRecord>> &records = range.records;
        if (!m_filter)
            records.reserve(end - first);
        AnsiString filterBuffer;

        const std::size_t largestRecord = LargestRecordSize(std::size_t(fields));
        uint32_t inBlock = 0;
        std::size_t block = firstBlock;
        AnsiString absolute[kMaxFields];
        AnsiView values[kMaxFields];
        for (uint32_t i = first; i < end; ++i) {
            // The largest a record can be is in the window at once (or the
            // rest of the file, when that is less): its values are located
            // with checks against the end of that, and no refill moves them
            // before they are copied.
            const std::size_t room = std::min(largestRecord, in.size() - in.pos());
            const uint8_t *const start = in.need(room);
            if (!start || room < kRecordPrefixSize)
                return;
            const uint8_t *const limit = start + room;
            const uint32_t modified = ReadLe32(start);
            const uint16_t height = ReadLe16(start + 4);
            const uint8_t *at = start + kRecordPrefixSize;
            for (int k = 0; k < fields; ++k) {
                if (limit - at < 2)
                    return;
                const uint16_t length = ReadLe16(at);
                at += 2;
                if (length > kMaxValueLength || std::size_t(limit - at) < length)
                    return;
                values[k] =
                        (m_fields >> k & 1u) != 0 ? AnsiView(reinterpret_cast<const char *>(at), length) : AnsiView();
                at += length;
            }
            in.advance(std::size_t(at - start));
            if (anyAbsolute) {
                for (int k = 0; k < fields; ++k) {
                    if (absolutePaths[k] && !values[k].empty()) {
                        absolute[k] = MakeAbsolutePath(values[k], folder);
                        values[k] = absolute[k];
                    }
                }
            }
            if (!m_filter || m_filter->Keep(values, fields, filterBuffer)) {
                auto record = table.CreateRecord(values, fields, false, nullptr, pool ? &*pool : nullptr);
                record->SetModificationTime(modified);
                record->SetRowHeight(height);
                records.push_back(std::move(record));
                if (m_filter)
                    range.kept.push_back(int(i));
            }

            if (++inBlock > blockSize) {
                // Records never lie in what was read already: blocks that
                // overlapped could make a small file expand into any number
                // of records.
                inBlock = 0;
                ++block; // below kMaxBlockPositions: checkLimits
                const uint32_t next = m_header.blockPositions[block];
                if (next < in.pos() || !in.seek(next))
                    return;
            }
            // Only the range read on this thread reports; the others move
            // as fast.
            if (part == 0 && m_progress && i % kReadProgressStep == 0)
                m_progress->setPos(int(std::min<uint32_t>(i * uint32_t(parts), count)));
        }
        range.complete = true;
    };

    try {
        RunWorkSplit(blocks, parts, readBlocks);
        for (RangeRead &range : ranges) {
            if (!range.complete)
                return false;
            // The records not taken (beyond the record limit) stay behind.
            table.InsertRecords(-1, range.records);
            if (!range.records.empty())
                return false;
            m_result.keptRecords.insert(m_result.keptRecords.end(), range.kept.begin(), range.kept.end());
        }
    } catch (const std::bad_alloc &) {
        MessageBoxById(ids::kMsgOutOfMemory, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace

DatabaseReadResult ReadDatabaseFile(QIODevice &file, const FormFileContext &formContext, DatabaseContents into,
                                    ProgressBox *progress, std::size_t window, int parts,
                                    const DatabaseReadSelection &selection)
{
    try {
        Reader reader(file, formContext, into, progress, window, parts, selection);
        return reader.run();
    } catch (const std::bad_alloc &) {
        return DatabaseReadResult();
    }
}

} // namespace orvel

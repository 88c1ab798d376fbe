#include "document/DatabaseWriter.h"

#include "document/DatabaseHeader.h"
#include "form/FormObjects.h"
#include "platform/Archive.h"
#include "platform/Codepage.h"
#include "platform/OrderedBlocks.h"
#include "platform/Services.h"
#include "platform/ShortCopy.h"
#include "platform/WorkSplit.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"
#include "table/PathHelpers.h"
#include "table/RecordStream.h"
#include "table/TableLimits.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include <unistd.h>

namespace orvel {

namespace {

using namespace dbfile;

// Streamed blocks that may wait, laid out, to be written (per thread).
constexpr int kStreamBlocksPerPart = 4;
constexpr std::size_t kLargestRecord = LargestRecordSize(kMaxFields);

// A record's prefix laid out at `out`; returns the end.
char *putPrefixAt(char *out, uint32_t modified, uint16_t height)
{
    const uint8_t prefix[kRecordPrefixSize] = {uint8_t(modified),       uint8_t(modified >> 8), uint8_t(modified >> 16),
                                               uint8_t(modified >> 24), uint8_t(height),        uint8_t(height >> 8)};
    std::memcpy(out, prefix, sizeof prefix);
    return out + sizeof prefix;
}

// A value, name or default value laid out at `out`: u16 length and the
// bytes. Returns the end.
char *putCountedAt(char *out, AnsiView text)
{
    out[0] = char(text.size() & 0xFF);
    out[1] = char(text.size() >> 8);
    CopyShort(out + 2, text.data(), text.size());
    return out + 2 + text.size();
}

// Collects small writes and hands them to the device in large pieces. The
// first refused write is remembered and everything after it is dropped.
class BufferedOutput
{
public:
    BufferedOutput(QIODevice &device, std::size_t capacity)
        : m_device(device)
        , m_capacity(std::max<std::size_t>(capacity, 1))
        , m_buffer(std::make_unique_for_overwrite<char[]>(m_capacity))
        , m_base(device.pos())
    {}

    bool failed() const { return m_error != 0; }
    int error() const { return m_error; }
    // The file offset of the next byte.
    std::size_t offset() const { return std::size_t(m_base) + m_used; }

    void put(const void *data, std::size_t size)
    {
        if (size > m_capacity - m_used) {
            flush();
            if (size > m_capacity) {
                writeThrough(static_cast<const char *>(data), size);
                return;
            }
        }
        std::memcpy(m_buffer.get() + m_used, data, size);
        m_used += size;
    }
    void putU16(uint16_t v)
    {
        const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        put(b, 2);
    }
    void putU32(uint32_t v)
    {
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        put(b, 4);
    }
    // A value, name or default value: u16 length and the bytes.
    void putCounted(AnsiView text)
    {
        if (m_capacity < 2 + text.size()) {
            putU16(uint16_t(text.size()));
            put(text.data(), text.size());
            return;
        }
        if (m_capacity - m_used < 2 + text.size())
            flush();
        m_used = std::size_t(putCountedAt(m_buffer.get() + m_used, text) - m_buffer.get());
    }

    // Writes what is buffered and then `size` bytes from `data`, without
    // copying them into the buffer.
    void putThrough(const char *data, std::size_t size)
    {
        flush();
        writeThrough(data, size);
    }

    // Hands the buffered bytes to the device, so that someone else may write
    // to it directly (the form block's archive).
    void flush()
    {
        if (m_used > 0)
            writeThrough(m_buffer.get(), m_used);
        m_used = 0;
    }
    // After someone else wrote to the device.
    void resync() { m_base = m_device.pos(); }

    void fail(int error)
    {
        if (m_error == 0)
            m_error = error != 0 ? error : EIO;
    }

private:
    void writeThrough(const char *data, std::size_t size)
    {
        if (failed()) {
            m_base += qint64(size);
            return;
        }
        errno = 0;
        const qint64 written = m_device.write(data, qint64(size));
        if (written != qint64(size))
            fail(errno);
        m_base += qint64(size);
    }

    QIODevice &m_device;
    std::size_t m_capacity;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    qint64 m_base = 0;
    int m_error = 0;
};

class Writer
{
public:
    Writer(QIODevice &out, const DatabaseWriteSource &source, const DatabaseWriteTarget &target, bool reorganize,
           ProgressBox *progress, DatabaseWriteResult &result, const DatabaseWriteBuffers &buffers)
        : m_device(out)
        , m_out(out, buffers.output)
        , m_source(source)
        , m_target(target)
        , m_reorganize(reorganize)
        , m_progress(progress)
        , m_result(result)
        , m_buffers(buffers)
    {}

    bool run()
    {
        const bool written = write();
        m_result.writeError = m_out.error();
        return written && !m_out.failed() && !m_result.recordsFailed;
    }

private:
    bool write();
    void buildHeader();
    void writeHeader(uint16_t version);
    bool writeForm();
    void writeRecords();
    void writeRecordsSplit(int parts, const int *columns, int descriptor);
    void writeStreamedRecords();
    void caption(int id)
    {
        if (m_progress)
            m_progress->setCaption(id);
    }

    QIODevice &m_device;
    BufferedOutput m_out;
    const DatabaseWriteSource &m_source;
    const DatabaseWriteTarget &m_target;
    bool m_reorganize;
    ProgressBox *m_progress;
    DatabaseWriteResult &m_result;
    const DatabaseWriteBuffers &m_buffers;
    DatabaseHeader m_header;
    qint64 m_start = 0;
};

bool Writer::write()
{
    m_start = m_device.pos();
    buildHeader();
    writeHeader(kVersionPlaceholder);

    CDataTable &table = m_source.table;
    const int fields = table.GetFieldCount();
    for (int k = 0; k < fields; ++k)
        m_out.putCounted(table.GetFieldName(k));

    if (!writeForm())
        return false;

    for (int k = 0; k < fields; ++k)
        m_out.putCounted(table.GetDefaultValue(k));

    m_header.blockPositions[0] = uint32_t(m_out.offset());
    if (table.GetRecordCount() > 0 || m_source.records)
        writeRecords();

    // The finished header replaces the placeholder.
    m_out.flush();
    if (m_out.failed())
        return false;
    if (!m_device.seek(m_start)) {
        m_out.fail(EIO);
        return false;
    }
    m_out.resync();
    writeHeader(kVersionCurrent);
    m_out.flush();
    return true;
}

void Writer::buildHeader()
{
    CDataTable &table = m_source.table;
    const int fields = table.GetFieldCount();
    m_header.recordCount = uint32_t(table.GetRecordCount());
    m_header.fieldCount = uint16_t(fields);
    m_header.printMask = 0;
    for (int k = 0; k < fields; ++k) {
        const auto i = std::size_t(k);
        int format = table.GetFieldFormat(k);
        // The option only ever switches the bit on: a field that was saved
        // with relative paths once keeps them.
        if (table.GetFieldType(k) == FT_PICTURE && m_source.relativePaths && (format & kRelativePathsFormatBit) == 0) {
            format |= kRelativePathsFormatBit;
            table.SetFieldFormat(format, k);
        }
        m_header.widths[i] = uint16_t(table.GetColumnWidth(k));
        m_header.types[i] = uint16_t(table.GetFieldType(k));
        m_header.formats[i] = uint16_t(format);
        if (table.GetPrintFlag(k) != 0)
            m_header.printMask |= 1u << k;
    }
    m_header.page = m_source.page;
    m_header.blockSize = kWrittenBlockSize;
}

void Writer::writeHeader(uint16_t version)
{
    uint8_t block[kHeaderSize];
    m_header.Encode(block);
    m_out.put(kSignature, kSignatureSize);
    m_out.putU16(version);
    m_out.put(block, sizeof block);
}

bool Writer::writeForm()
{
    caption(ids::kCaptionSavingForm);
    m_out.flush();
    if (m_out.failed())
        return false;
    const FormFileContext context{m_target.databasePath, m_source.relativePaths};
    try {
        CArchive ar(m_device);
        m_source.form.Store(ar, context);
    } catch (const ArchiveException &e) {
        if (e.cause() == ArchiveException::WriteFailure)
            m_out.fail(errno);
        m_result.formFailed = true;
        return false;
    } catch (const std::bad_alloc &) {
        m_result.formFailed = true;
        return false;
    }
    m_out.resync();
    return true;
}

void Writer::writeRecords()
{
    CDataTable &table = m_source.table;
    const int fields = table.GetFieldCount();
    const int count = table.GetRecordCount();

    int columns[kMaxFields] = {};
    bool relative[kMaxFields] = {};
    bool carriesObject[kMaxFields] = {};
    AnsiString folder = QStringToAnsi(QFileInfo(m_target.databasePath).absolutePath());
    for (int k = 0; k < fields; ++k) {
        const int type = table.GetFieldType(k);
        const bool embedded = type == FT_PICTURE && m_source.form.IsPictureEmbedded(k);
        columns[k] = table.GetStorageColumn(k);
        // Embedded pictures hold object references, which are no paths.
        relative[k] = type == FT_PICTURE && (table.GetFieldFormat(k) & kRelativePathsFormatBit) != 0 && !embedded;
        carriesObject[k] = m_reorganize && (type == FT_MEMO || type == FT_OLE || embedded);
    }

    std::optional<CObjectCopier> copier;
    if (m_reorganize) {
        copier.emplace(m_source.workingStore.path(), m_target.objectFilePath, CObjectCopier::Replace,
                       m_buffers.objects);
    } else {
        caption(ids::kCaptionCopyingObjects);
        // A copy that failed half way is no better than the object file the
        // target has: that one stays, and the user hears of it.
        if (m_source.workingStore.CopyTo(m_target.objectFilePath, false))
            m_result.objectFile = DatabaseWriteResult::ObjectFile::Written;
        else
            m_result.objectsFailed = true;
    }

    caption(ids::kCaptionSavingRecords);
    if (m_progress)
        m_progress->setRange(0, count);

    const bool recordByRecord = std::any_of(carriesObject, carriesObject + fields, [](bool b) { return b; })
                                || std::any_of(relative, relative + fields, [](bool b) { return b; });
    int parts = m_buffers.parts > 0 ? m_buffers.parts : WorkSplitParts(std::size_t(count));
    // Ranges are written to their places in a file; other devices take the
    // records one after the other.
    const auto *file = qobject_cast<const QFileDevice *>(&m_device);
    const int descriptor = file && !file->isSequential() ? file->handle() : -1;
    parts = recordByRecord || descriptor < 0 ? 1 : std::min(parts, count);
    if (m_source.records) {
        writeStreamedRecords();
    } else if (parts > 1) {
        writeRecordsSplit(parts, columns, descriptor);
    } else {
        int inBlock = 0;
        std::size_t block = 0;
        AnsiString converted;
        for (int i = 0; i < count; ++i) {
            table.PrefetchAhead(i);
            const CDataRecord &record = *table.GetRecord(i);
            m_out.putU32(record.GetModificationTime());
            m_out.putU16(uint16_t(record.GetRowHeight()));
            for (int k = 0; k < fields; ++k) {
                AnsiView value = record.GetRawValueAt(columns[k]);
                if (relative[k] && !value.empty()) {
                    converted = MakeRelativePath(value, folder);
                    // A relative path longer than a value may be would make the
                    // file unreadable; the absolute one still finds the picture.
                    if (converted.size() <= kMaxValueLength)
                        value = converted;
                }
                if (carriesObject[k]) {
                    std::optional<AnsiString> reference = copier->CopyObject(value);
                    if (!reference) {
                        m_result.objectsFailed = true;
                        reference.emplace();
                    }
                    converted = std::move(*reference);
                    value = converted;
                }
                m_out.putCounted(value);
            }

            if (++inBlock > kWrittenBlockSize) {
                inBlock = 0;
                if (++block < kMaxBlockPositions)
                    m_header.blockPositions[block] = uint32_t(m_out.offset());
            }
            if (m_progress && i % kWriteProgressStep == 0)
                m_progress->setPos(i);
        }
    }

    if (copier) {
        if (!copier->Finish(false))
            m_result.objectsFailed = true;
        m_result.objectFile =
                copier->wroteAny() ? DatabaseWriteResult::ObjectFile::Written : DatabaseWriteResult::ObjectFile::Absent;
    }
    // A stream without records leaves the object file as a table without
    // records does.
    if (m_source.records && m_header.recordCount == 0)
        m_result.objectFile = DatabaseWriteResult::ObjectFile::Untouched;
}

namespace {

// One block of streamed records laid out as the file holds them.
struct StreamedBlock
{
    std::unique_ptr<char[]> bytes;
    std::size_t capacity = 0;
    std::size_t used = 0;
    std::size_t records = 0;
    // Where the records before a block position end: the records from the
    // first of all, and the bytes from the block's start.
    std::vector<std::pair<std::size_t, std::size_t>> positions;
};

// Lays out each record a stream hands on at the end of a block: the prefix,
// then every field's value as a record stores it.
class StreamedLayout final : public RecordStream::Sink
{
public:
    StreamedLayout(StreamedBlock &block, std::size_t first, int fields, std::uint32_t modified)
        : m_block(block)
        , m_first(first)
        , m_fields(fields)
        , m_modified(modified)
    {}

    void Take(const AnsiView *values, int count) override
    {
        if (m_block.capacity - m_block.used < kLargestRecord) {
            // Grows by doubling; a block is reused for the blocks after it.
            const std::size_t capacity = std::max(2 * m_block.capacity, m_block.used + kLargestRecord);
            auto grown = std::make_unique_for_overwrite<char[]>(capacity);
            if (m_block.used > 0)
                std::memcpy(grown.get(), m_block.bytes.get(), m_block.used);
            m_block.bytes = std::move(grown);
            m_block.capacity = capacity;
        }
        // Streamed records are one line high.
        char *out = putPrefixAt(m_block.bytes.get() + m_block.used, m_modified, 1);
        bool whole = true;
        for (int k = 0; k < m_fields; ++k)
            out = putCountedAt(out, k < count ? ValueAsStored(values[k], whole) : AnsiView());
        m_block.used = std::size_t(out - m_block.bytes.get());
        ++m_block.records;
        const std::size_t before = m_first + m_block.records;
        if (before % (std::size_t(kWrittenBlockSize) + 1) == 0)
            m_block.positions.emplace_back(before, m_block.used);
    }

private:
    StreamedBlock &m_block;
    std::size_t m_first;
    int m_fields;
    std::uint32_t m_modified;
};

} // namespace

// The stream's records are read and laid out in blocks on several threads
// at once and written in order on this one (see MakeBlocksInOrder). The
// record count and the block positions follow from the blocks written.
void Writer::writeStreamedRecords()
{
    RecordStream &stream = *m_source.records;
    const int fields = std::min(m_source.table.GetFieldCount(), kMaxFields);
    const std::size_t capacity = stream.Capacity();
    const std::size_t perBlock = std::max<std::size_t>(m_buffers.streamBlock, 1);
    const std::size_t perPosition = std::size_t(kWrittenBlockSize) + 1;
    const int blocks = int((capacity + perBlock - 1) / perBlock);
    int parts = m_buffers.parts > 0 ? m_buffers.parts : WorkSplitParts(capacity);
    parts = std::clamp(parts, 1, std::max(1, std::min(stream.Parts(), blocks)));
    stream.Begin(parts);
    const uint32_t modified = stream.ModificationTime();
    if (m_progress)
        m_progress->setRange(0, int(capacity));

    std::size_t written = 0;
    auto make = [&](StreamedBlock &block, int b, int part) {
        block.used = 0;
        block.records = 0;
        block.positions.clear();
        const std::size_t first = std::size_t(b) * perBlock;
        const std::size_t asked = std::min(perBlock, capacity - first);
        StreamedLayout layout(block, first, fields, modified);
        return stream.Read(first, asked, part, layout) == asked;
    };
    auto handOn = [&](StreamedBlock &block, int) {
        const std::size_t start = m_out.offset();
        if (block.used > 0)
            m_out.putThrough(block.bytes.get(), block.used);
        for (const auto &[before, end] : block.positions) {
            if (before / perPosition < kMaxBlockPositions)
                m_header.blockPositions[before / perPosition] = uint32_t(start + end);
        }
        written += block.records;
        if (m_progress)
            m_progress->setPos(int(written));
        return !m_out.failed();
    };
    MakeBlocksInOrder<StreamedBlock>(blocks, parts, kStreamBlocksPerPart, make, handOn);
    m_header.recordCount = uint32_t(written);
    m_result.recordsFailed = stream.Failed();
    stream.Finish(written);
}

// The records' bytes do not depend on where they land: once the sizes of
// ranges of records are known, each range is laid out through a buffer of
// its own and written to its place in the file, all at the same time. The
// block positions follow from the sizes of the ranges before.
void Writer::writeRecordsSplit(int parts, const int *columns, int descriptor)
{
    const CDataTable &table = m_source.table;
    const int fields = table.GetFieldCount();
    const std::size_t count = std::size_t(table.GetRecordCount());
    const std::size_t perBlock = std::size_t(kWrittenBlockSize) + 1;
    const auto rangeCount = static_cast<std::size_t>(parts);

    std::vector<std::size_t> sizes(rangeCount, 0);
    RunWorkSplit(count, parts, [&](int part, std::size_t begin, std::size_t end) {
        std::size_t bytes = (kRecordPrefixSize + 2 * std::size_t(fields)) * (end - begin);
        for (std::size_t i = begin; i < end; ++i)
            bytes += table.GetRecord(int(i))->GetValuesSize();
        sizes[std::size_t(part)] = bytes;
    });
    std::vector<std::size_t> bases(rangeCount);
    std::size_t next = m_out.offset();
    for (std::size_t part = 0; part < rangeCount; ++part) {
        bases[part] = next;
        next += sizes[part];
    }

    // Whatever was buffered goes first, where it belongs.
    m_out.flush();
    if (!static_cast<QFileDevice &>(m_device).flush())
        m_out.fail(errno);
    if (m_out.failed())
        return;

    const std::size_t capacity = std::max(m_buffers.output, 2 * kLargestRecord);
    std::vector<int> errors(rangeCount, 0);
    RunWorkSplit(count, parts, [&](int part, std::size_t begin, std::size_t end) {
        const auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
        std::size_t written = 0;
        int &error = errors[std::size_t(part)];
        auto writeOut = [&](std::size_t used) {
            std::size_t done = 0;
            while (done < used && error == 0) {
                const ssize_t got = ::pwrite(descriptor, buffer.get() + done, used - done,
                                             off_t(bases[std::size_t(part)] + written + done));
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    error = got < 0 && errno != 0 ? errno : EIO;
                else
                    done += std::size_t(got);
            }
            written += used;
        };

        char *out = buffer.get();
        for (std::size_t i = begin; i < end && error == 0; ++i) {
            if (capacity - std::size_t(out - buffer.get()) < kLargestRecord) {
                writeOut(std::size_t(out - buffer.get()));
                out = buffer.get();
            }
            table.PrefetchAhead(int(i));
            const CDataRecord &record = *table.GetRecord(int(i));
            out = putPrefixAt(out, record.GetModificationTime(), uint16_t(record.GetRowHeight()));
            for (int k = 0; k < fields; ++k)
                out = putCountedAt(out, record.GetRawValueAt(columns[k]));
            if ((i + 1) % perBlock == 0) {
                const std::size_t block = (i + 1) / perBlock;
                if (block < kMaxBlockPositions)
                    m_header.blockPositions[block] =
                            uint32_t(bases[std::size_t(part)] + written + std::size_t(out - buffer.get()));
            }
            if (part == 0 && m_progress && i % kWriteProgressStep == 0)
                m_progress->setPos(int(std::min(i * std::size_t(parts), count)));
        }
        if (error == 0)
            writeOut(std::size_t(out - buffer.get()));
    });
    for (const int error : errors) {
        if (error != 0)
            m_out.fail(error);
    }
    if (!m_device.seek(qint64(next)))
        m_out.fail(EIO);
    m_out.resync();
}

} // namespace

bool WriteDatabaseFile(QIODevice &out, const DatabaseWriteSource &source, const DatabaseWriteTarget &target,
                       bool reorganize, ProgressBox *progress, DatabaseWriteResult &result,
                       const DatabaseWriteBuffers &buffers)
{
    result = DatabaseWriteResult();
    try {
        Writer writer(out, source, target, reorganize, progress, result, buffers);
        return writer.run();
    } catch (const std::bad_alloc &) {
        MessageBoxById(ids::kMsgOutOfMemory, MsgIcon::Exclamation);
        return false;
    }
}

} // namespace orvel

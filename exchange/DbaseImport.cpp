#include "exchange/DbaseImport.h"

#include "exchange/DbaseFile.h"
#include "exchange/ImportLosses.h"
#include "platform/Clock.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <array>
#include <new>
#include <vector>

namespace orvel {

namespace {

using namespace dbase;

constexpr int kProgressStep = 300;
// The header length is a 16-bit number, so this holds every header.
constexpr qint64 kMaxHeaderBytes = 0x10000;
constexpr int kDbase2Decimals = 2;

// A stretch of the file in memory. A buffer's bytes are used where they lie;
// a file is read into a buffer that the next stretch reuses. (Not mapped: a
// file that another program cuts short while it is mapped would end this
// one with a bus error.)
class FileBytes
{
public:
    // Makes the bytes from `offset` on available, `length` of them or as
    // many as the file holds. False when the file cannot be read there.
    bool Load(QIODevice &file, qint64 offset, qint64 length)
    {
        m_data = nullptr;
        m_size = 0;
        if (offset < 0 || length < 0)
            return false;
        if (auto *buffer = qobject_cast<QBuffer *>(&file)) {
            const QByteArray &all = buffer->data();
            if (offset > all.size())
                return false;
            m_data = reinterpret_cast<const unsigned char *>(all.constData()) + offset;
            m_size = std::min(length, all.size() - offset);
            return true;
        }
        if (!file.seek(offset))
            return false;
        m_copy.resize(length);
        const qint64 read = length == 0 ? 0 : file.read(m_copy.data(), length);
        if (read < 0)
            return false;
        m_copy.resize(read);
        m_data = reinterpret_cast<const unsigned char *>(m_copy.constData());
        m_size = read;
        return true;
    }

    const unsigned char *data() const { return m_data; }
    qint64 size() const { return m_size; }

private:
    QByteArray m_copy;
    const unsigned char *m_data = nullptr;
    qint64 m_size = 0;
};

// Where the fields and records of a file are, checked against its size.
struct Layout
{
    bool dbase2 = false;
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

bool readDbase3Layout(const unsigned char *head, qint64 headSize, qint64 fileSize, Layout &layout)
{
    if (headSize < static_cast<qint64>(kHeaderSize))
        return false;
    layout.declaredRecords = ReadLe32(head + kRecordCountAt);
    const qint64 headerLength = ReadLe16(head + kHeaderLengthAt);
    // The records start at the header length; a header shorter than its
    // fixed part or reaching past the end of the file is damaged.
    if (headerLength < static_cast<qint64>(kHeaderSize) || headerLength > fileSize || headerLength > headSize)
        return false;
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

// Where a field's value lies in a record and how it is read.
struct FieldSlice
{
    qint64 offset = 0; // behind the deletion byte
    std::size_t length = 0;
    bool numeric = false; // leading blanks are skipped
};

void createFields(CDataTable &table, const Layout &layout, int fieldCount, bool dos)
{
    for (int k = 0; k < fieldCount; ++k) {
        const FieldDescriptor &field = layout.descriptors[static_cast<std::size_t>(k)];
        const AnsiString name = dos ? OemToCharA(field.name) : field.name;
        table.SetFieldName(name, k);
        table.SetDbaseLength(field.length, k);
        if (field.type == kTypeDate) {
            table.SetFieldType(FT_DATE, k);
        } else if (field.type == kTypeNumeric) {
            table.SetFieldType(FT_NUMERIC, k);
            table.SetFieldFormat(layout.dbase2 ? kDbase2Decimals : field.decimals, k);
        }
        int width = kNewFieldWidth;
        if (!layout.dbase2 && field.type == kTypeText)
            width = std::max(static_cast<int>(name.size()), static_cast<int>(field.length));
        table.SetColumnWidth(width, k);
    }
}

// Appends `count` records from `data`; `first` is the number of records
// read before (for the progress window), `now` their time stamp.
void readRecords(CDataTable &table, const unsigned char *data, int first, int count, const Layout &layout,
                 int fieldCount, bool dos, std::uint32_t now, ProgressBox *progress)
{
    std::array<FieldSlice, kMaxFields> slices{};
    qint64 offset = 0;
    for (int k = 0; k < fieldCount; ++k) {
        const FieldDescriptor &field = layout.descriptors[static_cast<std::size_t>(k)];
        slices[static_cast<std::size_t>(k)] = {offset, field.length, field.type == kTypeNumeric};
        offset += field.length;
    }

    const auto &oemToAnsi = OemToAnsiMap();
    // Converted values of one record; their views live until the record has
    // taken them.
    AnsiString converted(dos ? static_cast<std::size_t>(layout.recordSize) : 0, '\0');
    std::array<AnsiView, kMaxFields> values{};

    for (int i = 0; i < count; ++i) {
        // The deletion byte is not looked at: deleted records come in too.
        const unsigned char *fields = data + static_cast<qint64>(i) * layout.recordSize + 1;
        for (int k = 0; k < fieldCount; ++k) {
            const FieldSlice &slice = slices[static_cast<std::size_t>(k)];
            const auto *begin = reinterpret_cast<const char *>(fields + slice.offset);
            AnsiView value(begin, slice.length);
            if (slice.numeric) {
                const std::size_t digits = value.find_first_not_of(' ');
                value.remove_prefix(digits == AnsiView::npos ? value.size() : digits);
            }
            const std::size_t last = value.find_last_not_of(' ');
            value = value.substr(0, last == AnsiView::npos ? 0 : last + 1);
            if (dos && !value.empty()) {
                char *out = converted.data() + slice.offset;
                for (std::size_t b = 0; b < value.size(); ++b)
                    out[b] = static_cast<char>(oemToAnsi[static_cast<unsigned char>(value[b])]);
                value = AnsiView(out, value.size());
            }
            values[static_cast<std::size_t>(k)] = value;
        }
        auto record = table.CreateRecord(false);
        record->SetModificationTime(now);
        record->SetRawValues(values.data(), fieldCount);
        table.AddRecord(std::move(record));
        if (progress && (first + i + 1) % kProgressStep == 0)
            progress->setPos(first + i + 1);
    }
}

} // namespace

int ImportDbase(CDataTable &table, QIODevice &file, ExchangeCharSet charSet, ProgressBox *progress,
                std::size_t chunkBytes)
{
    const bool dos = charSet == ExchangeCharSet::Dos;
    const qint64 fileSize = file.size();
    try {
        FileBytes head;
        if (!head.Load(file, 0, std::min(fileSize, kMaxHeaderBytes)) || head.size() < 1) {
            table.RemoveAllRecords();
            return 0;
        }
        Layout layout;
        const int version = head.data()[0] & kVersionMask;
        bool known = false;
        if (version == kVersion3)
            known = readDbase3Layout(head.data(), head.size(), fileSize, layout);
        else if (version == kVersion2)
            known = readDbase2Layout(head.data(), head.size(), fileSize, layout);
        if (!known) {
            table.RemoveAllRecords();
            return 0;
        }
        for (const FieldDescriptor &field : layout.descriptors)
            layout.recordSize += field.length;

        // Only whole records that the file holds are read.
        const qint64 wanted = std::min<qint64>(layout.declaredRecords, kMaxRecords);
        const qint64 present = (fileSize - layout.recordsAt) / layout.recordSize;
        const qint64 toRead = std::min(wanted, present);

        if (layout.declaredRecords > static_cast<std::uint32_t>(kMaxRecords))
            MessageBoxById(ids::kMsgDbaseTooManyRecords);
        const int fieldCount = static_cast<int>(std::min<std::size_t>(layout.descriptors.size(), kMaxFields));
        createFields(table, layout, fieldCount, dos);
        if (progress) {
            progress->setCaption(ids::kCaptionReadingDbase);
            progress->setRange(0, static_cast<int>(toRead));
        }

        // One time for all: every record is stamped with the moment of the import.
        const auto now = static_cast<std::uint32_t>(Clock::NowUtcSeconds());
        // Records are read in stretches into one buffer: fresh memory for a
        // whole 27 MB file costs more in clearing its pages than the reading
        // itself.
        const qint64 perChunk = std::max<qint64>(1, static_cast<qint64>(chunkBytes) / layout.recordSize);
        FileBytes chunk;
        qint64 count = 0;
        while (count < toRead) {
            const qint64 wantedNow = std::min(perChunk, toRead - count);
            if (!chunk.Load(file, layout.recordsAt + count * layout.recordSize, wantedNow * layout.recordSize)) {
                table.Clear();
                return 0;
            }
            const qint64 got = std::min(wantedNow, chunk.size() / layout.recordSize);
            readRecords(table, chunk.data(), static_cast<int>(count), static_cast<int>(got), layout, fieldCount, dos,
                        now, progress);
            count += got;
            if (got < wantedNow)
                break;
        }
        if (progress)
            progress->setPos(static_cast<int>(count));

        ImportLosses losses;
        if (layout.descriptors.size() > static_cast<std::size_t>(kMaxFields)) {
            losses.Add(QStringLiteral("Datenfelder nach dem %1. (die Datei enthält %2 Datenfelder)")
                               .arg(kMaxFields)
                               .arg(static_cast<qulonglong>(layout.descriptors.size())));
        }
        if (count < wanted) {
            losses.Add(QStringLiteral("Die Datei ist unvollständig: Sie enthält nur %1 von %2 Datensätzen.")
                               .arg(count)
                               .arg(layout.declaredRecords));
        }
        losses.Report();
        return 1;
    } catch (const std::bad_alloc &) {
        // What was read so far would be a table the file does not describe.
        table.Clear();
        return 0;
    }
}

} // namespace orvel

// The database reader and writer and the object copier work through windows
// and buffers. Small files never reach their edges, so these tests use files
// several times larger than the real buffers, and small odd buffer sizes
// that put every offset of a record header, a length and a value on an edge.
#include "DocumentTestSupport.h"

#include "bench/GeneratedTable.h"
#include "document/DatabaseReader.h"
#include "document/DatabaseWriter.h"
#include "document/PageSettings.h"
#include "form/FormObjects.h"
#include "platform/TempFile.h"
#include "support/TableCompare.h"
#include "table/DataRecord.h"
#include "table/ObjectStore.h"
#include "table/RecordStream.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtEndian>

#include <string>
#include <vector>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <sys/resource.h>

using namespace orvel;
using namespace orvel::test;

namespace {

class BufferedFileTest : public DocumentTest
{
protected:
    // A generated table whose records differ in height and time too.
    static std::unique_ptr<CDataTable> Generated(int records)
    {
        auto table = bench::MakeGeneratedTable(records);
        for (int i = 0; i < records; ++i) {
            table->GetRecord(i)->SetRowHeight(1 + i % 3);
            table->GetRecord(i)->SetModificationTime(851385600u + std::uint32_t(i) * 977u);
        }
        return table;
    }

    QByteArray write(CDataTable &table, const QString &file, const DatabaseWriteBuffers &buffers = {},
                     RecordStream *records = nullptr, DatabaseWriteResult *outcome = nullptr)
    {
        CFormObjects form;
        form.CreateDefaultForm(table.GetFieldCount());
        const PageSettings page;
        const CWorkingStore store;
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::ReadWrite | QIODevice::Truncate));
        DatabaseWriteResult result;
        const bool written = WriteDatabaseFile(out, {table, form, page, store, false, records},
                                               {file, file + QStringLiteral(".dbo")}, false, nullptr, result, buffers);
        if (outcome)
            *outcome = result;
        else
            EXPECT_TRUE(written);
        out.close();
        return ReadAll(file);
    }

    static bool read(const QString &file, CDataTable &into, std::size_t window, int parts = 0)
    {
        CFormObjects form;
        PageSettings page;
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        const FormFileContext context{file, false};
        return ReadDatabaseFile(in, context, {into, form, page}, nullptr, window, parts).outcome
               == dbfile::ReadOutcome::Complete;
    }

    static std::uint32_t blockPosition(const QByteArray &bytes, std::size_t block)
    {
        const auto at = qsizetype(dbfile::kHeaderOffset + dbfile::header::kBlockPositions + 4 * block);
        return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
    }
    static void setBlockPosition(QByteArray &bytes, std::size_t block, std::uint32_t position)
    {
        const auto at = qsizetype(dbfile::kHeaderOffset + dbfile::header::kBlockPositions + 4 * block);
        qToLittleEndian(position, bytes.data() + at);
    }
};

TEST_F(BufferedFileTest, FullSizeDatabaseSurvivesSaveAndOpenRecordByRecord)
{
    const auto table = Generated(30000);
    const QByteArray bytes = write(*table, path("voll.ovd"));
    // Many windows' worth, so that hundreds of records straddle an edge.
    ASSERT_GT(bytes.size(), qsizetype(40 * kDatabaseReadWindow));

    CDataTable back;
    ASSERT_TRUE(read(path("voll.ovd"), back, kDatabaseReadWindow));
    EXPECT_TRUE(SameTables(*table, back));

    // Written again, the file is the same bytes.
    EXPECT_EQ(write(back, path("wieder.ovd")), bytes);
}

TEST_F(BufferedFileTest, AnyWindowOrBufferSizeGivesTheSameFileAndRecords)
{
    const auto table = Generated(700);
    const QByteArray bytes = write(*table, path("basis.ovd"));
    ASSERT_GT(bytes.size(), 300 * 1024);

    for (const std::size_t size : {1u, 2u, 7u, 13u, 61u, 257u, 4099u}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(write(*table, path("klein.ovd"), {size, size}), bytes);
        CDataTable back;
        ASSERT_TRUE(read(path("basis.ovd"), back, size));
        EXPECT_TRUE(SameTables(*table, back));
    }
}

TEST_F(BufferedFileTest, ATruncatedFileFailsWhateverTheWindow)
{
    const auto table = Generated(200);
    const QByteArray bytes = write(*table, path("ganz.ovd"));
    WriteAll(path("kurz.ovd"), bytes.left(bytes.size() - 3));
    for (const std::size_t size : {std::size_t(1), std::size_t(7), kDatabaseReadWindow}) {
        CDataTable back;
        EXPECT_FALSE(read(path("kurz.ovd"), back, size)) << size;
    }
}

// Ranges of blocks are read at the same time, each through a window of its
// own: every split, window and source reads the same records.
TEST_F(BufferedFileTest, AnySplitOfTheBlocksReadsTheSameRecords)
{
    const auto table = Generated(3100); // seven blocks, the last one short
    const QByteArray bytes = write(*table, path("teile.ovd"));
    for (const int parts : {1, 2, 3, 7, 12}) {
        for (const std::size_t window : {std::size_t(7), std::size_t(4099), kDatabaseReadWindow}) {
            SCOPED_TRACE(testing::Message() << parts << " parts, window " << window);
            CDataTable back;
            ASSERT_TRUE(read(path("teile.ovd"), back, window, parts));
            EXPECT_TRUE(SameTables(*table, back));
        }
    }
    // From memory as from the disk.
    QBuffer buffer;
    buffer.setData(bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    CDataTable back;
    CFormObjects form;
    PageSettings page;
    const FormFileContext context{path("teile.ovd"), false};
    EXPECT_EQ(ReadDatabaseFile(buffer, context, {back, form, page}, nullptr, 61, 3).outcome,
              dbfile::ReadOutcome::Complete);
    EXPECT_TRUE(SameTables(*table, back));
}

// Keeps the records whose first value ends in one of the given digits,
// and counts the calls of Prepare.
class LastDigitFilter : public RecordFilter
{
public:
    explicit LastDigitFilter(AnsiView digits)
        : m_digits(digits)
    {}
    void Prepare(const CDataTable &table) override
    {
        ++prepared;
        fields = table.GetFieldCount();
    }
    bool Keep(const AnsiView *values, int count, AnsiString &) const override
    {
        return count == fields && !values[0].empty() && m_digits.find(values[0].back()) != AnsiView::npos;
    }
    int prepared = 0;
    int fields = -1;

private:
    AnsiView m_digits;
};

// A filter keeps the same records in file order, with their places in the
// file, however the blocks are split; a filter that keeps nothing reads an
// empty table, and the file is still checked whole.
TEST_F(BufferedFileTest, AFilteredReadKeepsTheSameRecordsInAnySplit)
{
    const auto table = Generated(3100);
    for (int i = 0; i < table->GetRecordCount(); ++i)
        table->GetRecord(i)->SetRawValue(std::to_string(i), 0);
    QByteArray bytes = write(*table, path("filter.ovd"));
    for (const AnsiView digits : {AnsiView("37"), AnsiView("x")}) {
        std::vector<int> expected;
        for (int i = 0; i < table->GetRecordCount(); ++i) {
            if (digits.find(std::to_string(i).back()) != AnsiView::npos)
                expected.push_back(i);
        }
        for (const int parts : {1, 2, 3, 7}) {
            SCOPED_TRACE(testing::Message() << digits << ", " << parts << " parts");
            LastDigitFilter filter(digits);
            CDataTable back;
            CFormObjects form;
            PageSettings page;
            QBuffer buffer(&bytes);
            ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
            const DatabaseReadResult result = ReadDatabaseFile(buffer, {path("filter.ovd"), false}, {back, form, page},
                                                               nullptr, 4099, parts, {~0u, &filter});
            buffer.close();
            ASSERT_EQ(result.outcome, dbfile::ReadOutcome::Complete);
            EXPECT_EQ(filter.prepared, 1);
            EXPECT_EQ(result.keptRecords, expected);
            ASSERT_EQ(back.GetRecordCount(), int(expected.size()));
            for (std::size_t k = 0; k < expected.size(); ++k) {
                const CDataRecord &original = *table->GetRecord(expected[k]);
                const CDataRecord &kept = *back.GetRecord(int(k));
                for (int pos = 0; pos < table->GetFieldCount(); ++pos)
                    ASSERT_EQ(kept.GetRawValue(pos), original.GetRawValue(pos)) << expected[k] << " " << pos;
                EXPECT_EQ(kept.GetModificationTime(), original.GetModificationTime());
                EXPECT_EQ(kept.GetRowHeight(), original.GetRowHeight());
            }
        }
    }
    // A damaged last record fails the read although the filter keeps none.
    QByteArray cut = bytes.left(bytes.size() - 3);
    QBuffer buffer(&cut);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    LastDigitFilter none("x");
    CDataTable back;
    CFormObjects form;
    PageSettings page;
    EXPECT_NE(ReadDatabaseFile(buffer, {path("kurz.ovd"), false}, {back, form, page}, nullptr, 4099, 2, {~0u, &none})
                      .outcome,
              dbfile::ReadOutcome::Complete);
}

// Ranges of records laid out at the same time give the bytes of the record
// by record writer, block positions included, with any output buffer.
TEST_F(BufferedFileTest, AnySplitOfTheRecordsWritesTheSameBytes)
{
    for (const int records : {3100, 3006}) {
        const auto table = Generated(records);
        const QByteArray bytes = write(*table, path("eins.ovd"), {256 * 1024, 256 * 1024, 1});
        for (const int parts : {2, 3, 7, 40}) {
            for (const std::size_t output : {std::size_t(13), std::size_t(256 * 1024)}) {
                SCOPED_TRACE(testing::Message() << records << " records, " << parts << " parts, buffer " << output);
                EXPECT_EQ(write(*table, path("geteilt.ovd"), {output, 256 * 1024, parts}), bytes);
            }
        }
    }
}

// Saves `table` in a process whose files may not grow beyond 1 MB; 0 when
// the save failed and said why.
int SaveBeyondTheFileSizeLimit(CDataTable &table, const QString &file, int parts)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1 << 20, 1 << 20};
    setrlimit(RLIMIT_FSIZE, &limit);
    CFormObjects form;
    form.CreateDefaultForm(table.GetFieldCount());
    const PageSettings page;
    const CWorkingStore store;
    QFile out(file);
    if (!out.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return 2;
    DatabaseWriteResult result;
    const DatabaseWriteBuffers buffers{256 * 1024, 256 * 1024, parts};
    const bool written = WriteDatabaseFile(out, {table, form, page, store, false}, {file, file + ".dbo"}, false,
                                           nullptr, result, buffers);
    return !written && result.writeError == EFBIG ? 0 : 1;
}

// A disk that refuses the records fails the save, however the records were
// split, and says why.
TEST_F(BufferedFileTest, ARefusedWriteFailsTheSaveWhateverTheSplit)
{
    const auto table = Generated(3100);
    for (const int parts : {1, 3}) {
        EXPECT_EXIT(std::_Exit(SaveBeyondTheFileSizeLimit(*table, path("voll.ovd"), parts)), testing::ExitedWithCode(0),
                    "")
                << parts << " parts";
    }
}

// A block that starts inside the records read before it is refused whether
// it begins a range of its own or lies inside one, and so is a block beyond
// the end of the file.
TEST_F(BufferedFileTest, ABlockPositionPointingBackIsRefusedWhateverTheSplit)
{
    const auto table = Generated(3006); // six whole blocks
    const QByteArray bytes = write(*table, path("heil.ovd"));
    for (const std::size_t block : {std::size_t(1), std::size_t(2), std::size_t(4)}) {
        QByteArray damaged = bytes;
        setBlockPosition(damaged, block, blockPosition(bytes, block) - 1);
        WriteAll(path("zurueck.ovd"), damaged);
        damaged = bytes;
        setBlockPosition(damaged, block, std::uint32_t(bytes.size()) + 1);
        WriteAll(path("dahinter.ovd"), damaged);
        for (const int parts : {1, 2, 3, 6}) {
            SCOPED_TRACE(testing::Message() << "block " << block << ", " << parts << " parts");
            CDataTable back;
            EXPECT_FALSE(read(path("zurueck.ovd"), back, kDatabaseReadWindow, parts));
            CDataTable beyond;
            EXPECT_FALSE(read(path("dahinter.ovd"), beyond, kDatabaseReadWindow, parts));
        }
    }
    // The jump after the last whole block is checked too.
    QByteArray damaged = bytes;
    setBlockPosition(damaged, 6, blockPosition(bytes, 6) - 1);
    WriteAll(path("ende.ovd"), damaged);
    for (const int parts : {1, 3}) {
        CDataTable back;
        EXPECT_FALSE(read(path("ende.ovd"), back, kDatabaseReadWindow, parts)) << parts;
    }
}

// A record of another table with the same fields, with its values and time.
std::unique_ptr<CDataRecord> CopyRecord(const CDataRecord &record, CDataTable &into)
{
    AnsiView values[kMaxFields];
    const int fields = into.GetFieldCount();
    for (int k = 0; k < fields; ++k)
        values[k] = record.GetRawValue(k);
    auto made = into.CreateRecord(values, fields, false);
    made->SetModificationTime(record.GetModificationTime());
    return made;
}

// Hands out the records of a table as a stream would, up to record `end`
// (where a stream's input would end), each value with blanks after it.
class TableStream final : public RecordStream
{
public:
    TableStream(const CDataTable &table, std::size_t end, std::uint32_t modified)
        : m_table(table)
        , m_end(end)
        , m_modified(modified)
    {}

    std::size_t finished = ~std::size_t(0);
    bool failed = false;

    std::size_t Capacity() const override { return std::size_t(m_table.GetRecordCount()); }
    int Parts() const override { return 8; }
    void Begin(int parts) override { m_scratch.assign(std::size_t(parts), std::vector<AnsiString>(kMaxFields)); }
    std::size_t Read(std::size_t first, std::size_t count, int part, Sink &sink) override
    {
        std::vector<AnsiString> &scratch = m_scratch.at(std::size_t(part));
        const int fields = m_table.GetFieldCount();
        std::size_t i = first;
        for (; i < first + count && i < m_end; ++i) {
            AnsiView values[kMaxFields];
            for (int k = 0; k < fields; ++k) {
                scratch[std::size_t(k)] = AnsiString(m_table.GetRecord(int(i))->GetRawValue(k)) + "   ";
                values[k] = scratch[std::size_t(k)];
            }
            sink.Take(values, fields);
        }
        return i - first;
    }
    bool Failed() const override { return failed; }
    std::uint32_t ModificationTime() const override { return m_modified; }
    void Finish(std::size_t records) override { finished = records; }

private:
    const CDataTable &m_table;
    std::size_t m_end;
    std::uint32_t m_modified;
    std::vector<std::vector<AnsiString>> m_scratch;
};

// Streamed records give the bytes their table would, in any split and with
// any size of block, also where the stream ends early: on a block's edge,
// inside one, on a block position's record or just after it.
TEST_F(BufferedFileTest, StreamedRecordsWriteTheBytesOfTheirTable)
{
    constexpr std::uint32_t kModified = 851385600u;
    const auto table = bench::MakeGeneratedTable(1600);
    for (int i = 0; i < table->GetRecordCount(); ++i)
        table->GetRecord(i)->SetModificationTime(kModified);
    const auto fieldsOnly = bench::MakeGeneratedTable(0);

    for (const std::size_t end : {std::size_t(1600), std::size_t(1503), std::size_t(1002), std::size_t(1003),
                                  std::size_t(334), std::size_t(0)}) {
        const auto expected = bench::MakeGeneratedTable(0);
        for (int i = 0; i < int(end); ++i)
            expected->AddRecord(CopyRecord(*table->GetRecord(i), *expected));
        const QByteArray bytes = write(*expected, path("tabelle.ovd"));
        for (const std::size_t block : {std::size_t(1), std::size_t(7), std::size_t(167), std::size_t(501),
                                        std::size_t(502), std::size_t(4099)}) {
            for (const int parts : {1, 2, 3}) {
                SCOPED_TRACE(testing::Message() << "end " << end << ", block " << block << ", " << parts << " parts");
                TableStream stream(*table, end, kModified);
                DatabaseWriteBuffers buffers;
                buffers.parts = parts;
                buffers.streamBlock = block;
                EXPECT_EQ(write(*fieldsOnly, path("strom.ovd"), buffers, &stream), bytes);
                EXPECT_EQ(stream.finished, end);
            }
        }
    }
}

// A stream that could not be read fails the save as unreadable, not as a
// write the disk refused.
TEST_F(BufferedFileTest, AStreamThatFailedFailsTheSave)
{
    const auto table = bench::MakeGeneratedTable(600);
    const auto fieldsOnly = bench::MakeGeneratedTable(0);
    TableStream stream(*table, 300, 0);
    stream.failed = true;
    DatabaseWriteResult result;
    write(*fieldsOnly, path("strom.ovd"), {}, &stream, &result);
    EXPECT_TRUE(result.recordsFailed);
    EXPECT_EQ(result.writeError, 0);
}

// Objects of many sizes, some far larger than the copier's buffers, copied
// one by one into a new object file: every byte arrives.
class ObjectCopierBufferTest : public DocumentTest
{
protected:
    // Fills `store` with objects of the given sizes (pseudo-random bytes) and
    // returns their references and bytes.
    void fill(const QString &store, const std::vector<int> &sizes)
    {
        QRandomGenerator random(1996);
        for (const int size : sizes) {
            QByteArray bytes(size, '\0');
            for (char &c : bytes)
                c = char(random.bounded(256));
            const QString source = MakeTempFileName(QStringLiteral("tmp"), QStringLiteral("tmp"));
            WriteAll(source, bytes);
            const AnsiString ref = WriteObject(source, "", store);
            ASSERT_FALSE(ref.empty());
            references.push_back(ref);
            contents.push_back(bytes);
        }
    }

    void copyAndCheck(const QString &source, std::size_t bufferSize)
    {
        SCOPED_TRACE(bufferSize);
        const QString target = path("ziel.dbo");
        QFile::remove(target);
        std::vector<AnsiString> copied;
        {
            CObjectCopier copier(source, target, CObjectCopier::Replace, bufferSize);
            for (const AnsiString &ref : references) {
                const std::optional<AnsiString> to = copier.CopyObject(ref);
                ASSERT_TRUE(to.has_value());
                copied.push_back(*to);
            }
            ASSERT_TRUE(copier.Finish(false));
        }
        for (std::size_t i = 0; i < copied.size(); ++i) {
            const QString out = ReadObject(target, copied[i]);
            ASSERT_FALSE(out.isEmpty()) << i;
            EXPECT_EQ(ReadAll(out), contents[i]) << "object " << i;
            QFile::remove(out);
        }
    }

    std::vector<AnsiString> references;
    std::vector<QByteArray> contents;
};

TEST_F(ObjectCopierBufferTest, LargeObjectFileThroughTheRealBuffers)
{
    std::vector<int> sizes;
    for (int i = 0; i < 400; ++i)
        sizes.push_back((i * 7919) % 5000);
    sizes.insert(sizes.begin() + 100, 700001);
    sizes.insert(sizes.begin() + 250, 300007);
    sizes.push_back(0);
    fill(path("quelle.dbo"), sizes);
    ASSERT_GT(QFileInfo(path("quelle.dbo")).size(), qint64(4 * CObjectCopier::kDefaultBufferSize));
    copyAndCheck(path("quelle.dbo"), CObjectCopier::kDefaultBufferSize);
    copyAndCheck(path("quelle.dbo"), 4099);
}

TEST_F(ObjectCopierBufferTest, SmallOddBuffers)
{
    std::vector<int> sizes;
    for (int i = 0; i < 40; ++i)
        sizes.push_back((i * 613) % 2000);
    fill(path("quelle.dbo"), sizes);
    for (const std::size_t size : {1u, 2u, 7u, 13u, 61u})
        copyAndCheck(path("quelle.dbo"), size);
}

} // namespace

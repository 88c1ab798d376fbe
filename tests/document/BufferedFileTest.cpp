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

#include <QRandomGenerator>

#include <vector>

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

    QByteArray write(CDataTable &table, const QString &file, const DatabaseWriteBuffers &buffers = {})
    {
        CFormObjects form;
        form.CreateDefaultForm(table.GetFieldCount());
        const PageSettings page;
        const CWorkingStore store;
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::ReadWrite | QIODevice::Truncate));
        DatabaseWriteResult result;
        EXPECT_TRUE(WriteDatabaseFile(out, {table, form, page, store, false}, {file, file + QStringLiteral(".dbo")},
                                      false, nullptr, result, buffers));
        out.close();
        return ReadAll(file);
    }

    static bool read(const QString &file, CDataTable &into, std::size_t window)
    {
        CFormObjects form;
        PageSettings page;
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        const FormFileContext context{file, false};
        return ReadDatabaseFile(in, context, {into, form, page}, nullptr, window).outcome
               == dbfile::ReadOutcome::Complete;
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

#include "DocumentTestSupport.h"

#include "document/AtomicSave.h"
#include "form/DrawEdit.h"
#include "platform/DiskSync.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

using namespace orvel;
using namespace orvel::test;

namespace {

// Puts an object into the document's working store and returns its reference.
std::string StoreObject(COrvelDoc &doc, const QByteArray &bytes, const QString &scratch)
{
    const QString source = scratch + QStringLiteral("/objekt.tmp");
    WriteAll(source, bytes);
    return WriteObject(source, "", doc.GetWorkingStorePath());
}

class SaveTest : public DocumentTest
{
protected:
    // A saved database with a record, its object file beside it, opened in doc.
    void MakeSaved(COrvelDoc &doc, const char *name)
    {
        AddField(doc, "Name");
        AddRecord(doc, {"Anna"});
        ASSERT_TRUE(doc.Save(path(name)));
        doc.SetPathName(path(name));
        ASSERT_TRUE(doc.Open(path(name)));
    }
};

TEST_F(SaveTest, ObjectFileEndStates)
{
    // A plain save of records copies the working store, even without objects.
    COrvelDoc doc;
    MakeSaved(doc, "a.ovd");
    EXPECT_TRUE(QFile::exists(path("a.dbo")));

    // A database without records leaves the object file alone.
    WriteAll(path("b.dbo"), "alt");
    COrvelDoc empty;
    AddField(empty, "Name");
    ASSERT_TRUE(empty.Save(path("b.ovd"), 1, true));
    EXPECT_EQ(ReadAll(path("b.dbo")), QByteArray("alt"));

    // Save As that writes no object leaves no object file at the target.
    AddRecord(empty, {"x"});
    ASSERT_TRUE(empty.Save(path("b.ovd"), 1, true));
    EXPECT_FALSE(QFile::exists(path("b.dbo")));
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("a.dbo"), QStringLiteral("a.ovd"), QStringLiteral("b.ovd")}));
}

TEST_F(SaveTest, SaveAsCopiesEveryObjectOnItsOwnInRecordOrder)
{
    COrvelDoc doc;
    AddField(doc, "Notiz", FT_MEMO);
    AddField(doc, "Foto", FT_PICTURE);
    AddField(doc, "Pfad", FT_PICTURE);
    doc.CreateDefaultForm();
    doc.GetForm().FindDataField(1)->embedded = 1;
    // Objects written and rewritten: the store holds garbage before them.
    StoreObject(doc, "veraltet, viel zu lang", dir);
    const std::string memo = StoreObject(doc, "Hallo", dir);
    const std::string picture = StoreObject(doc, "BM..", dir);
    AddRecord(doc, {memo.c_str(), picture.c_str(), "/bilder/a.bmp"});
    AddRecord(doc, {memo.c_str(), "", "/bilder/b.bmp"}); // the same reference again
    AddRecord(doc, {"", "", ""});

    ASSERT_TRUE(doc.Save(path("neu.ovd"), 1, true));
    EXPECT_TRUE(scripted.messageIds().empty());
    const QByteArray objects = ReadAll(path("neu.dbo"));
    EXPECT_EQ(objects, QByteArray("OVD-BLOBS\x03"
                                  "\x05\0\0\0Hallo"
                                  "\x04\0\0\0BM.."
                                  "\x05\0\0\0Hallo",
                                  10 + 9 + 8 + 9));

    COrvelDoc loaded;
    ASSERT_TRUE(loaded.Open(path("neu.ovd")));
    const CDataTable &t = loaded.GetTable();
    EXPECT_EQ(t.GetRecord(0)->GetRawValue(0), "10");
    EXPECT_EQ(t.GetRecord(0)->GetRawValue(1), "19");
    EXPECT_EQ(t.GetRecord(0)->GetRawValue(2), "/bilder/a.bmp"); // a linked picture is a path
    EXPECT_EQ(t.GetRecord(1)->GetRawValue(0), "27");
    EXPECT_EQ(t.GetRecord(2)->GetRawValue(0), "");
    // The opened document reads its objects from its working store.
    const QString copy = ReadObject(loaded.GetWorkingStorePath(), "27");
    EXPECT_EQ(ReadAll(copy), QByteArray("Hallo"));
    QFile::remove(copy);
    // The saved document's own references still point into its store.
    EXPECT_EQ(doc.GetTable().GetRecord(1)->GetRawValue(0), memo);

    // A reference that names nothing is written empty and reported.
    AddRecord(doc, {"999999", "", ""});
    ASSERT_TRUE(doc.Save(path("neu2.ovd"), 1, true));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{515});
}

TEST_F(SaveTest, FailedWritesLeaveTheOldFilesAndNoTemporaryFiles)
{
    COrvelDoc doc;
    MakeSaved(doc, "x.ovd");
    const QByteArray oldDatabase = ReadAll(path("x.ovd"));
    const QByteArray oldObjects = ReadAll(path("x.dbo"));
    for (int i = 0; i < 600; ++i)
        AddRecord(doc, {"Berta"});
    doc.SetModifiedFlag();

    for (qint64 budget : {0, 8, 1384, 1395, 4000, 9000}) {
        scripted.clear();
        doc.SetSaveDeviceFilter([budget](QIODevice &file) { return std::make_unique<FailDevice>(file, budget); });
        EXPECT_FALSE(doc.Save(path("x.ovd"))) << budget;
        EXPECT_EQ(scripted.messageIds(), std::vector<int>{529}) << budget; // the disk was full
        EXPECT_EQ(ReadAll(path("x.ovd")), oldDatabase) << budget;
        EXPECT_EQ(ReadAll(path("x.dbo")), oldObjects) << budget;
        EXPECT_EQ(entries(), (QStringList{QStringLiteral("x.dbo"), QStringLiteral("x.ovd")})) << budget;
        EXPECT_TRUE(doc.IsModified());
        EXPECT_TRUE(doc.GetLock().isHeld());
        EXPECT_EQ(doc.GetLock().path(), path("x.ovd"));
    }

    // Save As that fails leaves a file the user kept at the chosen path.
    WriteAll(path("behalten.ovd"), "meins");
    scripted.queueFileName(path("behalten.ovd"));
    EXPECT_FALSE(doc.DoSave());
    EXPECT_EQ(ReadAll(path("behalten.ovd")), QByteArray("meins"));
    EXPECT_EQ(doc.GetPathName(), path("x.ovd"));

    doc.SetSaveDeviceFilter({});
    EXPECT_TRUE(doc.Save(path("x.ovd")));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(FileLock::IsHeldByAnother(path("x.ovd")));
}

// The data must be on the disk before the new file takes the old one's
// name: a flush that fails refuses the save and keeps the old files.
TEST_F(SaveTest, AFailedFlushKeepsTheOldFiles)
{
    COrvelDoc doc;
    MakeSaved(doc, "x.ovd");
    const QByteArray oldDatabase = ReadAll(path("x.ovd"));
    const QByteArray oldObjects = ReadAll(path("x.dbo"));
    AddRecord(doc, {"Berta"});
    doc.SetModifiedFlag();
    {
        ScopedSyncFailure failing;
        EXPECT_FALSE(doc.Save(path("x.ovd")));
    }
    EXPECT_FALSE(scripted.messageIds().empty());
    EXPECT_EQ(ReadAll(path("x.ovd")), oldDatabase);
    EXPECT_EQ(ReadAll(path("x.dbo")), oldObjects);
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("x.dbo"), QStringLiteral("x.ovd")}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.Save(path("x.ovd")));
    EXPECT_NE(ReadAll(path("x.ovd")), oldDatabase);

    // Without records only the database file is written and flushed.
    COrvelDoc empty;
    AddField(empty, "Name");
    ASSERT_TRUE(empty.Save(path("leer.ovd"), 1, true));
    const QByteArray oldEmpty = ReadAll(path("leer.ovd"));
    AddField(empty, "Ort");
    {
        ScopedSyncFailure failing;
        EXPECT_FALSE(empty.Save(path("leer.ovd")));
    }
    EXPECT_EQ(ReadAll(path("leer.ovd")), oldEmpty);
}

// Batch conversions may skip the flush for files that are new, never for a
// file that replaces one the user had.
TEST_F(SaveTest, WithoutSyncOnlyNewFilesSkipTheFlush)
{
    struct Restore
    {
        ~Restore() { CAtomicSave::SetSyncNewFiles(true); }
    } restore;
    CAtomicSave::SetSyncNewFiles(false);
    COrvelDoc doc;
    AddField(doc, "Name");
    AddRecord(doc, {"Anna"});
    {
        ScopedSyncFailure failing; // a flush would fail the save
        EXPECT_TRUE(doc.Save(path("neu.ovd")));
    }
    EXPECT_TRUE(QFile::exists(path("neu.ovd")));
    AddRecord(doc, {"Berta"});
    const QByteArray saved = ReadAll(path("neu.ovd"));
    {
        ScopedSyncFailure failing;
        EXPECT_FALSE(doc.Save(path("neu.ovd")));
    }
    EXPECT_EQ(ReadAll(path("neu.ovd")), saved);
}

TEST_F(SaveTest, FilesOfOtherDocumentsAreNotOverwritten)
{
    COrvelDoc owner;
    MakeSaved(owner, "x.ovd");
    const QByteArray before = ReadAll(path("x.ovd"));

    COrvelDoc other;
    AddField(other, "Fremd");
    EXPECT_FALSE(other.Save(path("x.ovd"), 1, true));
    ASSERT_EQ(scripted.messageIds(), std::vector<int>{525});
    EXPECT_TRUE(scripted.messages()[0].text.contains(path("x.ovd")));
    EXPECT_EQ(ReadAll(path("x.ovd")), before);

    // Its own file a document may save; after Save As elsewhere the lock
    // moves with it and the old file is free.
    EXPECT_TRUE(owner.Save(path("x.ovd")));
    scripted.queueFileName(path("y.ovd"));
    EXPECT_TRUE(owner.DoSave());
    EXPECT_EQ(owner.GetPathName(), path("y.ovd"));
    EXPECT_EQ(owner.GetLock().path(), path("y.ovd"));
    EXPECT_TRUE(other.Save(path("x.ovd"), 1, true));
}

TEST_F(SaveTest, NotEnoughSpaceForTheWorkingStoreRefusesTheSave)
{
    COrvelDoc doc;
    AddField(doc, "Notiz", FT_MEMO);
    AddRecord(doc, {StoreObject(doc, "Text", dir).c_str()});
    const FreeSpaceProbe previous = SetFreeSpaceProbe([](const QString &) { return std::optional<uint64_t>(0); });
    EXPECT_FALSE(doc.Save(path("voll.ovd"), 1, true));
    SetFreeSpaceProbe(previous);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{516, 61701}));
    EXPECT_TRUE(entries().isEmpty());
}

} // namespace

namespace {

// A document read for some fields only holds their values, keeps every
// record, and cannot be saved over the file whose other values it lacks.
TEST_F(SaveTest, ADocumentReadForSomeFieldsKeepsThoseAndCannotBeSaved)
{
    COrvelDoc doc;
    AddField(doc, "Name");
    AddField(doc, "Ort");
    AddField(doc, "Notiz");
    AddRecord(doc, {"Anna", "Bonn", "eins"});
    AddRecord(doc, {"Bernd", "Köln", "zwei"});
    ASSERT_TRUE(doc.Save(path("teil.ovd")));
    const QByteArray saved = ReadAll(path("teil.ovd"));

    COrvelDoc part;
    part.SetFieldsToLoad(0b101u);
    ASSERT_TRUE(part.Open(path("teil.ovd")));
    const CDataTable &table = part.GetTable();
    ASSERT_EQ(table.GetFieldCount(), 3);
    ASSERT_EQ(table.GetRecordCount(), 2);
    EXPECT_EQ(table.GetRecord(1)->GetRawValue(0), "Bernd");
    EXPECT_EQ(table.GetRecord(1)->GetRawValue(1), "");
    EXPECT_EQ(table.GetRecord(1)->GetRawValue(2), "zwei");
    EXPECT_FALSE(part.Save(path("teil.ovd")));
    EXPECT_FALSE(part.Save(path("anders.ovd")));
    EXPECT_EQ(ReadAll(path("teil.ovd")), saved);
    EXPECT_FALSE(QFile::exists(path("anders.ovd")));

    // Read for some records only, the same.
    struct SecondOnly : RecordFilter
    {
        void Prepare(const CDataTable &) override {}
        bool Keep(const AnsiView *values, int, AnsiString &) const override { return values[0] == "Bernd"; }
    } second;
    COrvelDoc some;
    some.SetRecordFilter(&second);
    ASSERT_TRUE(some.Open(path("teil.ovd")));
    ASSERT_EQ(some.GetTable().GetRecordCount(), 1);
    EXPECT_EQ(some.GetTable().GetRecord(0)->GetRawValue(2), "zwei");
    ASSERT_TRUE(some.GetKeptRecords());
    EXPECT_EQ(*some.GetKeptRecords(), std::vector<int>{1});
    EXPECT_FALSE(some.Save(path("teil.ovd")));
    EXPECT_EQ(ReadAll(path("teil.ovd")), saved);
}

} // namespace

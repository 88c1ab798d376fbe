#include "DocumentTestSupport.h"

#include "document/RecordImport.h"
#include "document/RecordStream.h"
#include "document/RecordTransfer.h"
#include "form/DrawEdit.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"
#include "table/Search.h"

using namespace orvel;
using namespace orvel::test;

namespace {

class RecordTransferTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        clipboardFile = path("KWZCLIP.TMP");
        WriteAll(clipboardFile, "vom letzten Mal");
    }

    std::string storeObject(COrvelDoc &doc, const QByteArray &bytes)
    {
        const QString source = path("objekt.tmp");
        WriteAll(source, bytes);
        return WriteObject(source, "", doc.GetWorkingStorePath());
    }

    QByteArray objectBytes(const COrvelDoc &doc, AnsiView reference)
    {
        const QString file = ReadObject(doc.GetWorkingStorePath(), reference);
        const QByteArray bytes = ReadAll(file);
        QFile::remove(file);
        return bytes;
    }

    // Name, Betrag (2 decimals), Datum, Notiz (memo), Foto (embedded picture).
    void makeSource(COrvelDoc &doc)
    {
        AddField(doc, "&Name");
        AddField(doc, "Betrag", FT_NUMERIC);
        doc.GetTable().SetFieldFormat(2, 1);
        AddField(doc, "Datum", FT_DATE);
        AddField(doc, "Notiz", FT_MEMO);
        AddField(doc, "Foto", FT_PICTURE);
        doc.CreateDefaultForm();
        doc.GetForm().FindDataField(4)->embedded = 1;
        for (const char *name : {"Anna", "Bernd", "Clara"}) {
            const std::string memo = storeObject(doc, QByteArray("Notiz von ") + name);
            const std::string picture = storeObject(doc, QByteArray("Bild von ") + name);
            AddRecord(doc, {name, "1234.5", "19961224", memo.c_str(), picture.c_str()});
        }
    }

    // What the copy-marked command writes: the records last to first.
    QByteArray copyRecords(const COrvelDoc &doc, std::initializer_list<int> lastFirst)
    {
        CRecordStreamOut stream(doc, int(lastFirst.size()), clipboardFile);
        for (int record : lastFirst)
            WriteRecordToStream(doc, record, stream);
        return stream.Finish();
    }

    QString clipboardFile;
};

TEST_F(RecordTransferTest, CopiedRecordsArriveInOrderWithTheirObjectsAndStoredValues)
{
    COrvelDoc source;
    makeSource(source);
    const QByteArray stream = copyRecords(source, {2, 1, 0});
    ASSERT_FALSE(stream.isEmpty());
    EXPECT_FALSE(ReadAll(clipboardFile).startsWith("vom letzten Mal")); // a new copy starts afresh

    // The header: lower-case plain names, types, embedded flags.
    recordstream::Reader reader(stream);
    ASSERT_TRUE(reader.ReadHeader());
    EXPECT_EQ(reader.RecordCount(), 3);
    ASSERT_EQ(reader.Fields().size(), 5u);
    EXPECT_EQ(reader.Fields()[0].name, "name");
    EXPECT_EQ(reader.Fields()[4].type, FT_PICTURE);
    EXPECT_EQ(reader.Fields()[4].embedded, 1);

    COrvelDoc target;
    makeSource(target);
    scripted.clear();
    // Pasted before the second record of the target.
    EXPECT_EQ(InsertRecordsFromStream(target, stream, 1, clipboardFile), 3);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{361});
    const CDataTable &table = target.GetTable();
    ASSERT_EQ(table.GetRecordCount(), 6);
    const char *expectedOrder[] = {"Anna", "Anna", "Bernd", "Clara", "Bernd", "Clara"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(table.GetRecord(i)->GetRawValue(0), expectedOrder[i]) << i;
    // Stored values survive a German locale unchanged.
    EXPECT_EQ(table.GetRecord(2)->GetRawValue(1), "1234.5");
    EXPECT_EQ(table.GetRecord(2)->GetRawValue(2), "19961224");
    // The objects are the target's own now.
    EXPECT_EQ(objectBytes(target, table.GetRecord(2)->GetRawValue(3)), QByteArray("Notiz von Bernd"));
    EXPECT_EQ(objectBytes(target, table.GetRecord(3)->GetRawValue(4)), QByteArray("Bild von Clara"));
    EXPECT_TRUE(target.IsModified());
}

TEST_F(RecordTransferTest, FieldsMatchByLowerCaseNameTypeAndPictureStorage)
{
    COrvelDoc source;
    makeSource(source);
    const QByteArray stream = copyRecords(source, {0});

    COrvelDoc target;
    AddField(target, "FOTO", FT_PICTURE); // linked pictures: references are no paths
    AddField(target, "betrag");           // a text field of the same name
    AddField(target, "NAME");
    AddField(target, "Name", FT_NUMERIC); // only the first match counts
    target.CreateDefaultForm();
    scripted.clear();
    ASSERT_EQ(InsertRecordsFromStream(target, stream, -1, clipboardFile), 1);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{362});
    const CDataRecord *record = target.GetTable().GetRecord(0);
    EXPECT_EQ(record->GetRawValue(0), "");
    EXPECT_EQ(record->GetRawValue(1), "");
    EXPECT_EQ(record->GetRawValue(2), "Anna");
    EXPECT_EQ(record->GetRawValue(3), "");
}

TEST_F(RecordTransferTest, AnObjectThatCannotBeReadEmptiesTheStream)
{
    COrvelDoc source;
    makeSource(source);
    AddRecord(source, {"Kaputt", "", "", "999999"});
    EXPECT_TRUE(copyRecords(source, {3, 0}).isEmpty());
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{513});
    EXPECT_EQ(ReadAll(clipboardFile), QByteArray());
}

TEST_F(RecordTransferTest, DamagedStreamsNeverReadBeyondTheirBytes)
{
    COrvelDoc source;
    makeSource(source);
    const QByteArray stream = copyRecords(source, {1, 0});
    COrvelDoc target;
    makeSource(target);

    // A stream cut anywhere inserts at most what it holds.
    for (qsizetype cut = 0; cut < stream.size(); cut += 7) {
        scripted.clear();
        const int before = target.GetTable().GetRecordCount();
        const int inserted = InsertRecordsFromStream(target, stream.left(cut), -1, clipboardFile);
        EXPECT_LE(inserted, 2);
        EXPECT_EQ(target.GetTable().GetRecordCount(), before + std::max(inserted, 0));
    }
    // Counts that the bytes cannot hold.
    QByteArray huge = stream;
    PutU32(huge, 0, 0x7FFFFFFF);
    EXPECT_EQ(InsertRecordsFromStream(target, huge, -1, clipboardFile), -1);
    PutU32(huge, 0, 2);
    PutU32(huge, 4, 0x40000000);
    EXPECT_EQ(InsertRecordsFromStream(target, huge, -1, clipboardFile), -1);
    EXPECT_TRUE(scripted.sawMessage(304));

    // Records without fields are refused, not inserted by the thousand.
    QByteArray noFields(8, '\0');
    PutU32(noFields, 0, 65537);
    const int before = target.GetTable().GetRecordCount();
    EXPECT_EQ(InsertRecordsFromStream(target, noFields, 0, clipboardFile), -1);
    EXPECT_EQ(target.GetTable().GetRecordCount(), before);
}

// A field name that claims one byte more than the stream still holds: every
// count before it is sound, only the name's length is not.
TEST(RecordStreamReader, ANameLongerThanTheBytesLeftIsRefused)
{
    QByteArray stream(12, '\0');
    PutU32(stream, 0, 0);  // records
    PutU32(stream, 4, 1);  // fields
    PutU32(stream, 8, 12); // the name's length
    stream += QByteArray(11, 'n');
    recordstream::Reader reader(stream);
    EXPECT_FALSE(reader.ReadHeader());

    // With its twelfth byte and the two integers after it, the name reads.
    stream += 'n' + QByteArray(8, '\0');
    recordstream::Reader whole(stream);
    ASSERT_TRUE(whole.ReadHeader());
    EXPECT_EQ(whole.Fields().at(0).name, AnsiString(12, 'n'));
}

TEST_F(RecordTransferTest, APasteFillsTheTableUpToItsLimit)
{
    // One text field "name", 30001 records, pasted before the first record.
    recordstream::Writer writer;
    writer.WriteHeader(30001, {recordstream::StreamField{"name", FT_TEXT, 0}});
    for (int i = 0; i < 30001; ++i)
        writer.WriteValue(i == 0 ? "letzter" : "x");
    COrvelDoc target;
    AddField(target, "Name");
    target.CreateDefaultForm();
    AddRecord(target, {"alt"});
    EXPECT_EQ(InsertRecordsFromStream(target, writer.Bytes(), 0, clipboardFile), 29999);
    EXPECT_TRUE(scripted.sawMessage(345));
    EXPECT_EQ(target.GetTable().GetRecordCount(), 30000);
    // The stream's first record (written last by a copy) ends up last.
    EXPECT_EQ(target.GetTable().GetRecord(29998)->GetRawValue(0), "letzter");
    EXPECT_EQ(target.GetTable().GetRecord(29999)->GetRawValue(0), "alt");
}

TEST_F(RecordTransferTest, InsertFromDatabaseKeepsTheSourceOrderBeforeTheCurrentRecord)
{
    COrvelDoc source;
    makeSource(source);
    AddField(source, "Ort", FT_NUMERIC); // same name, other type: skipped
    ASSERT_TRUE(source.Save(path("quelle.ovd"), 1, true));

    COrvelDoc target;
    AddField(target, "name");
    AddField(target, "NOTIZ", FT_MEMO);
    AddField(target, "Ort");
    target.CreateDefaultForm();
    AddRecord(target, {"Erster"});
    AddRecord(target, {"Zweiter"});
    scripted.clear();
    EXPECT_EQ(InsertFromDatabase(target, path("quelle.ovd"), 1), 3);
    ASSERT_EQ(scripted.messages().size(), 1u);
    EXPECT_EQ(scripted.messages()[0].id, 335);
    EXPECT_EQ(scripted.messages()[0].text, QStringLiteral("Es wurde(n) 3 von 3 Datensätzen eingefügt."));
    const CDataTable &table = target.GetTable();
    const char *order[] = {"Erster", "Anna", "Bernd", "Clara", "Zweiter"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(table.GetRecord(i)->GetRawValue(0), order[i]) << i;
    EXPECT_EQ(objectBytes(target, table.GetRecord(2)->GetRawValue(1)), QByteArray("Notiz von Bernd"));
    EXPECT_TRUE(target.IsModified());

    // A file that cannot be read inserts nothing and says why.
    scripted.clear();
    EXPECT_EQ(InsertFromDatabase(target, path("fehlt.ovd"), 0), -1);
    EXPECT_EQ(table.GetRecordCount(), 5);
}

TEST_F(RecordTransferTest, CopyMatchesMakesADatabaseOfTheHits)
{
    COrvelDoc source;
    makeSource(source);
    SearchSpec spec;
    spec.criterion1.field = 0;
    spec.criterion1.text = "r";

    COrvelDoc target;
    EXPECT_EQ(CopyMatches(source, spec, SL_NONE, target), 2); // Bernd, Clara
    EXPECT_EQ(scripted.messages().back().text, QStringLiteral("Es wurden 2 Datensätze kopiert."));
    const CDataTable &table = target.GetTable();
    ASSERT_EQ(table.GetFieldCount(), 5);
    EXPECT_EQ(table.GetFieldFormat(1), 2);
    EXPECT_TRUE(target.GetForm().IsPictureEmbedded(4));
    EXPECT_EQ(table.GetRecord(1)->GetRawValue(0), "Clara");
    EXPECT_EQ(objectBytes(target, table.GetRecord(1)->GetRawValue(4)), QByteArray("Bild von Clara"));

    spec.criterion1.text = "xyz";
    COrvelDoc none;
    EXPECT_EQ(CopyMatches(source, spec, SL_NONE, none), 0);
    EXPECT_EQ(scripted.messageIds().back(), 312);
    EXPECT_EQ(none.GetTable().GetFieldCount(), 0);
}

} // namespace

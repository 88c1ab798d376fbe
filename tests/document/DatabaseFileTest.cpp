#include "DocumentTestSupport.h"

#include "form/DrawEdit.h"
#include "table/FieldType.h"

using namespace orvel;
using namespace orvel::test;

namespace {

class DatabaseFileTest : public DocumentTest
{
protected:
    // Saves `doc` under a new name and opens the result in `loaded`.
    void RoundTrip(COrvelDoc &doc, COrvelDoc &loaded, const char *name = "rt.ovd")
    {
        ASSERT_TRUE(doc.Save(path(name), 1, true));
        ASSERT_TRUE(loaded.Open(path(name)));
    }
};

TEST_F(DatabaseFileTest, EmptyDatabaseIsHeaderAndEmptyFormOnly)
{
    COrvelDoc doc;
    ASSERT_TRUE(doc.Save(path("leer.ovd"), 1, true));
    const QByteArray file = ReadAll(path("leer.ovd"));
    ASSERT_EQ(file.size(), kFixed + 10);
    EXPECT_EQ(file.left(8), QByteArray("ORVEL0\x1A\0", 8));
    EXPECT_EQ(U16At(file, 8), 0x0560);
    EXPECT_EQ(U32At(file, kHdr + 0x000), 0u);
    EXPECT_EQ(U16At(file, kHdr + 0x004), 0);
    EXPECT_EQ(U32At(file, kHdr + 0x186), 0u); // no field to print
    // The defaults of a new document's page setup and its stock print font.
    EXPECT_EQ(U16At(file, kHdr + 0x180), 1);
    EXPECT_EQ(U16At(file, kHdr + 0x184), 9);
    EXPECT_EQ(U16At(file, kHdr + 0x18A), 0xFFF5); // -11
    EXPECT_EQ(U16At(file, kHdr + 0x192), 400);
    EXPECT_EQ(quint8(file[kHdr + 0x19B]), 34);
    EXPECT_EQ(file.mid(kHdr + 0x19C, 14), QByteArray("MS Sans Serif\0", 14));
    EXPECT_EQ(U16At(file, kHdr + 0x1BC), 1);
    EXPECT_EQ(U16At(file, kHdr + 0x3CC), 500);
    EXPECT_EQ(U32At(file, kHdr + 0x3CE), quint32(file.size()));
    EXPECT_EQ(file.mid(kHdr + 0x0C6, 186), QByteArray(186, '\0'));
    EXPECT_EQ(file.mid(kFixed), QByteArray("\xC0\xC0\xC0\x00\x00\x00\x00\x00\x00\x00", 10));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("leer.ovd")}); // no object file
}

TEST_F(DatabaseFileTest, FieldsPageSettingsAndRecordsRoundTrip)
{
    COrvelDoc doc;
    AddField(doc, "&Name");
    AddField(doc, "Betrag", FT_NUMERIC);
    AddField(doc, "Notiz", FT_MEMO);
    CDataTable &table = doc.GetTable();
    table.SetColumnWidth(31, 0);
    table.SetFieldFormat(2, 1);
    table.SetPrintFlag(0, 1);
    table.SetDefaultValue("Neu", 0);
    PageSettings &page = doc.GetPageSettings();
    page.marginLeft = 25;
    page.alignment = PageSettings::Centred;
    page.orientation = PageSettings::kLandscape;
    page.paperSource = 7;
    page.pageHeader = std::string(300, 'k'); // kept up to 254 bytes
    page.pageFooter = "Seite";
    page.printFont.lfHeight = -70000; // only 16 bits are kept
    const std::string longValue(255, '\xE4');
    AddRecord(doc, {longValue.c_str(), "12.5", ""});
    table.GetRecord(0)->SetRowHeight(3);

    COrvelDoc loaded;
    RoundTrip(doc, loaded);
    const CDataTable &t = loaded.GetTable();
    ASSERT_EQ(t.GetFieldCount(), 3);
    EXPECT_EQ(t.GetFieldName(0), "&Name");
    EXPECT_EQ(t.GetColumnWidth(0), 31);
    EXPECT_EQ(t.GetColumnWidth(2), 10);
    EXPECT_EQ(t.GetFieldType(1), FT_NUMERIC);
    EXPECT_EQ(t.GetFieldFormat(1), 2);
    EXPECT_EQ(t.GetPrintFlag(0), 1);
    EXPECT_EQ(t.GetPrintFlag(1), 0);
    EXPECT_EQ(t.GetDefaultValue(0), "Neu");
    ASSERT_EQ(t.GetRecordCount(), 1);
    EXPECT_EQ(t.GetRecord(0)->GetRawValue(0), longValue);
    EXPECT_EQ(t.GetRecord(0)->GetRawValue(1), "12.5");
    EXPECT_EQ(t.GetRecord(0)->GetRowHeight(), 3);
    EXPECT_EQ(t.GetRecord(0)->GetModificationTime(), 851385600u);

    PageSettings expected = page;
    expected.pageHeader.resize(254);
    expected.printFont.lfHeight = int16_t(-70000 & 0xFFFF);
    EXPECT_EQ(loaded.GetPageSettings(), expected);
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_EQ(loaded.GetPathName(), path("rt.ovd"));
}

TEST_F(DatabaseFileTest, BlocksOf501RecordsHaveTheirPositions)
{
    COrvelDoc doc;
    AddField(doc, "Nr");
    for (int i = 0; i < 501; ++i)
        AddRecord(doc, {std::to_string(i).c_str()});
    ASSERT_TRUE(doc.Save(path("b.ovd"), 1, true));
    const QByteArray file = ReadAll(path("b.ovd"));
    EXPECT_EQ(U32At(file, kHdr + 0x3CE), quint32(kFixed + 4 + 10 + 2));
    EXPECT_EQ(U32At(file, kHdr + 0x3CE + 4), quint32(file.size()));
    EXPECT_EQ(U32At(file, kHdr + 0x3CE + 8), 0u);

    // The reader follows the positions, not the byte order: a gap between
    // two blocks is skipped.
    AddRecord(doc, {"501"});
    ASSERT_TRUE(doc.Save(path("c.ovd"), 1, true));
    QByteArray gap = ReadAll(path("c.ovd"));
    const quint32 second = U32At(gap, kHdr + 0x3CE + 4);
    gap.insert(second, QByteArray("junk"));
    PutU32(gap, kHdr + 0x3CE + 4, second + 4);
    WriteAll(path("c.ovd"), gap);
    COrvelDoc loaded;
    ASSERT_TRUE(loaded.Open(path("c.ovd")));
    ASSERT_EQ(loaded.GetTable().GetRecordCount(), 502);
    EXPECT_EQ(loaded.GetTable().GetRecord(501)->GetRawValue(0), "501");
}

TEST_F(DatabaseFileTest, OldestVersionGetsAGeneratedFormAndIsSavedCurrent)
{
    WriteAll(path("alt.ovd"), BuildDatabase(0x055E, {{"Name"}, {"Bild", FT_PICTURE, 30}}, {{"Anna", ""}}));
    COrvelDoc doc;
    ASSERT_TRUE(doc.Open(path("alt.ovd")));
    EXPECT_EQ(doc.GetTable().GetColumnWidth(1), 10); // media fields are always 10 wide
    ASSERT_EQ(doc.GetForm().GetObjects().size(), 2u);
    const CDrawEdit *second = doc.GetForm().FindDataField(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->position.left, 5);
    EXPECT_EQ(second->position.right, 405);
    EXPECT_EQ(second->position.top, 20 + 2 * 19);
    EXPECT_EQ(second->position.bottom, 20 + 3 * 19);
    EXPECT_FALSE(doc.IsModified());

    ASSERT_TRUE(doc.Save(path("alt.ovd")));
    const QByteArray file = ReadAll(path("alt.ovd"));
    EXPECT_EQ(U16At(file, 8), 0x0560);
    COrvelDoc again;
    ASSERT_TRUE(again.Open(path("alt.ovd")));
    EXPECT_EQ(again.GetForm().GetObjects().size(), 2u);
    EXPECT_EQ(again.GetTable().GetRecord(0)->GetRawValue(0), "Anna");
}

TEST_F(DatabaseFileTest, VersionsOutsideTheCurrentOne)
{
    // Newer: opens, then warns.
    WriteAll(path("neu.ovd"), BuildDatabase(0x0561, {{"Name"}}, {{"x"}}));
    COrvelDoc newer;
    EXPECT_TRUE(newer.Open(path("neu.ovd")));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{506});

    // The placeholder of an unfinished save reads like the oldest version.
    scripted.clear();
    WriteAll(path("halb.ovd"), BuildDatabase(0x0001, {{"Name"}}, {{"x"}}));
    COrvelDoc placeholder;
    EXPECT_TRUE(placeholder.Open(path("halb.ovd")));
    EXPECT_EQ(placeholder.GetForm().GetObjects().size(), 1u);

    // The first program version's files get their own message.
    for (const char *start : {"Sorry, this is", "Orvel 1.0 Datei"}) {
        scripted.clear();
        WriteAll(path("v1.ovd"), QByteArray(start) + QByteArray(2000, 'x'));
        COrvelDoc old;
        EXPECT_FALSE(old.Open(path("v1.ovd")));
        ASSERT_EQ(scripted.messageIds(), std::vector<int>{351});
        EXPECT_TRUE(scripted.messages()[0].text.startsWith(path("v1.ovd")));
        EXPECT_EQ(scripted.messages()[0].icon, MsgIcon::Stop);
    }
}

// Files that no writer produces are refused as damaged, and the document
// stays empty.
TEST_F(DatabaseFileTest, DamagedFilesAreRefused)
{
    const QByteArray good = BuildDatabase(0x0560, {{"Name"}}, {{"x"}});
    const quint32 first = U32At(good, kHdr + 0x3CE);
    struct Case
    {
        const char *what;
        std::function<void(QByteArray &)> damage;
    };
    const std::vector<Case> cases = {
            {"not a database", [](QByteArray &f) { f = QByteArray("Hallo Welt"); }},
            {"cut inside the header", [](QByteArray &f) { f.truncate(500); }},
            {"cut inside a record", [](QByteArray &f) { f.chop(1); }},
            {"version below the oldest", [](QByteArray &f) { PutU16(f, 8, 0x0500); }},
            {"33 fields", [](QByteArray &f) { PutU16(f, kHdr + 0x004, 33); }},
            {"30001 records", [](QByteArray &f) { PutU32(f, kHdr + 0x000, 30001); }},
            {"block size 0", [](QByteArray &f) { PutU16(f, kHdr + 0x3CC, 0); }},
            {"more than 100 blocks",
             [](QByteArray &f) {
                 PutU16(f, kHdr + 0x3CC, 1);
                 PutU32(f, kHdr + 0x000, 250);
             }},
            {"records beyond the end", [](QByteArray &f) { PutU32(f, kHdr + 0x3CE, quint32(f.size() + 1)); }},
            {"records inside the header", [](QByteArray &f) { PutU32(f, kHdr + 0x3CE, 20); }},
            {"value of 256 bytes",
             [first](QByteArray &f) {
                 f.truncate(first + 6);
                 f += Counted(QByteArray(256, 'a'));
             }},
            {"name of 256 bytes", [](QByteArray &f) { PutU16(f, kFixed, 256); }},
            {"damaged form block", [](QByteArray &f) { PutU16(f, kFixed + 2 + 4 + 4, 1); }},
    };
    for (const Case &c : cases) {
        QByteArray file = good;
        c.damage(file);
        WriteAll(path("kaputt.ovd"), file);
        scripted.clear();
        COrvelDoc doc;
        EXPECT_FALSE(doc.Open(path("kaputt.ovd"))) << c.what;
        EXPECT_EQ(scripted.messageIds(), std::vector<int>{61700}) << c.what;
        EXPECT_EQ(doc.GetTable().GetFieldCount(), 0) << c.what;
        EXPECT_TRUE(doc.GetPathName().isEmpty()) << c.what;
    }
}

// Each check of the reader has a case that only it refuses: the bytes are
// all there, only the one thing is wrong.
TEST_F(DatabaseFileTest, EachCheckRefusesItsOwnDamage)
{
    struct Case
    {
        const char *what;
        QByteArray file;
    };
    std::vector<Case> cases;

    // Counted texts of 256 bytes, each with its bytes present.
    cases.push_back({"name of 256 bytes", BuildDatabase(0x0560, {{QByteArray(256, 'n')}}, {{"x"}})});
    {
        // The default value is the last counted text before the records.
        QByteArray file = BuildDatabase(0x0560, {{"Name"}}, {{"x"}});
        const quint32 first = U32At(file, kHdr + 0x3CE);
        file.remove(first - 2, 2);
        file.insert(first - 2, Counted(QByteArray(256, 'd')));
        PutU32(file, kHdr + 0x3CE, first + 256);
        cases.push_back({"default value of 256 bytes", file});
    }

    // 200 records in blocks of two: the 100th jump, right after the last
    // record, would need a 101st block position.
    {
        std::vector<std::vector<QByteArray>> records(200, std::vector<QByteArray>{"ab"});
        QByteArray file = BuildDatabase(0x0560, {{"Name"}}, records);
        const quint32 first = U32At(file, kHdr + 0x3CE);
        const quint32 recordSize = 6 + 2 + 2;
        PutU16(file, kHdr + 0x3CC, 1);
        for (quint32 block = 0; block < 100; ++block)
            PutU32(file, kHdr + 0x3CE + 4 * qsizetype(block), first + 2 * block * recordSize);
        cases.push_back({"a jump beyond the 100 block positions", file});
    }

    // 600 records whose second block claims to start back at the first: the
    // records are all there, but the second block would repeat the first.
    {
        std::vector<std::vector<QByteArray>> records(600, std::vector<QByteArray>{"ab"});
        QByteArray file = BuildDatabase(0x0560, {{"Name"}}, records);
        const quint32 first = U32At(file, kHdr + 0x3CE);
        PutU32(file, kHdr + 0x3CE + 4, first);
        cases.push_back({"a block that starts before the one before", file});
    }

    for (const Case &c : cases) {
        WriteAll(path("kaputt.ovd"), c.file);
        scripted.clear();
        COrvelDoc doc;
        EXPECT_FALSE(doc.Open(path("kaputt.ovd"))) << c.what;
        EXPECT_EQ(scripted.messageIds(), std::vector<int>{61700}) << c.what;
        EXPECT_EQ(doc.GetTable().GetRecordCount(), 0) << c.what;
    }

    // The same 200 records in blocks that the positions can describe read.
    std::vector<std::vector<QByteArray>> records(199, std::vector<QByteArray>{"ab"});
    QByteArray fits = BuildDatabase(0x0560, {{"Name"}}, records);
    const quint32 first = U32At(fits, kHdr + 0x3CE);
    PutU16(fits, kHdr + 0x3CC, 1);
    for (quint32 block = 0; block < 100; ++block)
        PutU32(fits, kHdr + 0x3CE + 4 * qsizetype(block), first + 2 * block * 10);
    WriteAll(path("passt.ovd"), fits);
    COrvelDoc doc;
    ASSERT_TRUE(doc.Open(path("passt.ovd")));
    EXPECT_EQ(doc.GetTable().GetRecordCount(), 199);
}

TEST_F(DatabaseFileTest, RelativePicturePaths)
{
    QDir(dir).mkpath(QStringLiteral("bilder"));
    const std::string picture = (dir + QStringLiteral("/bilder/a.bmp")).toStdString();
    auto makeDoc = [&](COrvelDoc &doc, int format) {
        AddField(doc, "Bild", FT_PICTURE);
        doc.GetTable().SetFieldFormat(format, 0);
        AddRecord(doc, {picture.c_str()});
    };
    auto storedValue = [&](const char *name) {
        const QByteArray file = ReadAll(path(name));
        const quint32 first = U32At(file, kHdr + 0x3CE);
        return file.mid(first + 8, U16At(file, first + 6));
    };

    // Option off, the field never had the bit: paths as entered.
    COrvelDoc plain;
    plain.SetOptionOverrides(RelativePaths(false));
    makeDoc(plain, 0);
    ASSERT_TRUE(plain.Save(path("a.ovd"), 1, true));
    EXPECT_EQ(storedValue("a.ovd"), QByteArray::fromStdString(picture));
    EXPECT_EQ(plain.GetTable().GetFieldFormat(0), 0);

    // Option on: the bit is set and kept in the table, the path is stored
    // relative and read back absolute.
    COrvelDoc relative;
    relative.SetOptionOverrides(RelativePaths(true));
    makeDoc(relative, 0);
    ASSERT_TRUE(relative.Save(path("b.ovd"), 1, true));
    EXPECT_EQ(relative.GetTable().GetFieldFormat(0), 2);
    EXPECT_EQ(storedValue("b.ovd"), QByteArray("bilder/a.bmp"));
    COrvelDoc loaded;
    ASSERT_TRUE(loaded.Open(path("b.ovd")));
    EXPECT_EQ(loaded.GetTable().GetRecord(0)->GetRawValue(0), picture);

    // Option off again: a field that had the bit keeps writing relative paths.
    loaded.SetOptionOverrides(RelativePaths(false));
    ASSERT_TRUE(loaded.Save(path("c.ovd"), 1, true));
    EXPECT_EQ(storedValue("c.ovd"), QByteArray("bilder/a.bmp"));

    // An embedded picture's value is an object reference, never a path.
    COrvelDoc embedded;
    embedded.SetOptionOverrides(RelativePaths(true));
    AddField(embedded, "Foto", FT_PICTURE);
    embedded.CreateDefaultForm();
    embedded.GetForm().FindDataField(0)->embedded = 1;
    AddRecord(embedded, {"10"});
    ASSERT_TRUE(embedded.Save(path("d.ovd")));
    EXPECT_EQ(storedValue("d.ovd"), QByteArray("10"));
    COrvelDoc reopened;
    ASSERT_TRUE(reopened.Open(path("d.ovd")));
    EXPECT_EQ(reopened.GetTable().GetRecord(0)->GetRawValue(0), "10");
}

} // namespace

#include "DocumentTestSupport.h"

#include "document/RecordImport.h"
#include "exchange/DbaseTestSupport.h"
#include "media/MemoStore.h"
#include "platform/Clock.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"

#include <QTimeZone>

using namespace orvel;
using namespace orvel::test;

namespace {

class DbaseDocument : public DocumentTest
{};

// A dBASE III memo file with one text in block 1.
QByteArray Dbase3Memo(const QByteArray &text)
{
    QByteArray memo(512, '\0');
    memo[0] = 2;
    return memo + (text + "\x1A\x1A").leftJustified(512, '\0');
}

// Opening a table reads the memo file beside it, whatever the case of its
// extension, into the document's own object store: the texts outlive the
// memo file and go into the database when it is saved.
TEST_F(DbaseDocument, MemoTextsComeFromTheMemoFileBesideTheTable)
{
    const std::vector<DbaseFieldSpec> fields = {{"NAME", 'C', 6}, {"NOTIZ", 'M', 10}};
    const QByteArray records = DbaseRecord(fields, {"Anna", "         1"}) + DbaseRecord(fields, {"Bernd", ""});
    WriteAll(path("KUNDEN.DBF"), DbaseFile(fields, records, 2, char(0x83)));
    WriteAll(path("KUNDEN.dbt"), Dbase3Memo("Erste Zeile\r\nzweite Zeile"));

    COrvelDoc doc;
    ASSERT_TRUE(doc.Open(path("KUNDEN.DBF")));
    EXPECT_TRUE(scripted.messages().empty());
    ASSERT_EQ(doc.GetTable().GetFieldType(1), FT_MEMO);
    EXPECT_EQ(ReadMemo(doc.GetWorkingStorePath(), doc.GetTable().GetRecord(0)->GetRawValue(1)),
              AnsiString("Erste Zeile\r\nzweite Zeile"));
    EXPECT_EQ(doc.GetTable().GetRecord(1)->GetRawValue(1), "");

    QFile::remove(path("KUNDEN.dbt"));
    ASSERT_TRUE(doc.Save(path("kunden.ovd"), 1, true));
    COrvelDoc database;
    ASSERT_TRUE(database.Open(path("kunden.ovd")));
    EXPECT_EQ(ReadMemo(database.GetWorkingStorePath(), database.GetTable().GetRecord(0)->GetRawValue(1)),
              AnsiString("Erste Zeile\r\nzweite Zeile"));
}

// Writing the table back as dBASE or SDF names the memo fields those formats
// cannot hold.
TEST_F(DbaseDocument, ExportsNameTheMemoFieldsTheyLeaveOut)
{
    const std::vector<DbaseFieldSpec> fields = {{"NAME", 'C', 6}, {"NOTIZ", 'M', 10}};
    WriteAll(path("K.DBF"), DbaseFile(fields, DbaseRecord(fields, {"Anna", "         1"}), 1, char(0x83)));
    WriteAll(path("K.DBT"), Dbase3Memo("Text"));
    COrvelDoc doc;
    ASSERT_TRUE(doc.Open(path("K.DBF")));
    for (const char *name : {"aus.dbf", "aus.sdf"}) {
        scripted.clear();
        ASSERT_TRUE(doc.Save(path(name), 0, true)) << name;
        EXPECT_EQ(scripted.messageIds(), std::vector<int>{567}) << name;
    }
    scripted.clear();
    ASSERT_TRUE(doc.Save(path("k.ovd"), 1, true));
    EXPECT_TRUE(scripted.messages().empty());
}

// Inserting from a table keeps its deleted records marked, as opening does.
TEST_F(DbaseDocument, InsertedDeletedRecordsStayMarked)
{
    const std::vector<DbaseFieldSpec> fields = {{"NAME", 'C', 6}};
    WriteAll(path("alt.dbf"),
             DbaseFile(fields, DbaseRecord(fields, {"Anna"}) + DbaseRecord(fields, {"Bernd"}, '*'), 2));
    COrvelDoc doc;
    AddField(doc, "Name");
    AddRecord(doc, {"Clara"});
    ASSERT_EQ(InsertFromDatabase(doc, path("alt.dbf"), 0), 2);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{566, 335}));
    const CDataTable &table = doc.GetTable();
    ASSERT_EQ(table.GetRecordCount(), 3);
    EXPECT_EQ(table.GetRecord(1)->GetRawValue(0), "Bernd");
    EXPECT_TRUE(table.GetRecord(1)->IsMarked());
    EXPECT_EQ(table.GetMarkedCount(), 1);
}

// A refused version says which it is, and only that.
TEST_F(DbaseDocument, ARefusedVersionIsNamedOnce)
{
    const std::vector<DbaseFieldSpec> fields = {{"NAME", 'C', 6}};
    WriteAll(path("neu.dbf"), DbaseFile(fields, DbaseRecord(fields, {"Anna"}), 1, 0x04));
    COrvelDoc doc;
    EXPECT_FALSE(doc.Open(path("neu.dbf")));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{565});
    EXPECT_EQ(doc.GetTable().GetFieldCount(), 0);
}

// dBASE → database → dBASE keeps every value of Windows-1252 character,
// numeric, date and logical fields.
TEST_F(DbaseDocument, ValuesSurviveDbaseDatabaseDbase)
{
    const std::vector<DbaseFieldSpec> fields = {
            {"NAME", 'C', 30}, {"BETRAG", 'N', 10, 2}, {"MENGE", 'N', 5}, {"DATUM", 'D', 8}, {"OK", 'L', 1}};
    QByteArray all;
    for (int b = 0x20; b < 0x100; ++b)
        all += char(b);
    std::vector<std::vector<QByteArray>> rows = {
            {"M\xFC\x6Cler \x80 \x84Zitat\x93", "   1234.50", "   -3", "19961224", "T"},
            {"", "", "", "", ""},
            {"\xDF\xE4\xF6\xFC\xC4\xD6\xDC", "      0.01", "99999", "20260101", "F"}};
    for (int offset = 0; offset < all.size(); offset += 30)
        rows.push_back({all.mid(offset, 30), "     -0.50", "    7", "19000101", "?"});
    QByteArray records;
    for (const auto &row : rows)
        records += DbaseRecord(fields, row);
    QByteArray original = DbaseFile(fields, records, quint32(rows.size()));
    original[29] = 0x03; // Windows-1252
    WriteAll(path("a.dbf"), original);

    DocumentOptionOverrides ansi;
    ansi.dbfCharSet = 1;
    COrvelDoc imported;
    imported.SetOptionOverrides(ansi);
    ASSERT_TRUE(imported.Open(path("a.dbf")));
    ASSERT_TRUE(imported.Save(path("a.ovd"), 1, true));
    COrvelDoc database;
    database.SetOptionOverrides(ansi);
    ASSERT_TRUE(database.Open(path("a.ovd")));
    ASSERT_TRUE(database.Save(path("b.dbf"), 0, true));
    COrvelDoc again;
    again.SetOptionOverrides(ansi);
    ASSERT_TRUE(again.Open(path("b.dbf")));

    const CDataTable &first = imported.GetTable();
    const CDataTable &last = again.GetTable();
    ASSERT_EQ(last.GetFieldCount(), 5);
    ASSERT_EQ(last.GetRecordCount(), int(rows.size()));
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(last.GetFieldType(k), first.GetFieldType(k)) << k;
        EXPECT_EQ(last.GetFieldFormat(k), first.GetFieldFormat(k)) << k;
        for (int i = 0; i < last.GetRecordCount(); ++i)
            EXPECT_EQ(last.GetRecord(i)->GetRawValue(k), first.GetRecord(i)->GetRawValue(k)) << i << "," << k;
    }
    EXPECT_EQ(first.GetRecord(0)->GetRawValue(0), "M\xFC\x6Cler \x80 \x84Zitat\x93");
    EXPECT_EQ(first.GetRecord(0)->GetRawValue(1), "1234.50");
}

} // namespace

namespace {

// What a database file converted from a dBASE file looks like, and what the
// user was told on the way, read into a table first or streamed.
struct Conversion
{
    QByteArray bytes;
    QStringList messages;
    bool streamed = false;
};

} // namespace

class StreamedConversion : public DbaseDocument
{
protected:
    Conversion convert(const char *dbf, bool stream)
    {
        const ScopedFixedTime fixed(QDateTime(QDate(2026, 12, 8), QTime(9, 30), QTimeZone::utc()));
        scripted.clear();
        DocumentOptionOverrides dos;
        dos.dbfCharSet = 0;
        Conversion result;
        COrvelDoc doc;
        doc.SetOptionOverrides(dos);
        doc.SetStreamRecords(stream);
        const QString target = path(stream ? "strom.ovd" : "tabelle.ovd");
        EXPECT_TRUE(doc.Open(path(dbf)));
        result.streamed = doc.HasRecordStream();
        EXPECT_TRUE(doc.Save(target, 1, true));
        // The records are in the file only: the document cannot be saved again.
        if (stream && result.streamed) {
            EXPECT_FALSE(doc.Save(path("nochmal.ovd"), 1, true));
        }
        result.bytes = ReadAll(target);
        for (const auto &message : scripted.messages())
            result.messages.append(message.text);
        return result;
    }

    // Converts both ways and compares; returns what streaming said.
    QStringList sameBothWays(const char *dbf, bool streams = true)
    {
        const Conversion table = convert(dbf, false);
        const Conversion stream = convert(dbf, true);
        EXPECT_EQ(stream.streamed, streams);
        EXPECT_EQ(stream.bytes, table.bytes);
        EXPECT_EQ(stream.messages, table.messages);
        return stream.messages;
    }

    // Records of every kind of value: blanks after text, DOS characters that
    // Windows-1252 cannot hold, numbers, dates, binary numbers; every
    // seventh record deleted.
    static QByteArray records(const std::vector<DbaseFieldSpec> &fields, int count)
    {
        QByteArray bytes;
        for (int i = 0; i < count; ++i) {
            QByteArray integer(4, '\0');
            PutLe(integer, 0, quint32(i * 7919 - 500000), 4);
            const QByteArray name = QByteArray("M\x81ller ") + QByteArray::number(i) + (i % 5 == 0 ? "\xC4\xC4" : "");
            bytes += DbaseRecord(fields,
                                 {name, QByteArray::number(i % 1000) + ".25", QByteArray::number(i) + ".125",
                                  QByteArray("2026") + QByteArray::number(1001 + i % 300).right(4), i % 2 ? "T" : "F",
                                  integer, i % 3 ? "" : "   "},
                                 i % 7 == 3 ? '*' : ' ');
        }
        return bytes;
    }
    const std::vector<DbaseFieldSpec> fields = {{"NAME", 'C', 24}, {"BETRAG", 'N', 8, 2}, {"MASS", 'F', 10, 3},
                                                {"DATUM", 'D', 8}, {"OK", 'L', 1},        {"ZAHL", 'I', 4},
                                                {"LEER", 'C', 3}};
};

// A conversion into a database file that streams its records writes the
// bytes that reading them into the table and saving writes, and tells the
// same: deleted records, lost characters, a file that ends early at its end
// marker or in the middle of a record, more records than a table holds.
// Enough records that they are read on several threads.
TEST_F(StreamedConversion, StreamingWritesWhatReadingAndSavingWrites)
{
    WriteAll(path("ganz.dbf"), DbaseFile(fields, records(fields, 9000), 9000));
    QStringList said = sameBothWays("ganz.dbf");
    EXPECT_EQ(said.size(), 2);

    QByteArray marked = records(fields, 9000);
    const qsizetype recordSize = marked.size() / 9000;
    marked[4000 * recordSize] = '\x1A';
    WriteAll(path("ende.dbf"), DbaseFile(fields, marked, 9000));
    said = sameBothWays("ende.dbf");
    EXPECT_TRUE(said.join(QString()).contains(QStringLiteral("4000 von 9000")))
            << said.join(QLatin1Char('\n')).toStdString();

    WriteAll(path("kurz.dbf"),
             DbaseFile(fields, records(fields, 9000), 9000).left(32 * 7 + 33 + 6500 * recordSize + 9));
    said = sameBothWays("kurz.dbf");
    EXPECT_TRUE(said.join(QString()).contains(QStringLiteral("6500 von 9000")));

    const std::vector<DbaseFieldSpec> one = {{"N", 'C', 2}};
    QByteArray many;
    for (int i = 0; i < kMaxRecords + 5; ++i)
        many += DbaseRecord(one, {QByteArray::number(i % 100)});
    WriteAll(path("viele.dbf"), DbaseFile(one, many, quint32(kMaxRecords + 5)));
    said = sameBothWays("viele.dbf");
    EXPECT_FALSE(said.isEmpty());

    WriteAll(path("leer.dbf"), DbaseFile(fields, QByteArray(), 0));
    sameBothWays("leer.dbf");
}

// Memo texts are stored once every block number is known: a table with memo
// fields is read whole, as before.
TEST_F(StreamedConversion, ATableWithMemosIsReadWhole)
{
    const std::vector<DbaseFieldSpec> memoFields = {{"NAME", 'C', 6}, {"NOTIZ", 'M', 10}};
    WriteAll(path("MEMO.DBF"), DbaseFile(memoFields, DbaseRecord(memoFields, {"Anna", "         1"}), 1, char(0x83)));
    WriteAll(path("MEMO.DBT"), Dbase3Memo("Text"));
    sameBothWays("MEMO.DBF", false);
}

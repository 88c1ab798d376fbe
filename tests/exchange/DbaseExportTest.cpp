#include "DbaseTestSupport.h"
#include "TextExportTestSupport.h"

#include "exchange/DbaseFieldName.h"
#include "platform/Clock.h"
#include "platform/ScriptedServices.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"
#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using namespace orvel;
using namespace orvel::test;

namespace {

int AddField(CDataTable &table, const char *name, int type = FT_TEXT, int format = 0)
{
    const int pos = table.InsertField(name);
    table.SetFieldType(type, pos);
    table.SetFieldFormat(format, pos);
    return pos;
}

QByteArray DescriptorName(const QByteArray &file, int k)
{
    const QByteArray name = file.mid(32 + 32 * k, 11);
    return name.left(name.indexOf('\0'));
}

class DbaseExport : public testing::Test
{
protected:
    ScriptedServices services;
    ScopedServices scope{&services};
    ScopedFixedTime time{QDateTime(QDate(2026, 12, 7), QTime(12, 0), QTimeZone::utc())};
    CDataTable table;
};

} // namespace

TEST_F(DbaseExport, WritesTheDocumentedLayout)
{
    AddField(table, "Name");
    AddField(table, "Betrag", FT_NUMERIC, 2);
    AddField(table, "Bild", FT_PICTURE);
    AddField(table, "Datum", FT_DATE);
    AddRow(table, {"M\xFCller", "12.5", "foto.png", "19961224"});
    AddRow(table, {"\xD6z", "-3", "", ""});
    auto progress = services.beginProgress(0, 0, 0);
    services.clear();
    int result = 0;
    const QByteArray file = ExportBytes(table, ExchangeCharSet::Dos, &result, progress.get());
    ASSERT_EQ(result, 1);

    // Widths: the longest value plus 2 where the dBASE length is shorter
    // (0 here), dates 8; numbers right-aligned.
    const QDate today = Clock::TodayLocal();
    QByteArray expected(32, '\0');
    expected[0] = 3;
    expected[1] = char(today.year() - 1900);
    expected[2] = char(today.month());
    expected[3] = char(today.day());
    PutLe(expected, 4, 2, 4);
    PutLe(expected, 8, 32 * 3 + 33, 2);
    PutLe(expected, 10, 1 + 8 + 6 + 8, 2);
    expected += DbaseDescriptor("NAME", 'C', 8) + DbaseDescriptor("BETRAG", 'N', 6, 2)
                + DbaseDescriptor("DATUM", 'D', 8) + '\x0D';
    expected += QByteArray(" M\x81ller    12.519961224") + QByteArray(" \x99z          -3        ") + '\x1A';
    EXPECT_EQ(file.toHex(' '), expected.toHex(' '));

    EXPECT_EQ(table.GetFieldName(0), "NAME");
    EXPECT_EQ(table.GetFieldName(2), "Bild");
    EXPECT_TRUE(table.IsModified());
    EXPECT_TRUE(services.messages().empty());
    ASSERT_EQ(services.progress().size(), 3u);
    EXPECT_EQ(services.progress()[0].a, 409);
    EXPECT_EQ(services.progress()[1].b, 2);
    EXPECT_EQ(services.progress()[2].a, 2);
}

TEST_F(DbaseExport, FieldNamesFollowTheDbaseRules)
{
    for (const char *name :
         {"&Stra\337e 1", "1. Wert", "Kundennummer1", "Kundennummer2", "Stra\337enname1", "Stra\337enname2", ""})
        AddField(table, name);
    EXPECT_EQ(GetDbaseFieldName(table, 0, ExchangeCharSet::Ansi), "STRAE1");
    EXPECT_EQ(GetDbaseFieldName(table, 0, ExchangeCharSet::Dos), "STRA\341E1");

    int result = 0;
    const QByteArray file = ExportBytes(table, ExchangeCharSet::Dos, &result);
    ASSERT_EQ(result, 1);
    const std::vector<QByteArray> written = {"STRA\341E1", "XWERT", "KUNDENNUMM", "F04", "STRA\341ENNAM", "F06", "F07"};
    const std::vector<AnsiString> renamed = {"STRA\337E1", "XWERT", "KUNDENNUMM", "F04", "STRA\337ENNAM", "F06", "F07"};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(DescriptorName(file, k), written[std::size_t(k)]) << k;
        EXPECT_EQ(table.GetFieldName(k), renamed[std::size_t(k)]) << k;
    }
}

// Another field's name takes part in the check with its first 10
// characters, as the name it would get: two long names alike in those are
// told apart even before either has been renamed.
TEST_F(DbaseExport, NamesAlikeInTheirFirstTenCharactersClash)
{
    AddField(table, "KUNDENNUMMER1");
    AddField(table, "KUNDENNUMMER2");
    AddField(table, "KUNDE");
    EXPECT_EQ(GetDbaseFieldName(table, 0, ExchangeCharSet::Ansi), "F01");
    EXPECT_EQ(GetDbaseFieldName(table, 1, ExchangeCharSet::Ansi), "F02");
    EXPECT_EQ(GetDbaseFieldName(table, 2, ExchangeCharSet::Ansi), "KUNDE");
}

TEST_F(DbaseExport, NothingToWriteWithoutDataFields)
{
    AddField(table, "Foto", FT_PICTURE);
    AddField(table, "Notiz", FT_MEMO);
    AddRow(table, {"a.png", "x"});
    table.SetModified(false);
    int result = -1;
    EXPECT_TRUE(ExportBytes(table, ExchangeCharSet::Ansi, &result).isEmpty());
    EXPECT_EQ(result, 0);
    EXPECT_EQ(services.messageIds(), std::vector<int>{518});
    EXPECT_EQ(table.GetFieldName(0), "Foto");
    EXPECT_FALSE(table.IsModified());
}

TEST_F(DbaseExport, WithoutRecordsFieldsKeepTheirDbaseLength)
{
    AddField(table, "Neu");
    table.SetDbaseLength(5, AddField(table, "Zahl", FT_NUMERIC));
    AddField(table, "Datum", FT_DATE);
    const QByteArray file = ExportBytes(table);
    ASSERT_EQ(file.size(), 32 + 3 * 32 + 1 + 1);
    // A new text field has no dBASE length, but no field is 0 bytes wide.
    EXPECT_EQ(file[16 + 32], 1);
    EXPECT_EQ(file[16 + 64], 5);
    EXPECT_EQ(file[10], 1 + 1 + 5 + 8);
    EXPECT_EQ(file[16 + 96], 8);
    EXPECT_EQ(file.right(2), QByteArray("\x0D\x1A"));
}

// Fields are never wider than 254 bytes; longer values (and dates longer
// than 8) lose their end, and message 524 names their fields.
TEST_F(DbaseExport, OverlongValuesAreCutAndReported)
{
    AddField(table, "Lang");
    table.SetDbaseLength(255, AddField(table, "Kurz"));
    AddField(table, "Datum", FT_DATE);
    const AnsiString longValue = AnsiString(254, 'a') + "b";
    AddRow(table, {longValue.c_str(), "kurz", "199612240"});
    const QByteArray file = ExportBytes(table);

    EXPECT_EQ(quint8(file[16 + 32]), 254);
    EXPECT_EQ(quint8(file[16 + 64]), 254);
    const QByteArray record = file.mid(32 + 3 * 32 + 1, 1 + 254 + 254 + 8);
    EXPECT_EQ(record.mid(1, 254), QByteArray(254, 'a'));
    EXPECT_EQ(record.mid(1 + 254, 4), QByteArray("kurz"));
    EXPECT_EQ(record.right(8), QByteArray("19961224"));
    ASSERT_EQ(services.messageIds(), std::vector<int>{524});
    EXPECT_TRUE(services.messages()[0].text.endsWith(QStringLiteral("\n\nLANG\nDATUM")));
}

TEST_F(DbaseExport, AWriteErrorFailsTheExport)
{
    AddField(table, "Name");
    for (int i = 0; i < 50000 / 8; ++i)
        AddRow(table, {"Eintrag"});
    for (const qint64 capacity : {qint64(0), qint64(100), qint64(40000)}) {
        CappedDevice device(capacity);
        EXPECT_EQ(ExportDbase(table, device, ExchangeCharSet::Ansi, nullptr), 0) << capacity;
    }
}

// What is written reads back as it was, umlauts included.
TEST_F(DbaseExport, RoundTrip)
{
    AddField(table, "Stra\337e");
    AddField(table, "Preis", FT_NUMERIC, 2);
    AddField(table, "Datum", FT_DATE);
    AddRow(table, {"Hauptstra\337e 5", "1234.56", "20240229"});
    AddRow(table, {"", "-0.5", ""});
    AddRow(table, {"\xC4rger \374ber \xD6l", "", "19000101"});
    for (const ExchangeCharSet charSet : {ExchangeCharSet::Dos, ExchangeCharSet::Ansi}) {
        const QByteArray file = ExportBytes(table, charSet);
        CDataTable back;
        ASSERT_EQ(ImportBytes(back, file, charSet), 1);
        ASSERT_EQ(back.GetFieldCount(), 3);
        ASSERT_EQ(back.GetRecordCount(), 3);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(back.GetFieldName(k), table.GetFieldName(k));
            EXPECT_EQ(back.GetFieldType(k), table.GetFieldType(k));
            EXPECT_EQ(back.GetFieldFormat(k), table.GetFieldFormat(k));
            for (int r = 0; r < 3; ++r)
                EXPECT_EQ(back.GetRecord(r)->GetRawValue(k), table.GetRecord(r)->GetRawValue(k)) << r << k;
        }
    }
    EXPECT_TRUE(services.messages().empty());
}

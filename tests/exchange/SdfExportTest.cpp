#include "SdfTestSupport.h"
#include "TextExportTestSupport.h"

#include "exchange/SdfExport.h"

using namespace orvel;
using namespace orvel::test;

namespace {

class SdfExportTest : public TextExportTest
{
protected:
    QByteArray ExportSdfBytes(ExchangeCharSet charSet = ExchangeCharSet::Ansi)
    {
        return Export([&](QIODevice &out) { return ExportSdf(table, out, charSet, nullptr); });
    }
};

TEST_F(SdfExportTest, DataFieldsWithDisplayValues)
{
    MakeAddressTable();
    AddField("Betrag", FT_NUMERIC, 2);
    AddField("Datum", FT_DATE, 2);
    table.GetRecord(0)->SetRawValue("1234.5", 3);
    table.GetRecord(0)->SetRawValue("19961224", 4);
    EXPECT_EQ(ExportSdfBytes(), QByteArray("\"M\xFCller\",\"K\xF6ln\",\"1.234,50\",\"24.12.1996\"\r\n"
                                           "\"\",\"Bonn\",\"\",\"\"\r\n"));
}

TEST_F(SdfExportTest, DelimitersDoubledAndDosConversion)
{
    AddField("Name");
    AddField("Ort");
    AddRow({"Sagt \"ja\"", "Gr\xFC\xDF\x65;n"});
    table.SetSdfDelimiters(';', '"');
    // In code page 850 ü is 0x81 and ß 0xE1; the delimiters stay as set.
    EXPECT_EQ(ExportSdfBytes(ExchangeCharSet::Dos), QByteArray("\"Sagt \"\"ja\"\"\";\"Gr\x81\xE1\x65;n\"\r\n"));
}

TEST_F(SdfExportTest, RoundTripThroughTheImport)
{
    MakeAddressTable();
    AddRow({"tab\there", "", "x\"\"y"});
    const QByteArray bytes = ExportSdfBytes(ExchangeCharSet::Dos);
    CDataTable imported;
    ASSERT_EQ(ImportSdfBytes(imported, bytes.constData(), std::size_t(bytes.size()), ExchangeCharSet::Dos, nullptr), 1);
    EXPECT_EQ(TableRows(imported), (Rows{{"M\xFCller", "K\xF6ln"}, {"", "Bonn"}, {"tab        \there", "x\"\"y"}}));
}

// A file written by the program, read and written again, keeps its bytes:
// the blanks the import puts before a TAB do not go out again.
TEST_F(SdfExportTest, WrittenReadAndWrittenAgainKeepsTheBytes)
{
    AddField("Name");
    AddField("Notiz");
    AddRow({"a\tb", "\t"});
    AddRow({"x        \ty\t\tz", "1234567\t"});
    for (auto charSet : {ExchangeCharSet::Ansi, ExchangeCharSet::Dos}) {
        const QByteArray written = ExportSdfBytes(charSet);
        QByteArray again = written;
        for (int round = 0; round < 3; ++round) {
            CDataTable imported;
            ASSERT_EQ(ImportSdfBytes(imported, again.constData(), std::size_t(again.size()), charSet, nullptr), 1);
            EXPECT_EQ(imported.GetRecord(0)->GetRawValue(0), "a        \tb");
            again = Export([&](QIODevice &out) { return ExportSdf(imported, out, charSet, nullptr); });
            EXPECT_EQ(again, written) << round;
        }
    }
}

TEST_F(SdfExportTest, ProgressAndWriteFailure)
{
    AddField("Name");
    for (int i = 0; i < 700; ++i)
        AddRow({"Eintrag"});
    auto box = scripted.beginProgress(0, 0, 0);
    scripted.clear();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_EQ(ExportSdf(table, buffer, ExchangeCharSet::Ansi, box.get()), 1);
    const ProgressSeen seen = SeenProgress(scripted);
    EXPECT_EQ(seen.caption, 410);
    EXPECT_EQ(seen.high, 700);
    EXPECT_EQ(seen.positions, (std::vector<int>{0, 300, 600}));

    CappedDevice full(100);
    EXPECT_EQ(ExportSdf(table, full, ExchangeCharSet::Ansi, nullptr), 0);
}

} // namespace

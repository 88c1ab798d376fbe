#include "TextExportTestSupport.h"

#include "exchange/MergeTextExport.h"

using namespace orvel;
using namespace orvel::test;

namespace {

class MergeTextExportTest : public TextExportTest
{
protected:
    QByteArray ExportMergeBytes()
    {
        return Export([&](QIODevice &out) { return ExportMergeText(table, out, nullptr); });
    }
};

TEST_F(MergeTextExportTest, HeaderOfMergeNamesThenValues)
{
    MakeAddressTable();
    AddField("Datum", FT_DATE, 2);
    AddRow({"a;b", "", "", "19961224"});
    // Bild is no data field; the empty first value still gets its ";".
    EXPECT_EQ(ExportMergeBytes(), QByteArray("Name;Ort;Datum\r\n"
                                             "M\xFCller;K\xF6ln;\r\n"
                                             ";Bonn;\r\n"
                                             "a;b;;24.12.1996\r\n"));
}

TEST_F(MergeTextExportTest, MergeNamesSpellOutUmlauts)
{
    AddField("&Gr\xF6\xDF\x65");
    AddField("\xC4\xD6\xDC\xE4\xF6\xFC\xDF \xE9&&");
    AddField("");
    EXPECT_EQ(GetMergeFieldName(table, 0), "Groesse");
    EXPECT_EQ(GetMergeFieldName(table, 1), "AEOEUEaeoeuess \xE9&");
    EXPECT_EQ(GetMergeFieldName(table, 2), "");
    EXPECT_EQ(ExportMergeBytes(), QByteArray("Groesse;AEOEUEaeoeuess \xE9&;\r\n"));
}

TEST_F(MergeTextExportTest, WriteFailureEndsTheExport)
{
    AddField("Name");
    for (int i = 0; i < 20000; ++i)
        AddRow({"Eintrag mit etwas Text"});
    CappedDevice full(4096);
    auto box = scripted.beginProgress(0, 0, 0);
    scripted.clear();
    EXPECT_EQ(ExportMergeText(table, full, box.get()), 0);
    EXPECT_EQ(SeenProgress(scripted).caption, 411);
}

} // namespace

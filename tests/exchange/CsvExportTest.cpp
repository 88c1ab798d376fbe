// Writing CSV files: delimiters and decimal separators that pair, quoting,
// encodings, the field types, and re-importing what was written.
#include "CsvTestSupport.h"
#include "TextExportTestSupport.h"

#include "bench/GeneratedTable.h"
#include "platform/Nls.h"
#include "resources/StringIds.h"

using namespace orvel;
using namespace orvel::test;

namespace {

class CsvExport : public CsvTest
{
protected:
    ~CsvExport() override { SetCurrentLocale(QString()); }

    void AddField(const char *name, int type, int format = 0)
    {
        const int pos = table.InsertField(name);
        table.SetFieldType(type, pos);
        table.SetFieldFormat(format, pos);
    }
    void AddRecord(const std::vector<std::string> &values)
    {
        auto record = table.CreateRecord(false);
        for (std::size_t k = 0; k < values.size(); ++k)
            record->SetRawValue(values[k], int(k));
        table.AddRecord(std::move(record));
    }
    std::string WriteMemo(const std::string &text)
    {
        ObjectFileMemoSink memos(store);
        memos.Begin();
        memos.Write(text.data(), text.size());
        std::string reference = memos.End();
        EXPECT_TRUE(memos.Finish());
        return reference;
    }
};

TEST_F(CsvExport, EveryTypeIsWrittenAsASpreadsheetReadsIt)
{
    AddField("Name", FT_TEXT);
    AddField("Betrag", FT_NUMERIC, 2);
    AddField("Datum", FT_DATE, 2);
    AddField("&Notiz", FT_MEMO);
    AddField("Link", FT_LINK);
    AddField("Foto", FT_PICTURE);
    AddField("Dokument", FT_OLE);
    AddRecord({"M\xFCller; \"Max\"", "1234.5", "19961224", WriteMemo("Zeile 1\r\nZeile 2"), "Seite,https://x,,open",
               "10", "20"});
    AddRecord({"", "-7", "##", "", "", "", ""});

    EXPECT_EQ(Export(),
              "\xEF\xBB\xBF"
              "Name;Betrag;Datum;Notiz;Link\r\n"
              "\"M\xC3\xBCller; \"\"Max\"\"\";1234,5;1996-12-24;\"Zeile 1\r\nZeile 2\";Seite,https://x,,open\r\n"
              ";-7;##;;\r\n");
    ASSERT_EQ(Messages(ids::kMsgCsvFieldsLeftOut), 1);
    EXPECT_TRUE(MessageText(ids::kMsgCsvFieldsLeftOut).contains(QStringLiteral("Foto (Grafik)\nDokument (OLE)")));
}

TEST_F(CsvExport, DelimiterAndDecimalSeparatorPair)
{
    AddField("Wert", FT_NUMERIC, 1);
    AddField("Text", FT_TEXT);
    AddRecord({"2.5", "a;b,c\td"});
    struct Case
    {
        const char *locale;
        int setting;
        std::string line;
    };
    const std::vector<Case> cases = {
            {"de_DE", 0, "2,5;\"a;b,c\td\""},     {"en_US", 0, "2.5,\"a;b,c\td\""}, {"en_US", ';', "2,5;\"a;b,c\td\""},
            {"de_DE", '\t', "2.5\t\"a;b,c\td\""}, {"de_DE", '|', "2.5|a;b,c\td"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.locale + std::to_string(c.setting));
        SetCurrentLocale(QString::fromLatin1(c.locale));
        CsvOptions options;
        options.fieldDelimiter = c.setting;
        options.bom = false;
        const std::string text = Export(options);
        EXPECT_EQ(text.substr(text.find("\r\n") + 2), c.line + "\r\n");
        // And it reads back the same.
        Import(text, options);
        EXPECT_EQ(table.GetFieldType(0), FT_NUMERIC);
        EXPECT_EQ(table.GetRecord(0)->GetRawValue(0), "2.5");
        EXPECT_EQ(table.GetRecord(0)->GetRawValue(1), "a;b,c\td");
        table.Clear();
        AddField("Wert", FT_NUMERIC, 1);
        AddField("Text", FT_TEXT);
        AddRecord({"2.5", "a;b,c\td"});
    }
}

TEST_F(CsvExport, EncodingsAndTheByteOrderMark)
{
    AddField("Stra\xDF"
             "e",
             FT_TEXT);
    AddRecord({"\x80 \xE4"});
    CsvOptions options;
    options.bom = false;
    EXPECT_EQ(Export(options), "Stra\xC3\x9F"
                               "e\r\n\xE2\x82\xAC \xC3\xA4\r\n");
    options.encoding = CsvEncoding::Windows1252;
    options.bom = true; // only UTF-8 files get one
    EXPECT_EQ(Export(options), "Stra\xDF"
                               "e\r\n\x80 \xE4\r\n");
}

TEST_F(CsvExport, AnEmptyValueOfTheOnlyFieldIsNoBlankLine)
{
    AddField("A", FT_TEXT);
    AddRecord({""});
    AddRecord({"x"});
    CsvOptions options;
    options.bom = false;
    EXPECT_EQ(Export(options), "A\r\n\"\"\r\nx\r\n");
    EXPECT_EQ(Import(Export(options)), (CsvRows{{"A"}, {""}, {"x"}}));
}

TEST_F(CsvExport, FailuresAreReportedAsFailures)
{
    AddField("Foto", FT_PICTURE);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(ExportCsv(table, buffer, {}, store, nullptr), 0);
    EXPECT_TRUE(scripted.sawMessage(ids::kMsgCsvFieldsLeftOut));
    EXPECT_TRUE(buffer.data().isEmpty());

    table.Clear();
    AddField("Notiz", FT_MEMO);
    AddRecord({"999999"}); // past the end of the object file
    WriteMemo("x");
    QBuffer second;
    second.open(QIODevice::WriteOnly);
    EXPECT_EQ(ExportCsv(table, second, {}, store, nullptr), 0);

    table.Clear();
    AddField("Text", FT_TEXT);
    for (int i = 0; i < 5000; ++i)
        AddRecord({std::string(200, 'x')});
    CappedDevice full(100000);
    EXPECT_EQ(ExportCsv(table, full, {}, store, nullptr), 0);
}

TEST_F(CsvExport, ALongMemoTextIsWrittenWholeAndReadsBack)
{
    AddField("Notiz", FT_MEMO);
    AddField("Nr", FT_NUMERIC);
    const std::string longText = std::string(200 * 1024, 'm') + "\"\xE4\"";
    AddRecord({WriteMemo(longText), "1"});
    AddRecord({WriteMemo("kurz"), "2"});
    const std::string text = Export();
    EXPECT_NE(text.find("\r\nkurz;2\r\n"), std::string::npos);
    const CsvRows rows = Import(text);
    EXPECT_EQ(rows, (CsvRows{{"Notiz", "Nr"}, {longText, "1"}, {"kurz", "2"}}));
}

TEST_F(CsvExport, TheGeneratedTableReadsBackWithEveryValue)
{
    const auto generated = bench::MakeGeneratedTable(3000);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_EQ(ExportCsv(*generated, buffer, {}, store, nullptr), 1);
    Import(buffer.data().toStdString());
    ASSERT_EQ(table.GetFieldCount(), generated->GetFieldCount());
    ASSERT_EQ(table.GetRecordCount(), generated->GetRecordCount());
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        SCOPED_TRACE(pos);
        EXPECT_EQ(table.GetPlainFieldName(pos), generated->GetPlainFieldName(pos));
        if (generated->GetFieldType(pos) != FT_TEXT) {
            EXPECT_EQ(table.GetFieldType(pos), generated->GetFieldType(pos));
        }
        for (int i = 0; i < table.GetRecordCount(); ++i)
            ASSERT_EQ(table.GetRecord(i)->GetRawValue(pos), generated->GetRecord(i)->GetRawValue(pos)) << i;
    }
}

} // namespace

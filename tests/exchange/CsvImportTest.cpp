// Reading CSV files: their structure, the field types the values make, the
// encodings, and what happens at the limits.
#include "CsvTestSupport.h"

#include "resources/StringIds.h"
#include "table/TableLimits.h"

using namespace orvel;
using namespace orvel::test;

namespace {

struct StructureCase
{
    const char *what;
    std::string bytes;
    CsvRows rows;
};

TEST_F(CsvTest, ValuesStayInTheirColumnsWhateverTheQuotingAndLineEnds)
{
    const std::vector<StructureCase> cases = {
            {"empty values keep their place", "a,b,c\n1,,3\n,,\n", {{"a", "b", "c"}, {"1", "", "3"}, {"", "", ""}}},
            {"quoted delimiters and doubled quotes",
             "a,b\n\"x,y\",\"say \"\"hi\"\"\"\n",
             {{"a", "b"}, {"x,y", "say \"hi\""}}},
            {"a line break inside quotes", "a,b\n\"one\r\ntwo\",2\n", {{"a", "b"}, {"one\r\ntwo", "2"}}},
            {"CR LF, LF and lone CR line ends",
             "a,b\r\n1,2\n3,4\r5,6\r\n",
             {{"a", "b"}, {"1", "2"}, {"3", "4"}, {"5", "6"}}},
            {"no line end at the end", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}},
            {"a delimiter at the very end", "a,b\n1,", {{"a", "b"}, {"1", ""}}},
            {"text after a closing quote", "a,b\n\"x\"y,\"p\"\"q\"r\"\n", {{"a", "b"}, {"xy", "p\"qr\""}}},
            {"a quote inside an unquoted value", "a\nsay \"hi\"\n", {{"a"}, {"say \"hi\""}}},
            {"blank lines hold no record", "\n\r\n\na,b\n\n1,2\n\n", {{"a", "b"}, {"1", "2"}}},
            {"longer and shorter records", "a,b\n1,2,3\n4\n", {{"a", "b", "Feld 3"}, {"1", "2", "3"}, {"4", "", ""}}},
            {"trailing blanks go, leading ones stay", "a\n  x  \n", {{"a"}, {"  x"}}},
            {"only a header", "a;b\n", {{"a", "b"}}},
            {"nothing at all", "", {{}}},
    };
    for (const StructureCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Import(c.bytes), c.rows);
        EXPECT_FALSE(scripted.sawMessage(ids::kMsgImportLosses));
    }
}

TEST_F(CsvTest, FieldNamesAreCutMadeUniqueAndNamedWhereEmpty)
{
    const std::string longName(40, 'n');
    const CsvRows rows = Import(" Name ,name,," + longName + "," + longName + ",A&B\n");
    EXPECT_EQ(rows.front(), (std::vector<std::string>{"Name", "name 2", "Feld 3", std::string(32, 'n'),
                                                      std::string(30, 'n') + " 2", "A&B"}));
}

TEST_F(CsvTest, MultiLineValuesShowOnSeveralLines)
{
    Import("a,b\n\"1\n2\n3\n4\",x\ny,z\n\"p\rq\",r\n");
    ASSERT_EQ(table.GetRecordCount(), 3);
    EXPECT_EQ(table.GetRecord(0)->GetRowHeight(), 3);
    EXPECT_EQ(table.GetRecord(1)->GetRowHeight(), 1);
    EXPECT_EQ(table.GetRecord(2)->GetRowHeight(), 2);
    EXPECT_EQ(table.GetTotalHeight(), 6);
}

struct TypeCase
{
    const char *what;
    std::string bytes;
    int type;
    int format;
    std::vector<std::string> stored;
};

TEST_F(CsvTest, ColumnsOfNumbersAndDatesGetTheirTypes)
{
    const std::vector<TypeCase> cases = {
            {"numbers with the point", "n,x\n1.5,a\n-2,b\n,c\n0.125,d\n", FT_NUMERIC, 3, {"1.5", "-2", "", "0.125"}},
            {"German numbers with a semicolon",
             "n;x\n1.234,50;a\n-0,5;b\n200.000.000;c\n",
             FT_NUMERIC,
             2,
             {"1234.50", "-0.5", "200000000"}},
            {"grouping with the comma", "n,x\n\"1,234.5\",a\n7,b\n", FT_NUMERIC, 1, {"1234.5", "7"}},
            {"tab files use the point", "n\tx\n3.25\ta\n", FT_NUMERIC, 2, {"3.25"}},
            {"a postcode keeps its zero", "n,x\n01067,a\n10115,b\n", FT_TEXT, 0, {"01067", "10115"}},
            {"sixteen digits are a code", "n,x\n1234567890123456,a\n", FT_TEXT, 0, {"1234567890123456"}},
            {"fifteen digits are a number", "n,x\n123456789012.345,a\n", FT_NUMERIC, 3, {"123456789012.345"}},
            {"the point with a semicolon is no decimal point", "n;x\n3.5;a\n", FT_TEXT, 0, {"3.5"}},
            {"bad grouping", "n;x\n1.23;a\n", FT_TEXT, 0, {"1.23"}},
            {"a plus sign", "n,x\n+5,a\n", FT_TEXT, 0, {"+5"}},
            {"one word among numbers", "n,x\n1,a\nzwei,b\n", FT_TEXT, 0, {"1", "zwei"}},
            {"ISO dates", "d,x\n2024-02-29,a\n,b\n1996-12-24,c\n", FT_DATE, 2, {"20240229", "", "19961224"}},
            {"German dates", "d;x\n24.12.1996;a\n1.2.2003;b\n", FT_DATE, 2, {"19961224", "20030201"}},
            {"two-digit years", "d;x\n24.12.96;a\n01.01.26;b\n", FT_DATE, 1, {"19961224", "20260101"}},
            {"a day that does not exist", "d,x\n2023-02-29,a\n", FT_TEXT, 0, {"2023-02-29"}},
            {"an empty column", "e,x\n,a\n,b\n", FT_TEXT, 0, {"", ""}},
    };
    for (const TypeCase &c : cases) {
        SCOPED_TRACE(c.what);
        Import(c.bytes);
        ASSERT_GE(table.GetFieldCount(), 1);
        EXPECT_EQ(table.GetFieldType(0), c.type);
        EXPECT_EQ(table.GetFieldFormat(0), c.format);
        std::vector<std::string> stored;
        for (int i = 0; i < table.GetRecordCount(); ++i)
            stored.emplace_back(table.GetRecord(i)->GetRawValue(0));
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(table.GetFieldType(1), FT_TEXT);
    }
}

TEST_F(CsvTest, ALongValueMakesItsWholeColumnMemoTexts)
{
    const std::string longText = "Anfang\r\n" + std::string(300, 'x') + "   ";
    const CsvRows rows = Import("a,notiz\n1,kurz\n2,\"" + longText + "\"\n3,\n4," + std::string(255, 'y') + "\n");
    EXPECT_EQ(Types(), (std::vector<int>{FT_NUMERIC, FT_MEMO}));
    EXPECT_EQ(table.GetPrintFlag(1), 0);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1][1], "kurz");
    EXPECT_EQ(rows[2][1], longText);
    EXPECT_EQ(rows[3][1], "");
    EXPECT_EQ(table.GetRecord(2)->GetRawValue(1), ""); // no object for no text
    EXPECT_EQ(rows[4][1], std::string(255, 'y'));
    EXPECT_FALSE(scripted.sawMessage(ids::kMsgImportLosses));
}

TEST_F(CsvTest, EncodingsAreDetectedAndConverted)
{
    struct Case
    {
        const char *what;
        std::string bytes;
        CsvEncoding setting;
        const char *encoding;
        std::string value;
    };
    const std::vector<Case> cases = {
            {"UTF-8", "a\nM\xC3\xBCller\n", CsvEncoding::Utf8, "UTF-8", "M\xFCller"},
            {"UTF-8 with its mark",
             "\xEF\xBB\xBF"
             "a\n\xE2\x82\xAC\n",
             CsvEncoding::Utf8, "UTF-8", "\x80"},
            {"not UTF-8: Windows-1252", "a\nM\xFCller \x80\n", CsvEncoding::Utf8, "Windows-1252", "M\xFCller \x80"},
            {"Windows-1252 by the setting", "a\nM\xC3\xBC\n", CsvEncoding::Windows1252, "Windows-1252", "M\xC3\xBC"},
            {"the mark wins over the setting",
             "\xEF\xBB\xBF"
             "a\n\xC3\xA4\n",
             CsvEncoding::Windows1252, "UTF-8", "\xE4"},
            {"UTF-16 little-endian",
             std::string("\xFF\xFE"
                         "a\0\n\0\xE4\0;\0b\0\n\0",
                         14),
             CsvEncoding::Utf8, "UTF-16LE", "\xE4"},
            {"UTF-16 big-endian", std::string("\xFE\xFF\0a\0\n\0\xE4\0\n", 10), CsvEncoding::Utf8, "UTF-16BE", "\xE4"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CsvOptions options;
        options.encoding = c.setting;
        const CsvRows rows = Import(c.bytes, options);
        EXPECT_STREQ(info.encoding, c.encoding);
        ASSERT_GE(rows.size(), 2u);
        EXPECT_EQ(rows[0][0], "a");
        EXPECT_EQ(rows[1][0], c.value);
    }
}

TEST_F(CsvTest, CharactersWindowsCannotHoldAndNulBytesAreCounted)
{
    const CsvRows rows = Import(std::string("a,b\n\xE2\x86\x92x\xF0\x9F\x98\x80,1\0"
                                            "2\n",
                                            17));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"?x?", "12"}));
    EXPECT_EQ(info.replaced, 2);
    EXPECT_EQ(info.nulBytes, 1);
    ASSERT_EQ(Messages(ids::kMsgImportLosses), 1);
    EXPECT_TRUE(MessageText(ids::kMsgImportLosses).contains(QStringLiteral("2 Zeichen")));
    EXPECT_TRUE(MessageText(ids::kMsgImportLosses).contains(QStringLiteral("1 Nullzeichen")));
}

// Each of these is refused by exactly one rule of the UTF-8 check; the file
// is then read as Windows-1252. The sequences after them are the nearest
// ones the check must let through.
TEST_F(CsvTest, EveryMalformedUtf8SequenceMakesTheFileWindows1252)
{
    const std::vector<std::pair<std::string, const char *>> refused = {
            {"\xC0\xAF", "overlong two-byte form"},
            {"\xC1\xBF", "overlong two-byte form"},
            {"\xE0\x9F\xBF", "overlong three-byte form"},
            {"\xED\xA0\x80", "surrogate"},
            {"\xF0\x8F\xBF\xBF", "overlong four-byte form"},
            {"\xF4\x90\x80\x80", "beyond U+10FFFF"},
            {"\xF5\x80\x80\x80", "lead byte beyond F4"},
            {"\xC3", "sequence cut off by the end of the file"},
            {"\xC3x", "missing continuation byte"},
            {"\xE2\x82x", "missing third byte"},
            {"\x80", "continuation byte alone"},
    };
    for (const auto &[bytes, what] : refused) {
        SCOPED_TRACE(what);
        Import("a\n" + bytes);
        EXPECT_STREQ(info.encoding, "Windows-1252");
    }
    for (const std::string bytes :
         {"\xC2\x80", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
        Import("a\n" + bytes);
        EXPECT_STREQ(info.encoding, "UTF-8");
    }
}

TEST_F(CsvTest, TheDelimiterIsFoundInTheFirstLines)
{
    const std::vector<std::pair<std::string, char>> cases = {
            {"a,b,c\n1,2,3\n", ','},
            {"a;b;c\n1;2;3\n", ';'},
            {"a\tb\n1\t2\n", '\t'},
            {"Jahr;Preis\n1997;3000,00\n1999;4900,50\n", ';'},
            {"a,b\n\"x;y;z\",1\n\"p;q;r\",2\n", ','},
            {"# note, with, commas\na\tb\tc\n1\t2\t3\n4\t5\t6\n", '\t'},
            {"single\nvalue\n", ','},
    };
    for (const auto &[bytes, delimiter] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(DetectCsvDelimiter(bytes.data(), bytes.size(), true), delimiter);
        Import(bytes);
        EXPECT_EQ(info.delimiter, delimiter);
    }
    CsvOptions options;
    options.fieldDelimiter = '|';
    EXPECT_EQ(Import("a|b;c\n1|2;3\n", options).front(), (std::vector<std::string>{"a", "b;c"}));
}

TEST_F(CsvTest, AnUnclosedQuoteTakesTheRestOfTheFileAndSaysWhere)
{
    const CsvRows rows = Import("a,b\n1,2\n3,\"open\n4,5\n");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][1], "open\n4,5\n");
    EXPECT_EQ(info.unclosedQuoteLine, 3);
    ASSERT_EQ(Messages(ids::kMsgCsvUnclosedQuote), 1);
    EXPECT_TRUE(MessageText(ids::kMsgCsvUnclosedQuote).contains(QStringLiteral("Zeile 3")));
}

TEST_F(CsvTest, OneHugeQuotedValueBecomesOneMemoText)
{
    // 100 MB in one value, with umlauts on either side of every piece the
    // reader and the memo writer work in.
    std::string huge = "a,b\n1,\"";
    const std::string block = std::string(1021, 'x') + "\xC3\xA4\"\"";
    while (huge.size() < 100u * 1024 * 1024)
        huge += block;
    huge += "\"\n2,kurz\n";
    const std::size_t blocks = (huge.size() - 16) / block.size();
    ASSERT_EQ(ImportStatus(huge), 1);
    ASSERT_EQ(table.GetRecordCount(), 2);
    EXPECT_EQ(table.GetFieldType(1), FT_MEMO);
    const std::string memo = Memo(table.GetRecord(0)->GetRawValue(1));
    EXPECT_EQ(memo.size(), blocks * 1023);
    EXPECT_EQ(memo.substr(1019, 6), "xx\xE4\"xx");
    EXPECT_EQ(Memo(table.GetRecord(1)->GetRawValue(1)), "kurz");
    EXPECT_EQ(info.replaced, 0);
}

TEST_F(CsvTest, PiecesOfTheFileJoinWhereverTheyEnd)
{
    // Several pieces of the reader's size; the prefix moves every umlaut,
    // quote and line end across each piece boundary in turn.
    for (int shift = 0; shift < 4; ++shift) {
        SCOPED_TRACE(shift);
        std::string bytes = "a;b\n" + std::string(std::size_t(shift), 'p') + ";x\n";
        std::vector<std::string> expected;
        for (int i = 0; bytes.size() < 800 * 1024; ++i) {
            const std::string value = "W\xC3\xBC" + std::to_string(i) + "\"\"\r\nz, kein Zahlenwert";
            bytes += std::to_string(i) + ";\"" + value + "\"\r\n";
            expected.push_back("W\xFC" + std::to_string(i) + "\"\r\nz, kein Zahlenwert");
        }
        Import(bytes);
        ASSERT_EQ(table.GetRecordCount(), int(expected.size()) + 1);
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(table.GetRecord(int(i) + 1)->GetRawValue(1), expected[i]) << i;
        EXPECT_EQ(info.replaced, 0);
    }
}

TEST_F(CsvTest, ValuesAroundTheSizeAtWhichTheyGoToTheirMemoPieceByPiece)
{
    for (const std::size_t size : {std::size_t(64 * 1024 - 2), std::size_t(64 * 1024 - 1), std::size_t(64 * 1024),
                                   std::size_t(64 * 1024 + 1), std::size_t(256 * 1024 - 3), std::size_t(300 * 1024)}) {
        SCOPED_TRACE(size);
        // An umlaut whose two bytes lie on either side of the size.
        std::string value(size - 1, 'v');
        value += "\xC3\xB6tail";
        const CsvRows rows = Import("m\n\"" + value + "\"\n");
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1][0], std::string(size - 1, 'v') + "\xF6tail");
        EXPECT_EQ(info.replaced, 0);
    }
}

TEST_F(CsvTest, FortyColumnsAndMoreRecordsThanTheTableHoldsAreCutWithOneMessage)
{
    std::string bytes;
    for (int k = 0; k < 40; ++k)
        bytes += (k ? "," : "") + std::string("f") + std::to_string(k);
    bytes += "\n";
    for (int r = 0; r < 31000; ++r) {
        for (int k = 0; k < 40; ++k)
            bytes += (k ? "," : "") + std::to_string(r % 97 + k);
        bytes += "\n";
    }
    Import(bytes);
    EXPECT_EQ(table.GetFieldCount(), kMaxFields);
    EXPECT_EQ(table.GetRecordCount(), kMaxRecords);
    EXPECT_EQ(table.GetRecord(kMaxRecords - 1)->GetRawValue(31), std::to_string((kMaxRecords - 1) % 97 + 31));
    ASSERT_EQ(Messages(ids::kMsgImportLosses), 1);
    const QString text = MessageText(ids::kMsgImportLosses);
    EXPECT_TRUE(text.contains(QStringLiteral("Datensätze nach dem 30000.")));
    EXPECT_TRUE(text.contains(QStringLiteral("Werte nach dem 32. Feld")));
}

TEST_F(CsvTest, LimitsSayNothingWhenNothingIsLeftOut)
{
    // The record limit alone, and values past the 32nd field that are blank.
    Import("a\n1\n2\n\n", {}, 2);
    EXPECT_EQ(table.GetRecordCount(), 2);
    std::string wide = "h\n1";
    for (int k = 1; k < 40; ++k)
        wide += ", ";
    Import(wide + "\n");
    EXPECT_EQ(table.GetFieldCount(), kMaxFields);
    EXPECT_FALSE(scripted.sawMessage(ids::kMsgImportLosses));

    Import("a\n1\n2\n3\n", {}, 2);
    EXPECT_EQ(table.GetRecordCount(), 2);
    EXPECT_TRUE(scripted.sawMessage(ids::kMsgImportLosses));
}

TEST_F(CsvTest, AMemoTextThatCannotBeStoredFailsTheImport)
{
    store = dir.filePath(QStringLiteral("missing/work.dbo"));
    EXPECT_EQ(ImportStatus("a\n" + std::string(300, 'x') + "\n"), 0);
    EXPECT_EQ(ImportStatus("a\nshort\n"), 1);
}

} // namespace

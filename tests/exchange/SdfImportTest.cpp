#include "SdfTestSupport.h"
#include "TextExportTestSupport.h"

#include "support/TestEnvironment.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"

#include <QElapsedTimer>
#include <QFile>

using namespace orvel;
using namespace orvel::test;

namespace {

TEST_F(SdfTest, QuotedValuesKeepDelimitersAndUndoubleQuotes)
{
    EXPECT_EQ(Import("\"a\",\"b,c\",\"d\"\"e\"\r\n\"\"\"x\",\"\",y\r\n"),
              (Rows{{"a", "b,c", "d\"e"}, {"\"x", "", "y"}}));
    EXPECT_FALSE(ReportedLosses());
}

TEST_F(SdfTest, EmptyUnquotedValuesVanishEmptyQuotedOnesCount)
{
    EXPECT_EQ(Import("a,,b\n"), (Rows{{"a", "b"}}));
    table.Clear();
    EXPECT_EQ(Import("\"a\",\"\",\"b\"\n"), (Rows{{"a", "", "b"}}));
}

TEST_F(SdfTest, FirstRecordDecidesTheFields)
{
    EXPECT_EQ(Import(",,a,b,c\n\n\r\n1,2,3,4,5\nx\n"), (Rows{{"a", "b", "c"}, {"1", "2", "3"}, {"x", "", ""}}));
    ASSERT_EQ(table.GetFieldCount(), 3);
    for (int pos = 0; pos < 3; ++pos) {
        EXPECT_EQ(table.GetFieldName(pos), std::to_string(pos + 1) + ".");
        EXPECT_EQ(table.GetFieldType(pos), FT_TEXT);
    }
    EXPECT_EQ(table.GetTotalWidth(), 3 * kNewFieldWidth);
    EXPECT_EQ(table.GetTotalHeight(), 3);
    // "4" and "5" did not fit into the fields of the first record.
    EXPECT_TRUE(ReportedLosses());
}

TEST_F(SdfTest, EmptyValuesPastTheFieldsAreNoLoss)
{
    EXPECT_EQ(Import("a,b\n1,2,\"\",  \n"), (Rows{{"a", "b"}, {"1", "2"}}));
    EXPECT_FALSE(ReportedLosses());
}

TEST_F(SdfTest, EmptyFileGivesOneRecordButBlankLinesAtTheEndNone)
{
    EXPECT_EQ(Import(",,\r\n\n"), (Rows{{}}));
    EXPECT_EQ(table.GetFieldCount(), 0);
    table.Clear();
    EXPECT_EQ(Import("a,b\r\nc,d\r\n"), (Rows{{"a", "b"}, {"c", "d"}}));
    table.Clear();
    EXPECT_EQ(Import("a,b\nc,d\n\n\r\n,,\n"), (Rows{{"a", "b"}, {"c", "d"}}));
}

TEST_F(SdfTest, TrailingFieldDelimiterEndsTheRecordAtTheLineFeed)
{
    EXPECT_EQ(Import("a,b,\nc,d,\r\n\"e\",\n"), (Rows{{"a", "b"}, {"c", "d"}, {"e", ""}}));
}

TEST_F(SdfTest, QuotedValueEndsAtItsLineAndSkipsToTheNextDelimiter)
{
    EXPECT_EQ(Import("\"a\"junk,b\n\"two\nlines\",c\n"), (Rows{{"a", "b"}, {"two", ""}, {"lines\"", "c"}}));
}

TEST_F(SdfTest, ValueBytes)
{
    // TAB: eight blanks and the TAB; CR dropped anywhere; trailing blanks
    // trimmed; NUL and 0xFF are ordinary bytes.
    const char raw[] = "x\ty,a\rb,\"q\r\"  ,c   ,\xFF\xFF,\0z\n";
    const std::string input(raw, sizeof(raw) - 1);
    EXPECT_EQ(Import(input), (Rows{{"x        \ty", "ab", "q", "c", "\xFF\xFF", std::string("\0z", 2)}}));
}

TEST_F(SdfTest, OtherDelimitersAndDosValues)
{
    EXPECT_EQ(Import("'it''s'\tb c\t\t'd'\n", ExchangeCharSet::Ansi, '\t', '\''), (Rows{{"it's", "b c", "d"}}));
    table.Clear();
    // 0x81 is ü and 0xE1 ß in code page 850.
    EXPECT_EQ(Import("\"M\x81ller\";Stra\xE1\x65\n", ExchangeCharSet::Dos, ';'), (Rows{{"M\xFCller", "Stra\xDF\x65"}}));
}

TEST_F(SdfTest, ValuesAreCutAt254Bytes)
{
    const std::string longValue(300, 'x');
    const Rows rows = Import(longValue + ",\"" + longValue + "\"\n");
    EXPECT_EQ(rows, (Rows{{std::string(254, 'x'), std::string(254, 'x')}}));
    EXPECT_TRUE(ReportedLosses());
    EXPECT_EQ(scripted.messages().size(), 1u);

    // Blanks past the cut would have been trimmed: nothing is lost.
    table.Clear();
    scripted.clear();
    EXPECT_EQ(Import("a" + std::string(400, ' ') + ",b\n"), (Rows{{"a", "b"}}));
    EXPECT_FALSE(ReportedLosses());
}

TEST_F(SdfTest, ValuesAfterThe32ndAreDropped)
{
    std::string line;
    for (int k = 1; k <= 34; ++k)
        line += std::to_string(k) + ",";
    const Rows rows = Import(line + "\n");
    EXPECT_EQ(table.GetFieldCount(), kMaxFields);
    EXPECT_EQ(rows.at(0).back(), "32");
    EXPECT_TRUE(ReportedLosses());
}

TEST_F(SdfTest, ReadingStopsAt30000Records)
{
    std::string lines;
    for (int i = 0; i < kMaxRecords; ++i)
        lines += "r\n";
    Import(lines + "\n,,\n");
    EXPECT_EQ(table.GetRecordCount(), kMaxRecords);
    EXPECT_FALSE(ReportedLosses());

    table.Clear();
    Import(lines + "\n\"\"\nlost\n");
    EXPECT_EQ(table.GetRecordCount(), kMaxRecords);
    EXPECT_TRUE(ReportedLosses());
}

TEST_F(SdfTest, ProgressFollowsTheFileInTenThousandBytes)
{
    const std::string line(99, 'v');
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += line + "\n"; // 30000 bytes
    table.SetSdfDelimiters(',', '"');
    auto box = scripted.beginProgress(0, 0, 0);
    scripted.clear();
    ASSERT_EQ(ImportSdfBytes(table, text.data(), text.size(), ExchangeCharSet::Ansi, box.get()), 1);
    const ProgressSeen seen = SeenProgress(scripted);
    EXPECT_EQ(seen.caption, 418);
    EXPECT_EQ(seen.high, 30);
    EXPECT_EQ(seen.positions, (std::vector<int>{10, 20, 30, 30}));
}

TEST_F(SdfTest, HugeLineEndsInBoundedTime)
{
    // 50 MB without a line end: one record, each value cut to 254 bytes.
    std::string huge(50u << 20, 'x');
    for (std::size_t k = 1000; k < huge.size(); k += 1000)
        huge[k] = ',';
    QElapsedTimer timer;
    timer.start();
    const Rows rows = Import(huge);
    EXPECT_LT(timer.elapsed(), 10000);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].size(), std::size_t(kMaxFields));
    EXPECT_EQ(rows[0][0].size(), 254u);
}

TEST_F(SdfTest, FilesThatCannotBeReadAreRefused)
{
    const QString dir = MakeScratchDir();
    EXPECT_EQ(ImportSdf(table, dir + QStringLiteral("/fehlt.sdf"), ExchangeCharSet::Ansi, nullptr), 0);
    // A folder is no file, whether or not it can be opened.
    EXPECT_EQ(ImportSdf(table, dir, ExchangeCharSet::Ansi, nullptr), 0);
}

TEST_F(SdfTest, FileReadInPiecesGivesWhatTheBytesGive)
{
    // Long enough to be read in several pieces, with delimiters, doubled
    // quotes, line ends and TABs falling on every kind of boundary.
    const char alphabet[] = "abc \xFC,,\"\"\n\r\t\xFFxyz";
    std::string text;
    std::uint32_t seed = 4711;
    while (text.size() < 1500000) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t run = (seed >> 8) % 300;
        const char c = alphabet[(seed >> 20) % (sizeof(alphabet) - 1)];
        text.append(c == 'x' ? run : 1, c);
    }
    const QString path = MakeScratchDir() + QStringLiteral("/zufall.sdf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), qint64(text.size()));
    file.close();

    for (ExchangeCharSet charSet : {ExchangeCharSet::Ansi, ExchangeCharSet::Dos}) {
        CDataTable fromFile;
        ASSERT_EQ(ImportSdf(fromFile, path, charSet, nullptr), 1);
        const auto fileMessages = scripted.messageIds();
        scripted.clear();
        table.Clear();
        EXPECT_EQ(TableRows(fromFile), Import(text, charSet));
        EXPECT_EQ(scripted.messageIds(), fileMessages);
        EXPECT_GT(fromFile.GetRecordCount(), 1000);
        scripted.clear();
    }
}

} // namespace

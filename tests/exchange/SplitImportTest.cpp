// The imports convert their records on several processor cores at once. A
// file must read the same however its records are split: the same values,
// marks and messages, and the same stop at an end marker or where the file
// is cut short, wherever that lies against the ranges and stretches.
#include "DbaseTestSupport.h"

#include "exchange/CsvImport.h"
#include "exchange/MemoObjects.h"

#include "platform/Clock.h"
#include "platform/ScriptedServices.h"
#include "support/TableCompare.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"

#include <QTemporaryFile>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace orvel;
using namespace orvel::test;

namespace {

struct Imported
{
    int result = 0;
    CDataTable table;
    std::vector<bool> marks;
    std::vector<QString> messages;
};

// From a buffer in memory, whose bytes are used in place, or from a file,
// which each range reads through a window of its own.
void importDbase(const QByteArray &bytes, ExchangeCharSet charSet, std::size_t chunk, int parts, Imported &out,
                 bool fromFile = false)
{
    ScriptedServices services;
    ScopedServices scope(&services);
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    QTemporaryFile file;
    QIODevice *device = &buffer;
    if (fromFile) {
        ASSERT_TRUE(file.open());
        ASSERT_EQ(file.write(bytes), bytes.size());
        ASSERT_TRUE(file.flush() && file.seek(0));
        device = &file;
    } else {
        buffer.open(QIODevice::ReadOnly);
    }
    out.result = ImportDbase(out.table, *device, charSet, nullptr, DbaseMemoSource(), chunk, parts);
    for (int i = 0; i < out.table.GetRecordCount(); ++i)
        out.marks.push_back(out.table.GetRecord(i)->IsMarked());
    for (const Message &message : services.messages())
        out.messages.push_back(QString::number(message.id) + QLatin1Char(' ') + message.text);
}

TEST(SplitImport, DbaseReadsTheSameInAnySplit)
{
    ScopedFixedTime time{QDateTime(QDate(1997, 3, 1), QTime(12, 0), QTimeZone::utc())};
    const std::vector<DbaseFieldSpec> fields = {
            {"NAME", 'C', 12}, {"NR", 'N', 7, 2}, {"AM", 'D', 8}, {"NOTIZ", 'C', 40}};
    const int count = 997;
    QByteArray records;
    for (int i = 0; i < count; ++i) {
        // Every seventh record deleted; DOS letters (and a box-drawing byte
        // Windows-1252 lacks) now and then, so that findings are counted.
        const QByteArray name =
                "N" + QByteArray::number(i) + (i % 5 == 0 ? "\x81\x94" : "") + (i % 11 == 0 ? "\xB3" : "");
        records += DbaseRecord(fields,
                               {name, QByteArray::number(i * 1.25, 'f', 2).rightJustified(7, ' '), "19970301",
                                QByteArray(std::size_t(i % 41), 'x')},
                               i % 7 == 0 ? '*' : ' ');
    }
    const QByteArray whole = DbaseFile(fields, records, count);
    const qint64 recordSize = 1 + 12 + 7 + 8 + 40;
    const qint64 recordsAt = whole.size() - 1 - recordSize * count;

    // The end marker where a record would start, and the file cut in the
    // middle of a record, at places on and beside the range edges.
    std::vector<std::pair<const char *, QByteArray>> files = {{"whole", whole}};
    for (const int at : {0, 1, 332, 333, 334, 498, 996}) {
        QByteArray marked = whole;
        marked[recordsAt + at * recordSize] = '\x1A';
        files.emplace_back("marker", marked);
        files.emplace_back("cut", whole.left(recordsAt + at * recordSize + 5));
    }
    for (const auto &[what, bytes] : files) {
        for (const ExchangeCharSet charSet : {ExchangeCharSet::Ansi, ExchangeCharSet::Dos}) {
            Imported single;
            importDbase(bytes, charSet, std::size_t(1) << 30, 1, single);
            ASSERT_EQ(single.result, 1) << what;
            for (const std::size_t chunk : {std::size_t(1) << 30, std::size_t(4099), std::size_t(68)}) {
                for (const int parts : {2, 3, 7}) {
                    SCOPED_TRACE(testing::Message() << what << " chunk " << chunk << " parts " << parts);
                    Imported split;
                    importDbase(bytes, charSet, chunk, parts, split);
                    EXPECT_EQ(split.result, 1);
                    EXPECT_TRUE(SameTables(single.table, split.table));
                    EXPECT_EQ(single.marks, split.marks);
                    EXPECT_EQ(single.messages, split.messages);
                }
            }
            Imported fromFile;
            importDbase(bytes, charSet, 4099, 3, fromFile, true);
            EXPECT_TRUE(SameTables(single.table, fromFile.table)) << what;
            EXPECT_EQ(single.marks, fromFile.marks) << what;
            EXPECT_EQ(single.messages, fromFile.messages) << what;
        }
    }
}

// Keeps the memo texts in order and hands out references "#1", "#2", ...;
// a Begin() at `failAt` (1 = the first) fails.
class RecordingMemoSink : public ImportMemoSink
{
public:
    explicit RecordingMemoSink(int failAt = 0)
        : m_failAt(failAt)
    {}
    bool Begin() override
    {
        texts.emplace_back();
        return int(texts.size()) != m_failAt;
    }
    bool Write(const char *data, std::size_t size) override
    {
        texts.back().append(data, size);
        return true;
    }
    AnsiString End() override { return "#" + std::to_string(texts.size()); }
    bool Finish() override { return true; }

    std::vector<std::string> texts;

private:
    int m_failAt;
};

struct CsvImported
{
    int result = 0;
    CDataTable table;
    std::vector<std::string> memos;
    std::vector<int> formats;
    std::vector<int> widths;
    std::vector<int> printed;
};

void importCsv(const std::string &bytes, int parts, int failAt, CsvImported &out)
{
    ScriptedServices services;
    ScopedServices scope(&services);
    RecordingMemoSink memos(failAt);
    out.result = ImportCsvBytes(out.table, bytes.data(), bytes.size(), {}, memos, nullptr, nullptr, 30000, parts);
    out.memos = memos.texts;
    for (int k = 0; k < out.table.GetFieldCount(); ++k) {
        out.formats.push_back(out.table.GetFieldFormat(k));
        out.widths.push_back(out.table.GetColumnWidth(k));
        out.printed.push_back(out.table.GetPrintFlag(k));
    }
}

// What decides a column's type, format and width lies in one range only:
// a value that is no number at the very end, the most decimals at the
// start, a four-digit year in the middle, a long text that makes a column
// of short texts a memo column at the end, the widest value in between.
TEST(SplitImport, CsvReadsTheSameInAnySplit)
{
    ScopedFixedTime time{QDateTime(QDate(1997, 3, 1), QTime(12, 0), QTimeZone::utc())};
    const int count = 50;
    std::string csv = "Zahl;Betrag;Datum;Notiz;Zeilen;Einmal;Breite\n";
    for (int i = 0; i < count; ++i) {
        csv += i == count - 1 ? "x" : std::to_string(i) + ",5";
        csv += ';' + (i == 0 ? std::string("1,234") : std::to_string(i) + ",1");
        csv += i == 30 ? ";1999-12-31" : ";" + std::to_string(1 + i % 28) + ".3.97";
        csv += ';' + (i == count - 1 ? std::string(300, 'L') : "kurz " + std::to_string(i));
        csv += i == 20 ? ";\"eins\nzwei\ndrei\"" : ";" + std::to_string(i);
        csv += i == 33 ? ";2020-02-29" : ";";
        csv += ';' + std::string(i == 25 ? 30 : 3, 'b');
        csv += '\n';
    }
    CsvImported single;
    importCsv(csv, 1, 0, single);
    ASSERT_EQ(single.result, 1);
    ASSERT_EQ(single.table.GetRecordCount(), count);
    // The values above do decide something.
    EXPECT_EQ(single.table.GetFieldType(0), FT_TEXT);
    EXPECT_EQ(single.table.GetFieldType(3), FT_MEMO);
    EXPECT_EQ(single.formats[1], 3);
    EXPECT_EQ(single.memos.size(), std::size_t(count));
    for (const int parts : {2, 3, 7, 50}) {
        SCOPED_TRACE(parts);
        CsvImported split;
        importCsv(csv, parts, 0, split);
        EXPECT_EQ(split.result, 1);
        EXPECT_TRUE(SameTables(single.table, split.table));
        EXPECT_EQ(single.memos, split.memos);
        EXPECT_EQ(single.formats, split.formats);
        EXPECT_EQ(single.widths, split.widths);
        EXPECT_EQ(single.printed, split.printed);
    }
    // A memo text that cannot be stored fails the import however it is
    // split, whether it is a long value read first or a short one after.
    for (const int failAt : {1, 2, 30}) {
        for (const int parts : {1, 3}) {
            CsvImported failed;
            importCsv(csv, parts, failAt, failed);
            EXPECT_EQ(failed.result, 0) << failAt << ' ' << parts;
        }
    }
}

// Short values are converted a word at a time where the bytes after them
// can be read. Whatever lies around them and wherever a piece of the file
// ends (in the middle of a value, right behind it), they read as byte by
// byte: letters converted, NUL bytes left out, foreign characters "?".
TEST(SplitImport, CsvShortValuesReadTheSameOnEverySideOfAPieceEnd)
{
    struct Case
    {
        std::string value;
        std::string expected;
        int nuls = 0;
        int replaced = 0;
    };
    const std::vector<Case> cases = {
            {"a", "a"},
            {"abcdefg", "abcdefg"},
            {"abcdefgh", "abcdefgh"},
            {"abcdefghi", "abcdefghi"},
            {"abcdefghijklmno", "abcdefghijklmno"},
            {"abcdefghijklmnopq", "abcdefghijklmnopq"},
            {"\xC3\xBC", "\xFC"},
            {"a\xC3\xBC", "a\xFC"},
            {"abcdefg\xC3\xBC", "abcdefg\xFC"},
            {"\xC3\xBC"
             "abcdefgh",
             "\xFC"
             "abcdefgh"},
            {"abc\xE2\x82\xAC"
             "de",
             "abc\x80"
             "de"},
            {std::string("abc\0def", 7), "abcdef", 1},
            {std::string("abcdefg\0", 8), "abcdefg", 1},
            {std::string("x\0", 2), "x", 1},
            {"a\xE4\xB8\xAD"
             "b",
             "a?b", 0, 1},
            {"abcdefghijklmno\xE4\xB8\xAD", "abcdefghijklmno?", 0, 1},
    };
    constexpr std::size_t kPiece = 256 * 1024;
    constexpr int kCopies = 24;
    for (const Case &c : cases) {
        const std::string line = c.value + "\n";
        for (std::size_t shift = 0; shift <= line.size(); ++shift) {
            SCOPED_TRACE(testing::Message() << '"' << c.expected << "\" shift " << shift);
            // Filler lines up to a little before the end of the first piece,
            // so that the piece ends `shift` bytes into one of the copies.
            std::string csv = "a\n";
            const std::string filler = std::string(99, 'y') + "\n";
            const std::size_t target = kPiece - (kCopies / 2) * line.size() - shift;
            while (csv.size() + filler.size() + 2 <= target)
                csv += filler;
            csv += std::string(target - csv.size() - 1, 'z') + "\n";
            const int fillers = int(std::count(csv.begin(), csv.end(), '\n')) - 1;
            for (int i = 0; i < kCopies; ++i)
                csv += line;

            ScriptedServices services;
            ScopedServices scope(&services);
            RecordingMemoSink memos;
            CDataTable table;
            CsvImportInfo info;
            ASSERT_EQ(ImportCsvBytes(table, csv.data(), csv.size(), {}, memos, nullptr, &info), 1);
            ASSERT_EQ(table.GetRecordCount(), fillers + kCopies);
            for (int i = 0; i < kCopies; ++i)
                ASSERT_EQ(table.GetRecord(fillers + i)->GetRawValue(0), c.expected) << i;
            EXPECT_EQ(info.nulBytes, c.nuls * kCopies);
            EXPECT_EQ(info.replaced, c.replaced * kCopies);
        }
    }
}

} // namespace

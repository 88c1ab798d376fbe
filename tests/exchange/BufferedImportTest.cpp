// The SDF and dBASE imports read files in pieces. What lies on the edge of a
// piece must read as it does in one piece: these tests read the same files
// whole and in pieces of many small odd sizes, and at full size through the
// real pieces.
#include "SdfTestSupport.h"

#include "bench/GeneratedTable.h"
#include "exchange/DbaseExport.h"
#include "exchange/DbaseImport.h"
#include "exchange/SdfExport.h"
#include "platform/Clock.h"
#include "support/TableCompare.h"
#include "support/TestEnvironment.h"
#include "table/DataRecord.h"
#include "table/ValueFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTimeZone>

using namespace orvel;
using namespace orvel::test;

namespace {

// The same rows; names the first row that differs instead of printing all.
testing::AssertionResult SameRows(const Rows &expected, const Rows &actual)
{
    if (expected.size() != actual.size())
        return testing::AssertionFailure() << "rows: " << expected.size() << " vs " << actual.size();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i])
            return testing::AssertionFailure() << "row " << i << " differs";
    }
    return testing::AssertionSuccess();
}

class BufferedImportTest : public testing::Test
{
protected:
    void SetUp() override { dir = MakeScratchDir(); }
    QString path(const char *name) const { return dir + QLatin1Char('/') + QLatin1String(name); }

    static void writeFile(const QString &file, const QByteArray &bytes)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(out.write(bytes), bytes.size());
    }

    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    ScopedFixedTime time{QDateTime(QDate(1997, 3, 1), QTime(12, 0), QTimeZone::utc())};
    QString dir;
};

// Delimited text with every kind of byte the reader treats specially:
// quoted values with doubled quotes and field delimiters, CR LF and lone LF,
// TABs, bytes above ASCII, values beyond 254 bytes, empty values, blank lines.
QByteArray TrickySdf(int lines)
{
    QRandomGenerator random(4711);
    static const char pieces[][8] = {"a", "Ü", "\"\"", ",", "\t", " ", "ß", "\xFF", "x\r", "12"};
    QByteArray out;
    for (int line = 0; line < lines; ++line) {
        const int values = 1 + int(random.bounded(6));
        for (int v = 0; v < values; ++v) {
            if (v > 0)
                out += ',';
            const bool quoted = random.bounded(3) != 0;
            const int length = random.bounded(20) == 0 ? 300 : int(random.bounded(30));
            QByteArray value;
            for (int i = 0; i < length; ++i) {
                const char *piece = pieces[random.bounded(int(std::size(pieces)))];
                if (!quoted && (piece[0] == '"' || piece[0] == ','))
                    piece = "b";
                value += piece;
            }
            out += quoted ? '"' + value + '"' : value;
        }
        out += random.bounded(2) ? "\r\n" : "\n";
        if (random.bounded(50) == 0)
            out += "\n";
    }
    return out;
}

TEST_F(BufferedImportTest, SdfReadsTheSameInAnyPieceSize)
{
    const QByteArray bytes = TrickySdf(4000);
    ASSERT_GT(bytes.size(), 200 * 1024);
    writeFile(path("text.sdf"), bytes);

    for (const ExchangeCharSet charSet : {ExchangeCharSet::Ansi, ExchangeCharSet::Dos}) {
        CDataTable whole;
        ASSERT_EQ(ImportSdfBytes(whole, bytes.constData(), std::size_t(bytes.size()), charSet, nullptr), 1);
        ASSERT_GT(whole.GetRecordCount(), 3900);
        for (const std::size_t piece : {1u, 2u, 3u, 7u, 13u, 61u, 4099u}) {
            SCOPED_TRACE(piece);
            CDataTable pieces;
            ASSERT_EQ(ImportSdf(pieces, path("text.sdf"), charSet, nullptr, piece), 1);
            EXPECT_TRUE(SameRows(TableRows(whole), TableRows(pieces)));
        }
    }
}

TEST_F(BufferedImportTest, FullSizeSdfThroughTheRealPieces)
{
    const auto table = bench::MakeGeneratedTable();
    QFile out(path("voll.sdf"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(ExportSdf(*table, out, ExchangeCharSet::Dos, nullptr), 1);
    out.close();
    QFile in(path("voll.sdf"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    ASSERT_GT(bytes.size(), qsizetype(20 * kSdfReadPiece));

    CDataTable whole;
    ASSERT_EQ(ImportSdfBytes(whole, bytes.constData(), std::size_t(bytes.size()), ExchangeCharSet::Dos, nullptr), 1);
    CDataTable pieces;
    ASSERT_EQ(ImportSdf(pieces, path("voll.sdf"), ExchangeCharSet::Dos, nullptr), 1);
    ASSERT_EQ(pieces.GetRecordCount(), 30000);
    EXPECT_TRUE(SameRows(TableRows(whole), TableRows(pieces)));
    // Each value came back as it was displayed.
    for (int i = 0; i < 30000; i += 997) {
        for (int k = 0; k < table->GetFieldCount(); ++k) {
            EXPECT_EQ(pieces.GetRecord(i)->GetRawValue(k), TrimTrailingBlanks(table->GetRecord(i)->GetDisplayValue(k)))
                    << i << ' ' << k;
        }
    }
}

// A dBASE file of the generated table, read in stretches of any size; the
// QFile makes the import read (a buffer in memory would be used in place).
TEST_F(BufferedImportTest, DbaseReadsTheSameInAnyStretch)
{
    const auto table = bench::MakeGeneratedTable(30000);
    {
        QFile out(path("voll.dbf"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(ExportDbase(*table, out, ExchangeCharSet::Ansi, nullptr), 1);
    }
    ASSERT_GT(QFileInfo(path("voll.dbf")).size(), qint64(10 * kDbaseReadChunk));

    auto import = [&](CDataTable &into, std::size_t chunk) {
        QFile in(path("voll.dbf"));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        ASSERT_EQ(ImportDbase(into, in, ExchangeCharSet::Ansi, nullptr, chunk), 1);
    };
    CDataTable whole;
    import(whole, std::size_t(1) << 30);
    ASSERT_EQ(whole.GetRecordCount(), 30000);
    CDataTable real;
    import(real, kDbaseReadChunk);
    EXPECT_TRUE(SameTables(whole, real));
    for (const std::size_t chunk : {1u, 7u, 1000u, 4099u}) {
        SCOPED_TRACE(chunk);
        CDataTable small;
        import(small, chunk);
        EXPECT_TRUE(SameTables(whole, small));
    }
    // The values are the table's own, cut as the export cuts them.
    for (int i = 0; i < 30000; i += 1009)
        EXPECT_EQ(real.GetRecord(i)->GetRawValue(0), table->GetRecord(i)->GetRawValue(0)) << i;
}

} // namespace

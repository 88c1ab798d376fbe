// The imports convert their records on several processor cores at once. A
// file must read the same however its records are split: the same values,
// marks and messages, and the same stop at an end marker or where the file
// is cut short, wherever that lies against the ranges and stretches.
#include "DbaseTestSupport.h"

#include "platform/Clock.h"
#include "platform/ScriptedServices.h"
#include "support/TableCompare.h"
#include "table/DataRecord.h"

#include <QTimeZone>

#include <gtest/gtest.h>

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

void importDbase(const QByteArray &bytes, ExchangeCharSet charSet, std::size_t chunk, int parts, Imported &out)
{
    ScriptedServices services;
    ScopedServices scope(&services);
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    out.result = ImportDbase(out.table, buffer, charSet, nullptr, DbaseMemoSource(), chunk, parts);
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
        }
    }
}

} // namespace

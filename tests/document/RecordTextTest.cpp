#include "DocumentTestSupport.h"

#include "document/RecordText.h"
#include "table/FieldType.h"

using namespace orvel;
using namespace orvel::test;

namespace {

TEST(RecordText, DisplayValuesOnePerLineAndTerminated)
{
    COrvelDoc doc;
    AddField(doc, "&Name");
    AddField(doc, "Betrag", FT_NUMERIC);
    doc.GetTable().SetFieldFormat(2, 1);
    AddField(doc, "Leer");
    AddField(doc, "Ort");
    AddRecord(doc, {"M\xFCller", "1234.5", "", "K\xF6ln"});

    const QByteArray block = RecordTextBlock(doc.GetTable(), 0);
    // Windows-1252 bytes, the number as shown under de_DE, the empty value
    // as an empty line.
    EXPECT_EQ(block, QByteArray("M\xFCller\r\n1.234,50\r\n\r\nK\xF6ln\r\n\0", 27));

    EXPECT_EQ(RecordTextBlock(doc.GetTable(), 1), QByteArray(1, '\0'));
}

TEST(RecordText, LongRecordIsCutToTheBlockAndStaysTerminated)
{
    COrvelDoc doc;
    for (int k = 0; k < 32; ++k)
        AddField(doc, "Feld");
    CDataTable &table = doc.GetTable();
    auto record = table.CreateRecord(false);
    QByteArray expected;
    for (int k = 0; k < 32; ++k) {
        const std::string value(255, char('A' + k % 26));
        record->SetRawValue(value, k);
        expected += QByteArray::fromStdString(value) + "\r\n";
    }
    table.AddRecord(std::move(record));
    ASSERT_GT(expected.size(), kRecordTextBlockSize);

    const QByteArray block = RecordTextBlock(table, 0);
    ASSERT_EQ(block.size(), kRecordTextBlockSize);
    EXPECT_EQ(block.back(), '\0');
    EXPECT_EQ(block.left(kRecordTextBlockSize - 1), expected.left(kRecordTextBlockSize - 1));
}

} // namespace

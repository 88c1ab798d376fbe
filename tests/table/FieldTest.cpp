#include "table/FieldName.h"
#include "table/FieldType.h"
#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace orvel;
using namespace orvel::test;

namespace {

std::vector<AnsiString> names(const CDataTable &table)
{
    std::vector<AnsiString> result;
    for (int pos = 0; pos < table.GetFieldCount(); ++pos)
        result.push_back(table.GetFieldName(pos));
    return result;
}

std::vector<AnsiString> row(const CDataTable &table, int index)
{
    std::vector<AnsiString> result;
    for (int pos = 0; pos < table.GetFieldCount(); ++pos)
        result.emplace_back(table.GetRecord(index)->GetRawValue(pos));
    return result;
}

using Names = std::vector<AnsiString>;

TEST(Fields, NewTableIsEmptyAndUnmodified)
{
    CDataTable table;
    EXPECT_EQ(table.GetFieldCount(), 0);
    EXPECT_EQ(table.GetTotalWidth(), 0);
    EXPECT_FALSE(table.IsModified());
    EXPECT_EQ(table.GetSdfFieldDelimiter(), ',');
    EXPECT_EQ(table.GetSdfDataDelimiter(), '"');
    EXPECT_EQ(table.GetFieldName(0), "");
    EXPECT_EQ(table.GetStorageColumn(0), -1);
}

TEST(Fields, AppendedFieldsGetTheDefaults)
{
    CDataTable table;
    EXPECT_EQ(table.InsertField("Name", -1), 0);
    EXPECT_EQ(table.InsertField("Ort", -1), 1);
    EXPECT_TRUE(table.IsModified());
    EXPECT_EQ(names(table), (Names{"Name", "Ort"}));
    EXPECT_EQ(table.GetFieldType(1), FT_TEXT);
    EXPECT_EQ(table.GetFieldFormat(1), 0);
    EXPECT_EQ(table.GetPrintFlag(1), 1);
    EXPECT_EQ(table.GetColumnWidth(1), 18);
    EXPECT_EQ(table.GetDefaultValue(1), "");
    EXPECT_EQ(table.GetTotalWidth(), 36);
}

TEST(Fields, InsertAtPositionZeroUsesANewLastColumn)
{
    CDataTable table;
    AddTextFields(table, {"X", "Y"});
    AddRow(table, {"x1", "y1"});
    EXPECT_EQ(table.InsertField("Neu", 0), 0);
    EXPECT_EQ(names(table), (Names{"Neu", "X", "Y"}));
    EXPECT_EQ(table.GetStorageColumn(0), 2);
    EXPECT_EQ(table.GetStorageColumn(1), 0);
    EXPECT_EQ(table.GetStorageColumn(2), 1);
    EXPECT_EQ(row(table, 0), (Names{"", "x1", "y1"}));
    EXPECT_EQ(table.GetRecord(0)->GetValueCount(), 3);
    // The new field takes values of its own.
    table.GetRecord(0)->SetRawValue("n1", 0);
    EXPECT_EQ(row(table, 0), (Names{"n1", "x1", "y1"}));
    EXPECT_EQ(table.GetRecord(0)->GetRawValueAt(2), "n1");
}

TEST(Fields, DeletingStorageColumnZeroMovesEveryRecordsValues)
{
    CDataTable table;
    AddTextFields(table, {"X", "Y", "Z"});
    AddRow(table, {"x1", "y1", "z1"});
    AddRow(table, {"x2", "", "z2"});
    table.SetFieldType(FT_DATE, 2);
    table.SetFieldFormat(5, 2);
    table.SetModified(false);

    ASSERT_TRUE(table.DeleteField(0));
    EXPECT_TRUE(table.IsModified());
    EXPECT_EQ(names(table), (Names{"Y", "Z"}));
    EXPECT_EQ(table.GetStorageColumn(0), 0);
    EXPECT_EQ(table.GetStorageColumn(1), 1);
    EXPECT_EQ(table.GetFieldType(1), FT_DATE); // type and format move with the field
    EXPECT_EQ(table.GetFieldFormat(1), 5);
    EXPECT_EQ(table.GetTotalWidth(), 36);
    EXPECT_EQ(row(table, 0), (Names{"y1", "z1"}));
    EXPECT_EQ(row(table, 1), (Names{"", "z2"}));
    EXPECT_EQ(table.GetRecord(1)->GetValueCount(), 2);

    // The next field appended is a fresh column with the defaults.
    EXPECT_EQ(table.InsertField("W", -1), 2);
    EXPECT_EQ(table.GetStorageColumn(2), 2);
    EXPECT_EQ(table.GetFieldType(2), FT_TEXT);
    EXPECT_EQ(row(table, 1), (Names{"", "z2", ""}));
}

TEST(Fields, DeletingAFieldWhoseColumnDiffersFromItsPosition)
{
    CDataTable table;
    AddTextFields(table, {"A", "B"});
    AddRow(table, {"a", "b"});
    table.InsertField("C", 0); // order C A B, columns 2 0 1
    table.GetRecord(0)->SetRawValue("c", 0);
    ASSERT_TRUE(table.DeleteField(1)); // A, column 0
    EXPECT_EQ(names(table), (Names{"C", "B"}));
    EXPECT_EQ(table.GetStorageColumn(0), 1);
    EXPECT_EQ(table.GetStorageColumn(1), 0);
    EXPECT_EQ(row(table, 0), (Names{"c", "b"}));
    EXPECT_FALSE(table.DeleteField(2));
    EXPECT_FALSE(table.DeleteField(-1));
}

TEST(Fields, DeletingTheLastFieldUnmarksEveryRecord)
{
    CDataTable table;
    AddTextFields(table, {"A"});
    AddRow(table, {"1"}).SetMark(true);
    AddRow(table, {"2"}).SetMark(true);
    ASSERT_EQ(table.GetMarkedCount(), 2);
    table.DeleteField(0);
    EXPECT_EQ(table.GetMarkedCount(), 0);
    EXPECT_FALSE(table.GetRecord(0)->IsMarked());
    EXPECT_EQ(table.GetRecord(0)->GetValueCount(), 0);
}

TEST(Fields, AtMostThirtyTwoFields)
{
    CDataTable table;
    for (int i = 0; i < kMaxFields; ++i)
        ASSERT_EQ(table.InsertField("F", 0), 0);
    EXPECT_EQ(table.InsertField("G", -1), -1);
    EXPECT_FALSE(table.SetFieldName("G", 32));
    EXPECT_EQ(table.GetFieldCount(), 32);
    EXPECT_EQ(table.GetTotalWidth(), 32 * 18);
}

TEST(Fields, SetFieldNameRenamesOrCreates)
{
    CDataTable table;
    EXPECT_TRUE(table.SetFieldName("Name", 0)); // no column yet: created
    EXPECT_TRUE(table.SetFieldName("Ort", 1));
    EXPECT_TRUE(table.SetFieldName("&Vorname", 0));
    EXPECT_EQ(names(table), (Names{"&Vorname", "Ort"}));
    EXPECT_EQ(table.GetDefaultValue(1), "");
    EXPECT_EQ(table.GetTotalWidth(), 36);
    EXPECT_FALSE(table.SetFieldName("X", -1));

    const AnsiString longName(300, 'n');
    table.SetFieldName(longName, 1);
    table.SetDefaultValue(longName, 1);
    EXPECT_EQ(table.GetFieldName(1).size(), 255u); // what a file can hold
    EXPECT_EQ(table.GetDefaultValue(1).size(), 255u);
}

TEST(Fields, PlainNames)
{
    EXPECT_EQ(PlainFieldName("&Name"), "Name");
    EXPECT_EQ(PlainFieldName("A&&B"), "A&B");
    EXPECT_EQ(PlainFieldName("A&&&B"), "A&&B");
    EXPECT_EQ(PlainFieldName("Ort&"), "Ort");
    EXPECT_EQ(PlainFieldName("&&"), "&");
    EXPECT_EQ(PlainFieldName("Gr\xF6&\xDF"
                             "e"),
              "Gr\xF6\xDF"
              "e");
    EXPECT_EQ(PlainFieldName(""), "");

    EXPECT_TRUE(SamePlainFieldName("&Name", "Name"));
    EXPECT_TRUE(SamePlainFieldName("Na&me", "&Name"));
    EXPECT_FALSE(SamePlainFieldName("Name", "name"));
    EXPECT_FALSE(SamePlainFieldName("A&&B", "A&B"));
    EXPECT_TRUE(SamePlainFieldName("A&&B", "&A&&B"));

    CDataTable table;
    AddTextFields(table, {"&Name", "A&&B", "Ort"});
    EXPECT_EQ(table.GetPlainFieldName(0), "Name");
    EXPECT_EQ(table.GetPlainFieldName(1), "A&B");
    EXPECT_EQ(table.FindPlainFieldName("Name"), 0);
    EXPECT_EQ(table.FindPlainFieldName("Name", 0), -1); // renaming the field itself
    EXPECT_EQ(table.FindPlainFieldName("name"), -1);
    EXPECT_EQ(table.FindPlainFieldName("A&&B&"), 1);
    EXPECT_EQ(table.FindPlainFieldName("A&B"), -1);
    // The table itself takes a repeated name (imported files have them).
    EXPECT_EQ(table.InsertField("Ort", -1), 3);
    EXPECT_EQ(table.FindPlainFieldName("Ort", 2), 3);
}

TEST(Fields, MediaTypesNarrowTheColumn)
{
    CDataTable table;
    AddTextFields(table, {"Name", "Bild"});
    table.SetColumnWidth(25, 1);
    EXPECT_EQ(table.GetTotalWidth(), 43);
    EXPECT_TRUE(table.SetFieldType(FT_PICTURE, 1));
    EXPECT_EQ(table.GetColumnWidth(1), 10);
    EXPECT_EQ(table.GetTotalWidth(), 28);
    EXPECT_TRUE(table.SetFieldType(FT_TEXT, 1)); // back to a data type: the width stays
    EXPECT_EQ(table.GetColumnWidth(1), 10);
    EXPECT_TRUE(table.SetFieldType(FT_NUMERIC, 0));
    EXPECT_EQ(table.GetColumnWidth(0), 18);
    EXPECT_FALSE(table.SetFieldType(7, 0));
    EXPECT_FALSE(table.SetFieldType(FT_MEMO, 2));
    EXPECT_EQ(table.GetFieldType(0), FT_NUMERIC);
}

TEST(Fields, RetypingKeepsTheStoredValues)
{
    CDataTable table;
    AddTextFields(table, {"Wert"});
    CDataRecord &record = AddRow(table, {"abc"});
    table.SetFieldType(FT_NUMERIC, 0);
    table.SetFieldFormat(2, 0);
    EXPECT_EQ(record.GetRawValue(0), "abc");
    EXPECT_EQ(record.GetDisplayValue(0), "##");
    table.SetFieldType(FT_TEXT, 0);
    EXPECT_EQ(record.GetDisplayValue(0), "abc");
}

TEST(Fields, NewOrderFromTheFieldDialog)
{
    CDataTable table;
    AddTextFields(table, {"A", "B", "C"});
    AddRow(table, {"a", "b", "c"});
    table.SetDbaseLength(30, 2);
    EXPECT_FALSE(table.ApplyFieldOrder({2, 0}));
    EXPECT_FALSE(table.ApplyFieldOrder({2, 0, 0}));
    EXPECT_FALSE(table.ApplyFieldOrder({3, 0, 1}));
    EXPECT_EQ(names(table), (Names{"A", "B", "C"}));
    ASSERT_TRUE(table.ApplyFieldOrder({2, 0, 1})); // the last field dragged to the top
    EXPECT_EQ(names(table), (Names{"C", "A", "B"}));
    EXPECT_EQ(row(table, 0), (Names{"c", "a", "b"}));
    EXPECT_EQ(table.GetDbaseLength(0), 30);
    EXPECT_EQ(table.GetDbaseLength(2), 0);
}

TEST(Fields, DbaseLengthsStayWithTheirFields)
{
    CDataTable table;
    AddTextFields(table, {"A", "B", "C"});
    table.SetDbaseLength(10, 0);
    table.SetDbaseLength(20, 1);
    table.SetDbaseLength(300, 2);
    EXPECT_EQ(table.GetDbaseLength(2), 255);
    table.InsertField("Neu", 1);
    EXPECT_EQ(table.GetDbaseLength(0), 10);
    EXPECT_EQ(table.GetDbaseLength(1), 0);
    EXPECT_EQ(table.GetDbaseLength(2), 20);
    table.DeleteField(0);
    EXPECT_EQ(table.GetDbaseLength(0), 0);
    EXPECT_EQ(table.GetDbaseLength(1), 20);
    EXPECT_EQ(table.GetDbaseLength(2), 255);
    EXPECT_EQ(table.GetDbaseLength(3), 0);
}

TEST(Fields, EveryFieldOperationSetsModified)
{
    CDataTable table;
    AddTextFields(table, {"A", "B"});
    const std::function<bool()> operations[] = {
            [&] { return table.SetFieldName("C", 0); },
            [&] { return table.SetFieldType(FT_DATE, 0); },
            [&] { return table.SetFieldFormat(3, 0); },
            [&] { return table.SetPrintFlag(0, 0); },
            [&] { return table.SetDefaultValue("1.1.97", 0); },
            [&] { return table.SetColumnWidth(5, 0); },
            [&] {
                return table.ApplyFieldOrder({1, 0});
            },
            [&] { return table.InsertField("D", 1) >= 0; },
            [&] { return table.DeleteField(1); },
    };
    for (const auto &operation : operations) {
        table.SetModified(false);
        ASSERT_TRUE(operation());
        EXPECT_TRUE(table.IsModified());
    }
}

TEST(Fields, ClearReturnsToANewTable)
{
    CDataTable table;
    AddTextFields(table, {"A", "B"});
    AddRow(table, {"a", "b"}).SetMark(true);
    table.SetSdfDelimiters(';', '\'');
    table.Clear();
    EXPECT_EQ(table.GetFieldCount(), 0);
    EXPECT_EQ(table.GetRecordCount(), 0);
    EXPECT_EQ(table.GetMarkedCount(), 0);
    EXPECT_EQ(table.GetTotalWidth(), 0);
    EXPECT_EQ(table.GetTotalHeight(), 0);
    EXPECT_FALSE(table.IsModified());
    EXPECT_EQ(table.GetSdfFieldDelimiter(), ',');
    EXPECT_EQ(table.InsertField("X", -1), 0);
    EXPECT_EQ(table.GetStorageColumn(0), 0);
}

} // namespace

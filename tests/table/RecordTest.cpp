#include "platform/ScriptedServices.h"
#include "table/FieldType.h"
#include "table/RecordBufferPool.h"
#include "table/TableCommands.h"
#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

using namespace orvel;
using namespace orvel::test;

namespace {

std::vector<AnsiString> column(const CDataTable &table, int pos)
{
    std::vector<AnsiString> values;
    for (int i = 0; i < table.GetRecordCount(); ++i)
        values.emplace_back(table.GetRecord(i)->GetRawValue(pos));
    return values;
}

using Values = std::vector<AnsiString>;

// A table with the fields Name (text), Betrag (numeric, 2 decimals) and
// Datum (date, format 2) and the given names as records.
void MakeAddressTable(CDataTable &table, std::initializer_list<const char *> rows)
{
    AddTextFields(table, {"Name", "Betrag", "Datum"});
    table.SetFieldType(FT_NUMERIC, 1);
    table.SetFieldFormat(2, 1);
    table.SetFieldType(FT_DATE, 2);
    table.SetFieldFormat(2, 2);
    for (const char *name : rows)
        AddRow(table, {name});
    table.SetModified(false);
}

class Records : public testing::Test
{
protected:
    ScopedFixedTime now{TableTestNow()};
    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    CDataTable table;
};

TEST_F(Records, ValuesAreStoredByType)
{
    MakeAddressTable(table, {});
    auto record = table.CreateRecord(false);
    EXPECT_EQ(record->GetValueCount(), 3);
    EXPECT_EQ(record->GetModificationTime(), 0u);
    EXPECT_TRUE(record->SetValue("M\xFCller  ", 0));
    EXPECT_TRUE(record->SetValue("1.234,5", 1));
    EXPECT_TRUE(record->SetValue("24.12.96", 2));
    EXPECT_EQ(record->GetModificationTime(), static_cast<std::uint32_t>(TableTestNow().toSecsSinceEpoch()));
    EXPECT_EQ(record->GetRawValue(0), "M\xFCller");
    EXPECT_EQ(record->GetRawValue(1), "1234.5");
    EXPECT_EQ(record->GetRawValue(2), "19961224");
    EXPECT_EQ(record->GetValueLength(2), 8);
    EXPECT_EQ(record->GetDisplayValue(1), "1.234,50");
    EXPECT_EQ(record->GetDisplayValue(2), "24.12.1996");

    // Raw values are taken as they are, but without trailing blanks.
    record->SetRawValue("1.234,5 ", 1);
    EXPECT_EQ(record->GetRawValue(1), "1.234,5");
    EXPECT_EQ(record->GetDisplayValue(1), "##");

    EXPECT_FALSE(record->SetValue("x", 3));
    EXPECT_FALSE(record->SetRawValue("x", -1));
    EXPECT_EQ(record->GetRawValue(3), "");
    EXPECT_EQ(record->GetDisplayValue(-1), "");
}

TEST_F(Records, ValuesFollowTheDisplayOrder)
{
    AddTextFields(table, {"A", "B"});
    table.InsertField("C", 1); // columns: A 0, C 2, B 1
    CDataRecord &record = AddRow(table, {"a", "c", "b"});
    EXPECT_EQ(record.GetRawValueAt(0), "a");
    EXPECT_EQ(record.GetRawValueAt(1), "b");
    EXPECT_EQ(record.GetRawValueAt(2), "c");
    table.SetFieldType(FT_NUMERIC, 1);
    record.SetValue("1.000", 1);
    EXPECT_EQ(record.GetRawValue(1), "1000"); // normalised by C's type
    EXPECT_EQ(record.GetRawValue(2), "b");
}

TEST_F(Records, ValuesAreCutAt255Bytes)
{
    AddTextFields(table, {"A", "B", "C"});
    CDataRecord &record = AddRow(table, {"a", "b", "c"});
    EXPECT_TRUE(record.SetRawValue(AnsiString(255, 'x'), 1));
    EXPECT_EQ(record.GetValueLength(1), 255);
    EXPECT_FALSE(record.SetValue(AnsiString(300, 'y'), 1));
    EXPECT_EQ(record.GetRawValue(1), AnsiString(255, 'y'));
    EXPECT_EQ(record.GetRawValue(0), "a");
    EXPECT_EQ(record.GetRawValue(2), "c");
}

TEST_F(Records, RewritingValuesKeepsTheOthers)
{
    AddTextFields(table, {"A", "B", "C", "D"});
    CDataRecord &record = AddRow(table, {"eins", "zwei", "drei", "vier"});
    // Growing, shrinking and emptying values in the middle of the buffer.
    record.SetRawValue(AnsiString(200, 'z'), 1);
    record.SetRawValue("", 2);
    record.SetRawValue("Z", 1);
    record.SetRawValue(AnsiString(100, 'd'), 2);
    EXPECT_EQ(record.GetRawValue(0), "eins");
    EXPECT_EQ(record.GetRawValue(1), "Z");
    EXPECT_EQ(record.GetRawValue(2), AnsiString(100, 'd'));
    EXPECT_EQ(record.GetRawValue(3), "vier");
    // A value taken from the record itself.
    record.SetRawValue(record.GetRawValue(2), 0);
    record.SetRawValue(record.GetRawValue(3).substr(1), 2);
    EXPECT_EQ(record.GetRawValue(0), AnsiString(100, 'd'));
    EXPECT_EQ(record.GetRawValue(2), "ier");
    record.SetRawValue(AnsiView("a\0b", 3), 3);
    EXPECT_EQ(record.GetValueLength(3), 3);
}

TEST_F(Records, MarksAndHeightsKeepTheTotals)
{
    AddTextFields(table, {"A"});
    auto marked = table.CreateRecord();
    marked->SetMark(true);
    marked->SetRowHeight(3);
    table.AddRecord(std::move(marked));
    AddRow(table, {"b"}).SetRowHeight(2);
    AddRow(table, {"c"});
    EXPECT_EQ(table.GetMarkedCount(), 1);
    EXPECT_EQ(table.GetTotalHeight(), 6);

    EXPECT_FALSE(table.GetRecord(0)->SetMark(true)); // already marked: no change
    EXPECT_EQ(table.GetMarkedCount(), 1);
    table.GetRecord(2)->SetMark(true);
    EXPECT_EQ(table.GetMarkedCount(), 2);
    table.GetRecord(1)->SetRowHeight(0); // heights stay within 1-3
    EXPECT_EQ(table.GetRecord(1)->GetRowHeight(), 1);
    table.GetRecord(2)->SetRowHeight(7);
    EXPECT_EQ(table.GetTotalHeight(), 7);

    table.RemoveRecord(0);
    EXPECT_EQ(table.GetMarkedCount(), 1);
    EXPECT_EQ(table.GetTotalHeight(), 4);
    table.MarkAllRecords();
    EXPECT_EQ(table.GetMarkedCount(), 2);
    table.UnmarkAllRecords();
    EXPECT_EQ(table.GetMarkedCount(), 0);
    table.GetRecord(0)->SetMark(true);
    table.RemoveAllRecords();
    EXPECT_EQ(table.GetMarkedCount(), 0);
    EXPECT_EQ(table.GetTotalHeight(), 0);
}

TEST_F(Records, InsertingAndRemovingByIndex)
{
    AddTextFields(table, {"A"});
    AddRow(table, {"b"});
    auto first = table.CreateRecord();
    first->SetRawValue("a", 0);
    EXPECT_EQ(table.InsertRecord(0, std::move(first)), 0);
    auto last = table.CreateRecord();
    last->SetRawValue("c", 0);
    EXPECT_EQ(table.InsertRecord(2, std::move(last)), 2);
    EXPECT_EQ(column(table, 0), (Values{"a", "b", "c"}));
    EXPECT_EQ(table.GetRecord(1)->GetOwner(), &table);
    EXPECT_FALSE(table.RemoveRecord(3));
    EXPECT_TRUE(table.RemoveRecord(1));
    EXPECT_EQ(column(table, 0), (Values{"a", "c"}));
    EXPECT_EQ(table.GetRecord(2), nullptr);
}

TEST_F(Records, ARecordForAnotherLayoutIsFittedToTheTable)
{
    CDataTable other;
    AddTextFields(other, {"X"});
    AddTextFields(table, {"A", "B"});
    auto record = other.CreateRecord();
    record->SetRawValue("x", 0);
    EXPECT_EQ(record->GetOwner(), nullptr);
    ASSERT_EQ(table.AddRecord(std::move(record)), 0);
    EXPECT_EQ(table.GetRecord(0)->GetValueCount(), 2);
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(0), "x");
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(1), "");
}

TEST_F(Records, TheTableHoldsAtMost30000Records)
{
    AddTextFields(table, {"A"});
    table.SetModified(false);
    for (int i = 0; i < kMaxRecords; ++i)
        ASSERT_EQ(table.AddRecord(table.CreateRecord(false)), i);
    EXPECT_EQ(table.AddRecord(table.CreateRecord(false)), -1);
    EXPECT_EQ(table.InsertRecord(0, table.CreateRecord(false)), -1);
    EXPECT_EQ(table.GetRecordCount(), kMaxRecords);

    int current = 5;
    EXPECT_FALSE(NewRecordBeforeCommand(table, current));
    EXPECT_FALSE(NewRecordAfterCommand(table, current));
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{345, 345}));
    EXPECT_EQ(current, 5);
    EXPECT_EQ(table.GetRecordCount(), kMaxRecords);
    EXPECT_FALSE(table.IsModified());
}

TEST_F(Records, NewRecordsCarryTheNormalisedDefaults)
{
    MakeAddressTable(table, {});
    table.SetDefaultValue("Neu  ", 0);
    table.SetDefaultValue("1.234,5", 1);
    table.SetDefaultValue("1.1.97", 2);
    table.SetModified(false);
    int current = -1;
    ASSERT_TRUE(NewRecordBeforeCommand(table, current));
    EXPECT_EQ(current, 0);
    EXPECT_TRUE(table.IsModified());
    const CDataRecord *record = table.GetRecord(0);
    EXPECT_EQ(record->GetRawValue(0), "Neu");
    EXPECT_EQ(record->GetRawValue(1), "1234.5");
    EXPECT_EQ(record->GetRawValue(2), "19970101");
    EXPECT_EQ(record->GetRowHeight(), 1);
    EXPECT_EQ(record->GetModificationTime(), static_cast<std::uint32_t>(TableTestNow().toSecsSinceEpoch()));
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(Records, NewRecordBeforeTheCurrentOne)
{
    MakeAddressTable(table, {"a", "b"});
    table.SetDefaultValue("neu", 0);
    int current = 1;
    ASSERT_TRUE(NewRecordBeforeCommand(table, current));
    EXPECT_EQ(current, 1);
    EXPECT_EQ(column(table, 0), (Values{"a", "neu", "b"}));
    current = -1; // no current record: appended
    ASSERT_TRUE(NewRecordBeforeCommand(table, current));
    EXPECT_EQ(current, 3);
    EXPECT_EQ(column(table, 0), (Values{"a", "neu", "b", "neu"}));
}

TEST_F(Records, NewRecordAfterTheCurrentOne)
{
    MakeAddressTable(table, {"a", "b"});
    table.SetDefaultValue("neu", 0);
    int current = 0;
    ASSERT_TRUE(NewRecordAfterCommand(table, current));
    EXPECT_EQ(current, 1);
    EXPECT_EQ(column(table, 0), (Values{"a", "neu", "b"}));
    current = 2; // the last: appended
    ASSERT_TRUE(NewRecordAfterCommand(table, current));
    EXPECT_EQ(current, 3);
    current = -1;
    ASSERT_TRUE(NewRecordAfterCommand(table, current));
    EXPECT_EQ(current, 4);
    EXPECT_EQ(column(table, 0), (Values{"a", "neu", "b", "neu", "neu"}));

    CDataTable noFields;
    current = -1;
    EXPECT_FALSE(NewRecordAfterCommand(noFields, current));
    EXPECT_EQ(noFields.GetRecordCount(), 0);
}

TEST_F(Records, DeleteRecordAsksAndMovesTheCurrentRecord)
{
    MakeAddressTable(table, {"a", "b", "c"});
    int current = 2;
    scripted.queueAnswer(MsgResult::No);
    scripted.queueAnswer(MsgResult::Cancel);
    EXPECT_FALSE(DeleteRecordCommand(table, current));
    EXPECT_FALSE(DeleteRecordCommand(table, current));
    EXPECT_EQ(table.GetRecordCount(), 3);
    EXPECT_FALSE(table.IsModified());
    ASSERT_EQ(scripted.messages().size(), 2u);
    EXPECT_EQ(scripted.messages()[0].id, 339);
    EXPECT_EQ(scripted.messages()[0].icon, MsgIcon::Question);
    EXPECT_EQ(scripted.messages()[0].buttons, MsgButtons::YesNoCancel);

    // The last record deleted: the new last one becomes current.
    ASSERT_TRUE(DeleteRecordCommand(table, current));
    EXPECT_EQ(current, 1);
    EXPECT_TRUE(table.IsModified());
    EXPECT_EQ(column(table, 0), (Values{"a", "b"}));
    current = 0;
    ASSERT_TRUE(DeleteRecordCommand(table, current));
    EXPECT_EQ(current, 0);
    EXPECT_EQ(column(table, 0), (Values{"b"}));
    ASSERT_TRUE(DeleteRecordCommand(table, current));
    EXPECT_EQ(current, -1);
    EXPECT_EQ(table.GetRecordCount(), 0);

    scripted.clear();
    EXPECT_FALSE(DeleteRecordCommand(table, current)); // nothing current: nothing asked
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(Records, DeleteMarkedRemovesAdjacentMarks)
{
    MakeAddressTable(table, {"a", "b", "c", "d", "e", "f"});
    for (const int i : {1, 2, 3, 5})
        table.GetRecord(i)->SetMark(true);
    int current = 4;
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(DeleteMarkedRecordsCommand(table, current));
    EXPECT_EQ(table.GetRecordCount(), 6);
    ASSERT_TRUE(DeleteMarkedRecordsCommand(table, current));
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{330, 330}));
    EXPECT_EQ(column(table, 0), (Values{"a", "e"}));
    EXPECT_EQ(table.GetMarkedCount(), 0);
    EXPECT_EQ(table.GetTotalHeight(), 2);
    EXPECT_EQ(current, 1); // past the end: the new last record
    EXPECT_TRUE(table.IsModified());

    table.MarkAllRecords();
    ASSERT_TRUE(DeleteMarkedRecordsCommand(table, current));
    EXPECT_EQ(current, -1);
    EXPECT_EQ(table.GetRecordCount(), 0);
}

TEST_F(Records, GoToAcceptsOnlyExistingNumbers)
{
    MakeAddressTable(table, {"a", "b", "c"});
    int current = 0;
    EXPECT_FALSE(GoToRecordCommand(table, 0, current));
    EXPECT_FALSE(GoToRecordCommand(table, 4, current));
    EXPECT_EQ(current, 0);
    ASSERT_EQ(scripted.messages().size(), 2u);
    EXPECT_EQ(scripted.messages()[1].id, 322);
    EXPECT_EQ(scripted.messages()[1].icon, MsgIcon::Stop);
    EXPECT_TRUE(GoToRecordCommand(table, 3, current));
    EXPECT_EQ(current, 2);
    EXPECT_TRUE(GoToRecordCommand(table, 1, current));
    EXPECT_EQ(current, 0);
}

TEST_F(Records, MarkCommandsFlagTheTable)
{
    MakeAddressTable(table, {"a", "b"});
    EXPECT_TRUE(ToggleMarkCommand(table, 1));
    EXPECT_TRUE(table.IsModified());
    EXPECT_EQ(table.GetMarkedCount(), 1);
    EXPECT_TRUE(ToggleMarkCommand(table, 1));
    EXPECT_EQ(table.GetMarkedCount(), 0);
    EXPECT_FALSE(ToggleMarkCommand(table, -1));
    EXPECT_TRUE(MarkAllCommand(table));
    EXPECT_EQ(table.GetMarkedCount(), 2);
    table.SetModified(false);
    EXPECT_TRUE(ClearMarksCommand(table));
    EXPECT_EQ(table.GetMarkedCount(), 0);
    EXPECT_TRUE(table.IsModified());
}

TEST_F(Records, NewFieldCommandStopsAt32Fields)
{
    EXPECT_EQ(NewFieldCommand(table, "Bild", -1, FT_PICTURE, 2, ""), 0);
    EXPECT_EQ(table.GetColumnWidth(0), 10);
    EXPECT_EQ(table.GetPrintFlag(0), 0);
    EXPECT_EQ(table.GetFieldFormat(0), 2);
    EXPECT_EQ(NewFieldCommand(table, "Datum", 0, FT_DATE, 2, "1.1.97"), 0);
    EXPECT_EQ(table.GetPrintFlag(0), 1);
    EXPECT_EQ(table.GetDefaultValue(0), "1.1.97");
    while (table.GetFieldCount() < kMaxFields)
        table.InsertField("F", -1);
    EXPECT_TRUE(scripted.messages().empty());

    EXPECT_FALSE(CheckFieldLimit(table));
    EXPECT_EQ(NewFieldCommand(table, "Zuviel", -1, FT_TEXT, 0, ""), -1);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{500, 500}));
    EXPECT_EQ(table.GetFieldCount(), kMaxFields);
}

} // namespace

namespace {

// Records made with their values at once store them as SetRawValues does,
// whether their buffer is their own or a piece of a pool's chunk, and pooled
// records stay whole however they change after the pool and the other
// records of their chunk have gone.
TEST_F(Records, RecordsMadeWithTheirValuesFromAPoolOutliveItAndChange)
{
    AddTextFields(table, {"A", "B", "C"});
    table.ApplyFieldOrder({2, 0, 1});
    const AnsiString full(255, 'x');
    const AnsiString tooLong(300, 'y');
    const AnsiView row[] = {"eins  ", "", tooLong};

    bool whole = true;
    auto own = table.CreateRecord(row, 3, false, &whole);
    EXPECT_FALSE(whole);
    auto reference = table.CreateRecord(false);
    EXPECT_FALSE(reference->SetRawValues(row, 3));
    for (int pos = 0; pos < 3; ++pos)
        EXPECT_EQ(own->GetRawValue(pos), reference->GetRawValue(pos)) << pos;

    // Three chunks' worth of records, so that pieces lie at every chunk's
    // end, and only every seventh record kept.
    std::vector<std::unique_ptr<CDataRecord>> made;
    {
        RecordBufferPool pool;
        for (int i = 0; i < 30000; ++i) {
            const AnsiString a = std::to_string(i);
            const AnsiView values[] = {a, i % 2 ? AnsiView(full) : AnsiView(), "z"};
            made.push_back(table.CreateRecord(values, 3, false, nullptr, &pool));
        }
    }
    std::vector<std::unique_ptr<CDataRecord>> kept;
    for (int i = 0; i < 30000; i += 7)
        kept.push_back(std::move(made[std::size_t(i)]));
    made.clear();
    ASSERT_EQ(table.InsertRecords(-1, kept), 4286);
    for (int r = 0; r < table.GetRecordCount(); ++r) {
        CDataRecord &record = *table.GetRecord(r);
        const int i = r * 7;
        ASSERT_EQ(record.GetRawValue(0), std::to_string(i));
        ASSERT_EQ(record.GetRawValue(1), i % 2 ? AnsiView(full) : AnsiView());
        // Shorter values stay in the piece, longer ones move out of it.
        record.SetRawValue("k", 2);
        record.SetRawValue(full, 0);
    }
    for (int r = 0; r < table.GetRecordCount(); ++r) {
        const CDataRecord &record = *table.GetRecord(r);
        ASSERT_EQ(record.GetRawValue(0), full);
        ASSERT_EQ(record.GetRawValue(1), r * 7 % 2 ? AnsiView(full) : AnsiView());
        ASSERT_EQ(record.GetRawValue(2), "k");
    }
}

} // namespace

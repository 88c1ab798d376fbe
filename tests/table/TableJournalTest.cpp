#include "table/TableJournal.h"

#include "platform/ScriptedServices.h"
#include "table/DataRecord.h"
#include "table/Duplicates.h"
#include "table/FieldType.h"
#include "table/FillDown.h"
#include "table/Search.h"
#include "table/SortKeys.h"
#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>

using namespace orvel;
using namespace orvel::test;

namespace {

// Everything a table holds, as text: fields with all their settings, then
// each record with its values, time of change, mark and row height, and the
// table's totals.
std::string Dump(const CDataTable &table)
{
    std::ostringstream out;
    out << "fields " << table.GetFieldCount() << " width " << table.GetTotalWidth() << " sdf "
        << table.GetSdfFieldDelimiter() << table.GetSdfDataDelimiter() << '\n';
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        out << table.GetStorageColumn(pos) << ' ' << table.GetFieldName(pos) << '|' << table.GetFieldType(pos) << '|'
            << table.GetFieldFormat(pos) << '|' << table.GetPrintFlag(pos) << '|' << table.GetDefaultValue(pos) << '|'
            << table.GetColumnWidth(pos) << '|' << table.GetDbaseLength(pos) << '\n';
    }
    out << "records " << table.GetRecordCount() << " marked " << table.GetMarkedCount() << " height "
        << table.GetTotalHeight() << '\n';
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        const CDataRecord *record = table.GetRecord(i);
        out << record->GetModificationTime() << (record->IsMarked() ? " * " : "   ") << record->GetRowHeight();
        for (int pos = 0; pos < table.GetFieldCount(); ++pos)
            out << '|' << record->GetRawValue(pos);
        out << '\n';
    }
    return out.str();
}

class TableJournalTest : public testing::Test
{
protected:
    void SetUp() override
    {
        AddTextFields(table, {"Name", "Ort", "Betrag"});
        table.SetFieldType(FT_NUMERIC, 2);
        const char *rows[][3] = {{"Meier", "Bonn", "12"},
                                 {"Anders", "K\xF6ln", "7"},
                                 {"Meier", "Bonn", "12"},
                                 {"Zorn", "", "3"},
                                 {"", "Aachen", ""},
                                 {"\xDC"
                                  "bel",
                                  "Bonn", "40"},
                                 {"Anders", "K\xF6ln", "7"},
                                 {"Berg", "Trier", "1"}};
        std::uint32_t time = 1000;
        for (const auto &row : rows) {
            CDataRecord &record = AddRow(table, {row[0], row[1], row[2]});
            record.SetModificationTime(time++);
        }
        table.GetRecord(3)->SetMark(true);
        table.GetRecord(5)->SetMark(true);
        table.GetRecord(1)->SetRowHeight(2);
    }

    // Runs the change under a journal and checks undo, redo and undo again
    // against the whole state of the table.
    void RoundTrip(const std::function<void(CDataTable &)> &change)
    {
        const std::string before = Dump(table);
        CTableJournal journal;
        ASSERT_TRUE(journal.Begin(table));
        change(table);
        journal.Finish();
        const std::string after = Dump(table);
        ASSERT_NE(before, after) << "the change changed nothing";
        ASSERT_TRUE(journal.Undo(table));
        EXPECT_EQ(Dump(table), before);
        ASSERT_TRUE(journal.Redo(table));
        EXPECT_EQ(Dump(table), after);
        ASSERT_TRUE(journal.Undo(table));
        EXPECT_EQ(Dump(table), before);
    }

    ScopedFixedTime now{TableTestNow()};
    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    CDataTable table;
};

TEST_F(TableJournalTest, EveryKindOfChangeIsTakenBackAndDoneAgain)
{
    const std::pair<const char *, std::function<void(CDataTable &)>> cases[] = {
            {"typed value", [](CDataTable &t) { t.GetRecord(2)->SetValue("M\xFCller", 0); }},
            {"number", [](CDataTable &t) { t.GetRecord(0)->SetValue("1.234,5", 2); }},
            {"insert record", [](CDataTable &t) { t.InsertRecord(3, t.CreateRecord()); }},
            {"insert block",
             [](CDataTable &t) {
                 std::vector<std::unique_ptr<CDataRecord>> block;
                 for (int i = 0; i < 3; ++i) {
                     block.push_back(t.CreateRecord());
                     block.back()->SetRawValue("neu", 0);
                 }
                 t.InsertRecords(1, block);
             }},
            {"remove record", [](CDataTable &t) { t.RemoveRecord(0); }},
            {"remove marked", [](CDataTable &t) { t.RemoveMarkedRecords(); }},
            {"remove all", [](CDataTable &t) { t.RemoveAllRecords(); }},
            {"mark all", [](CDataTable &t) { t.MarkAllRecords(); }},
            {"unmark all", [](CDataTable &t) { t.UnmarkAllRecords(); }},
            {"toggle mark", [](CDataTable &t) { t.GetRecord(0)->SetMark(true); }},
            {"row height", [](CDataTable &t) { t.GetRecord(4)->SetRowHeight(3); }},
            {"sort",
             [](CDataTable &t) {
                 SortKeys keys;
                 keys.key[0] = {0, 0};
                 keys.key[1] = {2, 1};
                 t.Sort(keys);
             }},
            {"fill down", [](CDataTable &t) { FillDown(t, 3, 0); }},
            {"replace all",
             [](CDataTable &t) {
                 SearchCriterion criterion{1, 0, "Bonn", "Berlin"};
                 ReplaceAll(t, criterion);
             }},
            {"duplicates",
             [](CDataTable &t) {
                 MarkDuplicates(t, {0, 1, 2});
             }},
            {"new field", [](CDataTable &t) { t.InsertField("Telefon", 1); }},
            {"new field with values",
             [](CDataTable &t) {
                 t.InsertField("Telefon", -1);
                 t.GetRecord(0)->SetValue("0228 1234", 3);
             }},
            {"delete field", [](CDataTable &t) { t.DeleteField(1); }},
            {"delete all fields",
             [](CDataTable &t) {
                 while (t.GetFieldCount() > 0)
                     t.DeleteField(0);
             }},
            {"rename", [](CDataTable &t) { t.SetFieldName("&Wohnort", 1); }},
            {"retype", [](CDataTable &t) { t.SetFieldType(FT_PICTURE, 1); }},
            {"field order",
             [](CDataTable &t) {
                 t.ApplyFieldOrder({2, 0, 1});
             }},
            {"default and format",
             [](CDataTable &t) {
                 t.SetDefaultValue("Bonn", 1);
                 t.SetFieldFormat(2, 2);
                 t.SetPrintFlag(0, 0);
                 t.SetDbaseLength(20, 0);
             }},
            {"order then values",
             [](CDataTable &t) {
                 t.ApplyFieldOrder({1, 2, 0});
                 t.GetRecord(1)->SetValue("x", 0);
                 t.DeleteField(2);
                 t.RemoveRecord(0);
             }},
    };
    for (const auto &[name, change] : cases) {
        SCOPED_TRACE(name);
        RoundTrip(change);
    }
}

// Steps one after another on one table, undone all and redone all, as the
// undo list runs them: every state on the way comes back exactly.
TEST_F(TableJournalTest, RandomSequenceUndoneAndRedoneGivesEveryState)
{
    std::mt19937 random(4711);
    const auto pick = [&random](int n) { return int(random() % unsigned(std::max(1, n))); };
    std::vector<std::unique_ptr<CTableJournal>> steps;
    std::vector<std::string> states{Dump(table)};
    for (int n = 0; n < 100; ++n) {
        auto journal = std::make_unique<CTableJournal>();
        ASSERT_TRUE(journal->Begin(table));
        const int records = table.GetRecordCount();
        switch (pick(10)) {
        case 0:
            if (records > 0 && table.GetFieldCount() > 0)
                table.GetRecord(pick(records))->SetValue(std::to_string(pick(1000)), pick(table.GetFieldCount()));
            break;
        case 1:
            table.InsertRecord(pick(records + 1), table.CreateRecord());
            break;
        case 2:
            table.RemoveRecord(pick(records));
            break;
        case 3:
            if (records > 0)
                table.GetRecord(pick(records))->SetMark(pick(2) == 1);
            break;
        case 4: {
            SortKeys keys;
            keys.key[0] = {pick(table.GetFieldCount()), pick(2)};
            table.Sort(keys);
            break;
        }
        case 5:
            table.RemoveMarkedRecords();
            break;
        case 6:
            if (table.GetFieldCount() < 6)
                table.InsertField("F" + std::to_string(n), pick(table.GetFieldCount() + 1));
            break;
        case 7:
            if (table.GetFieldCount() > 1)
                table.DeleteField(pick(table.GetFieldCount()));
            break;
        case 8: {
            SearchCriterion criterion{pick(table.GetFieldCount()), 0, "1", "eins"};
            ReplaceAll(table, criterion);
            break;
        }
        default:
            if (pick(2) == 0)
                table.MarkAllRecords();
            else
                table.UnmarkAllRecords();
            break;
        }
        journal->Finish();
        if (journal->IsEmpty())
            continue;
        steps.push_back(std::move(journal));
        states.push_back(Dump(table));
    }
    ASSERT_GT(steps.size(), 50u);
    for (std::size_t i = steps.size(); i-- > 0;) {
        ASSERT_TRUE(steps[i]->Undo(table)) << i;
        ASSERT_EQ(Dump(table), states[i]) << i;
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        ASSERT_TRUE(steps[i]->Redo(table)) << i;
        ASSERT_EQ(Dump(table), states[i + 1]) << i;
    }
}

// A step never applies to a table that has changed since: each check refuses
// it on its own and leaves the table as it is.
TEST_F(TableJournalTest, StepRefusesTableThatChangedSince)
{
    const std::pair<const char *, std::function<void(CDataTable &)>> outside[] = {
            {"value", [](CDataTable &t) { t.GetRecord(0)->SetRawValue("anders", 0); }},
            {"record", [](CDataTable &t) { t.AddRecord(t.CreateRecord()); }},
            {"mark", [](CDataTable &t) { t.GetRecord(0)->SetMark(true); }},
            {"field", [](CDataTable &t) { t.SetFieldName("X", 0); }},
            {"read again", [](CDataTable &t) { t.Clear(); }},
    };
    for (const auto &[name, change] : outside) {
        SCOPED_TRACE(name);
        CTableJournal journal;
        ASSERT_TRUE(journal.Begin(table));
        table.GetRecord(1)->SetValue("Step", 0);
        journal.Finish();
        change(table);
        const std::string changed = Dump(table);
        EXPECT_FALSE(journal.CanApply(table));
        EXPECT_FALSE(journal.Undo(table));
        EXPECT_EQ(Dump(table), changed);
        if (table.GetFieldCount() == 0)
            SetUp();
    }
    // Undone, it refuses to be redone over a change made after the undo.
    CTableJournal journal;
    ASSERT_TRUE(journal.Begin(table));
    table.RemoveRecord(0);
    journal.Finish();
    ASSERT_TRUE(journal.Undo(table));
    table.GetRecord(2)->SetRawValue("danach", 1);
    EXPECT_FALSE(journal.Redo(table));
}

TEST_F(TableJournalTest, ChangeWithoutEffectRecordsNothing)
{
    SortKeys keys;
    keys.key[0] = {0, 0};
    table.Sort(keys);
    const std::uint64_t revision = table.GetRevision();
    CTableJournal journal;
    ASSERT_TRUE(journal.Begin(table));
    table.Sort(keys); // sorted already: nothing moves
    table.GetRecord(0)->SetMark(table.GetRecord(0)->IsMarked());
    journal.Finish();
    EXPECT_TRUE(journal.IsEmpty());
    EXPECT_EQ(table.GetRevision(), revision);
}

TEST_F(TableJournalTest, StepOverItsByteLimitGivesUpItsChanges)
{
    CTableJournal journal(300);
    ASSERT_TRUE(journal.Begin(table));
    table.MarkAllRecords();
    table.RemoveMarkedRecords();
    journal.Finish();
    EXPECT_TRUE(journal.Overflowed());
    EXPECT_FALSE(journal.IsEmpty());
    EXPECT_EQ(journal.EntryCount(), 0u);
    EXPECT_EQ(table.GetRecordCount(), 0);
    EXPECT_FALSE(journal.Undo(table));
}

TEST_F(TableJournalTest, KeystrokesOfOneEditBecomeOneStep)
{
    const std::string before = Dump(table);
    CTableJournal first;
    first.Begin(table);
    table.GetRecord(0)->SetValue("M", 0);
    first.Finish();
    for (const char *typed : {"Mu", "Mue"}) {
        CTableJournal next;
        next.Begin(table);
        table.GetRecord(0)->SetValue(typed, 0);
        next.Finish();
        ASSERT_TRUE(first.Absorb(next));
    }
    EXPECT_EQ(first.EntryCount(), 1u);
    const std::string typed = Dump(table);
    ASSERT_TRUE(first.Undo(table));
    EXPECT_EQ(Dump(table), before);
    ASSERT_TRUE(first.Redo(table));
    EXPECT_EQ(Dump(table), typed);

    // Another cell does not join; the value put back by hand empties it.
    CTableJournal other;
    other.Begin(table);
    table.GetRecord(0)->SetValue("x", 1);
    other.Finish();
    EXPECT_FALSE(first.Absorb(other));
    EXPECT_FALSE(first.ChangesNothing());
}

} // namespace

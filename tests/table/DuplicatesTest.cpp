#include "table/Duplicates.h"
#include "platform/ScriptedServices.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"
#include "table/SortKeys.h"
#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace orvel;
using namespace orvel::test;

namespace {

using Values = std::vector<AnsiString>;

std::vector<int> marks(const CDataTable &table)
{
    std::vector<int> result;
    for (int i = 0; i < table.GetRecordCount(); ++i)
        result.push_back(table.GetRecord(i)->IsMarked() ? 1 : 0);
    return result;
}

Values column(const CDataTable &table, int pos)
{
    Values values;
    for (int i = 0; i < table.GetRecordCount(); ++i)
        values.emplace_back(table.GetRecord(i)->GetRawValue(pos));
    return values;
}

class Duplicates : public testing::Test
{
protected:
    ScopedFixedTime now{TableTestNow()};
    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    CDataTable table;
};

TEST_F(Duplicates, MarksTheLaterOfTwoEqualRecords)
{
    AddTextFields(table, {"Name", "Ort", "Vorname"});
    AddRow(table, {"Meier", "Bonn", "Anna"});
    AddRow(table, {"Meier", "K\xF6ln", "Berta"});
    AddRow(table, {"Meier", "Bonn", "Clara"});
    table.SetModified(false);

    EXPECT_TRUE(MarkDuplicatesCommand(table, {0, 1}));
    EXPECT_EQ(marks(table), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(column(table, 2), (Values{"Anna", "Berta", "Clara"}));
    EXPECT_EQ(table.GetMarkedCount(), 1);
    EXPECT_TRUE(table.IsModified());
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgDuplicateSearchConfirm, ids::kMsgDuplicatesMarkedOne}));
    EXPECT_EQ(scripted.messages().back().icon, MsgIcon::Information);
}

TEST_F(Duplicates, SortsByTheFirstFieldAndComparesOnlyWithinItsRuns)
{
    AddTextFields(table, {"Name", "Ort"});
    AddRow(table, {"Schulz", "Bonn"});
    AddRow(table, {"Meier", "Bonn"});
    AddRow(table, {"Schulz", "Bonn"});
    AddRow(table, {"Albers", "Bonn"});
    AddRow(table, {"Meier", "Bonn"});
    AddRow(table, {"meier", "Bonn"});

    EXPECT_EQ(MarkDuplicates(table, {1}), 2);
    EXPECT_EQ(column(table, 0), (Values{"Albers", "meier", "Meier", "Meier", "Schulz", "Schulz"}));
    EXPECT_EQ(marks(table), (std::vector<int>{0, 0, 0, 1, 0, 1}));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{});
}

TEST_F(Duplicates, ComparesDisplayValuesAndIgnoresMediaFields)
{
    AddTextFields(table, {"Name", "Betrag", "Bild"});
    table.SetFieldType(FT_NUMERIC, 1);
    table.SetFieldFormat(2, 1);
    table.SetFieldType(FT_PICTURE, 2);
    AddRow(table, {"Meier", "1", "a.bmp"});
    AddRow(table, {"Meier", "1.0", "b.bmp"});   // shows 1,00 too
    AddRow(table, {"Meier", "1.001", "a.bmp"}); // and so does this
    AddRow(table, {"Meier", "1.01", "a.bmp"});  // 1,01

    EXPECT_EQ(MarkDuplicates(table, {0, 1, 2}), 2);
    EXPECT_EQ(column(table, 1), (Values{"1", "1.0", "1.001", "1.01"}));
    EXPECT_EQ(marks(table), (std::vector<int>{0, 1, 1, 0}));
}

TEST_F(Duplicates, ReportsTheCountAndAsksAboutOldMarks)
{
    AddTextFields(table, {"Name"});
    for (const char *name : {"Meier", "Meier", "Meier", "Albers", "Albers"})
        AddRow(table, {name});
    table.GetRecord(4)->SetMark(true); // the second "Albers" is marked already

    // Keeping the old marks: the one that is a duplicate anyway is not new.
    scripted.queueAnswer(MsgResult::Yes);
    scripted.queueAnswer(MsgResult::No);
    EXPECT_TRUE(MarkDuplicatesCommand(table, {0}));
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgDuplicateSearchConfirm, ids::kMsgRemoveMarksFirst,
                                                       ids::kMsgDuplicatesMarkedMany}));
    EXPECT_EQ(scripted.messages().back().text, QString::fromUtf8("Es wurden 2 Datens\u00e4tze markiert."));
    EXPECT_EQ(marks(table), (std::vector<int>{0, 1, 0, 1, 1}));

    // Removing them first: all three duplicates are new.
    scripted.clear();
    scripted.queueAnswer(MsgResult::Yes);
    scripted.queueAnswer(MsgResult::Yes);
    EXPECT_TRUE(MarkDuplicatesCommand(table, {0}));
    EXPECT_EQ(scripted.messages().back().text, QString::fromUtf8("Es wurden 3 Datens\u00e4tze markiert."));
    EXPECT_EQ(marks(table), (std::vector<int>{0, 1, 0, 1, 1}));
    EXPECT_EQ(table.GetMarkedCount(), 3);
}

TEST_F(Duplicates, EndsUnlessTheUserSaysYes)
{
    AddTextFields(table, {"Name"});
    AddRow(table, {"b"});
    AddRow(table, {"a"});
    AddRow(table, {"a"});
    table.SetModified(false);
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(MarkDuplicatesCommand(table, {0}));
    EXPECT_EQ(column(table, 0), (Values{"b", "a", "a"}));
    EXPECT_EQ(table.GetMarkedCount(), 0);
    EXPECT_FALSE(table.IsModified());
    EXPECT_TRUE(scripted.progress().empty());
}

TEST_F(Duplicates, NoDuplicatesNoMessage)
{
    AddTextFields(table, {"Name"});
    AddRow(table, {"b"});
    AddRow(table, {"a"});
    EXPECT_TRUE(MarkDuplicatesCommand(table, {0}));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgDuplicateSearchConfirm});
    EXPECT_TRUE(table.IsModified());
}

TEST_F(Duplicates, ShowsProgressEveryHundredRecords)
{
    AddTextFields(table, {"Name"});
    for (int i = 0; i < 250; ++i)
        AddRow(table, {"x"});
    EXPECT_EQ(MarkDuplicates(table, {0}), 249);
    using Event = ScriptedServices::ProgressEvent;
    std::vector<std::pair<int, int>> positions;
    bool sawCaption = false;
    bool sawRange = false;
    for (const Event &event : scripted.progress()) {
        sawCaption = sawCaption || (event.kind == Event::Caption && event.a == ids::kCaptionDuplicateSearch);
        sawRange = sawRange || (event.kind == Event::Range && event.a == 0 && event.b == 250);
        if (event.kind == Event::Pos)
            positions.emplace_back(event.a, 0);
    }
    EXPECT_TRUE(sawCaption);
    EXPECT_TRUE(sawRange);
    EXPECT_EQ(positions, (std::vector<std::pair<int, int>>{{0, 0}, {100, 0}, {200, 0}}));
    EXPECT_EQ(scripted.progress().back().kind, Event::End);
    EXPECT_EQ(scripted.polls(), 250);
}

TEST_F(Duplicates, EscapeKeepsTheMarksSoFar)
{
    AddTextFields(table, {"Name"});
    for (const char *name : {"a", "a", "a", "b", "b"})
        AddRow(table, {name});

    // Stopped before the first record: nothing.
    scripted.pressEscapeAtPoll(1);
    EXPECT_EQ(MarkDuplicates(table, {0}), 0);
    EXPECT_EQ(table.GetMarkedCount(), 0);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{510});

    // Stopped after the first record: it found both later "a" records.
    scripted.clear();
    scripted.pressEscapeAtPoll(2);
    EXPECT_EQ(MarkDuplicates(table, {0}), 2);
    EXPECT_EQ(marks(table), (std::vector<int>{0, 1, 1, 0, 0}));

    // Escape, but the user goes on.
    scripted.clear();
    const int polls = scripted.polls();
    scripted.pressEscapeAtPoll(1);
    scripted.queueAnswer(MsgResult::No);
    EXPECT_EQ(MarkDuplicates(table, {0}), 1);
    EXPECT_EQ(marks(table), (std::vector<int>{0, 1, 1, 0, 1}));
    EXPECT_EQ(scripted.polls() - polls, 5);
}

TEST_F(Duplicates, FailedSortChangesNoMarks)
{
    AddTextFields(table, {"Name"});
    AddRow(table, {"b"});
    AddRow(table, {"a"});
    AddRow(table, {"a"});
    table.GetRecord(0)->SetMark(true);
    scripted.queueAnswer(MsgResult::Yes);
    scripted.queueAnswer(MsgResult::No); // keep the mark
    FailNextSortAllocation();
    EXPECT_FALSE(MarkDuplicatesCommand(table, {0}));
    EXPECT_EQ(scripted.messageIds(),
              (std::vector<int>{ids::kMsgDuplicateSearchConfirm, ids::kMsgRemoveMarksFirst, ids::kMsgOutOfMemory}));
    EXPECT_EQ(column(table, 0), (Values{"b", "a", "a"}));
    EXPECT_EQ(marks(table), (std::vector<int>{1, 0, 0}));
}

// The search as designed, pair by pair, on the table after its sort.
std::vector<int> referenceMarks(const CDataTable &table, const std::vector<int> &fields)
{
    std::vector<int> result(std::size_t(table.GetRecordCount()), 0);
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        const CDataRecord &a = *table.GetRecord(i);
        for (int j = i + 1; j < table.GetRecordCount(); ++j) {
            const CDataRecord &b = *table.GetRecord(j);
            if (a.GetDisplayValue(0) != b.GetDisplayValue(0))
                break;
            bool equal = true;
            for (const int pos : fields) {
                if (IsDataType(table.GetFieldType(pos)) && a.GetDisplayValue(pos) != b.GetDisplayValue(pos))
                    equal = false;
            }
            if (equal)
                result[std::size_t(j)] = 1;
        }
    }
    return result;
}

TEST_F(Duplicates, AgreesWithThePairwiseSearch)
{
    std::mt19937 random(97);
    AddTextFields(table, {"Betrag", "Name", "Datum", "Memo", "Ort"});
    table.SetFieldType(FT_NUMERIC, 0);
    table.SetFieldType(FT_DATE, 2);
    table.SetFieldFormat(5, 2); // dd.MM. : different years show alike
    table.SetFieldType(FT_MEMO, 3);
    const char *amounts[] = {"1", "1.0", "1.004", "2", "abc", "", "-1"};
    const char *names[] = {"a", "A", "b", ""};
    const char *dates[] = {"19961224", "19971224", "19961225", "", "##"};
    for (int i = 0; i < 400; ++i) {
        AddRow(table, {amounts[random() % 7], names[random() % 4], dates[random() % 5],
                       std::to_string(random() % 3).c_str(), i % 2 ? "x" : "y"});
    }
    const std::vector<int> fields{1, 2, 3, 0, 2};
    EXPECT_GT(MarkDuplicates(table, fields), 0);
    EXPECT_EQ(marks(table), referenceMarks(table, fields));
}

} // namespace

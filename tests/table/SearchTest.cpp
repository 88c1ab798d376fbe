#include "table/Search.h"
#include "platform/Codepage.h"
#include "platform/ScriptedServices.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"
#include "table/FillDown.h"
#include "table/SearchCommands.h"
#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace orvel;
using namespace orvel::test;

namespace {

SearchCriterion Criterion(int field, const char *text, std::uint32_t options = 0, const char *replacement = "")
{
    return SearchCriterion{field, options, text, replacement};
}

// The matching rule written out plainly on folded copies, to hold the
// scanning matcher against.
int ReferenceMatch(const AnsiString &text, const AnsiString &value, std::uint32_t options, int start)
{
    if ((options & SO_NEGATIVE) && value.empty())
        return 0;
    if (static_cast<std::size_t>(start) >= value.size())
        return -1;
    AnsiString t = text.substr(0, 255);
    AnsiString v = value.substr(0, 255);
    if (!(options & SO_MATCH_CASE)) {
        CharUpperA(t);
        CharUpperA(v);
    }
    auto wholeWord = [&](std::size_t at) {
        const std::size_t end = at + t.size();
        return (at == 0 || !IsCharAlphaNumericA(static_cast<unsigned char>(v[at - 1])))
               && (end >= v.size() || !IsCharAlphaNumericA(static_cast<unsigned char>(v[end])));
    };
    long candidate = -1;
    std::size_t s = static_cast<std::size_t>(start);
    if (options & SO_BEGINS_WITH) {
        if (v.compare(std::min(s, v.size()), t.size(), t) == 0 && s + t.size() <= v.size()
            && (!(options & SO_WHOLE_WORD) || wholeWord(s)))
            candidate = static_cast<long>(s);
    } else if (!t.empty()) {
        while (s < v.size()) {
            const std::size_t at = v.find(t, s);
            if (at == AnsiString::npos)
                break;
            if (!(options & SO_WHOLE_WORD) || wholeWord(at)) {
                candidate = static_cast<long>(at);
                break;
            }
            s += t.size();
        }
    }
    if (options & SO_NEGATIVE)
        return candidate < 0 ? 0 : -1;
    return static_cast<int>(candidate);
}

TEST(SearchMatchText, FollowsTheMatchingRule)
{
    EXPECT_EQ(MatchText("an", "Mann an Bord", SO_WHOLE_WORD, 0), 5);
    // Each retry starts the text's length further on, past several
    // occurrences inside words.
    EXPECT_EQ(MatchText("an", "Bananen an", SO_WHOLE_WORD, 0), 8);
    EXPECT_EQ(MatchText("M\xFC", "m\xFCller", SO_BEGINS_WITH, 0), 0);
    EXPECT_EQ(MatchText("M\xFC", "m\xFCller", SO_BEGINS_WITH | SO_MATCH_CASE, 0), -1);
    // A value that is the text itself begins with it.
    EXPECT_EQ(MatchText("abc", "abc", SO_BEGINS_WITH, 0), 0);
    EXPECT_EQ(MatchText("ABC", "abc", SO_BEGINS_WITH | SO_WHOLE_WORD, 0), 0);
    EXPECT_EQ(MatchText("abcd", "abc", SO_BEGINS_WITH, 0), -1);
    // A whole word is looked for again from the start plus the text's length,
    // not from after the occurrence that did not count: "a-a" inside
    // "xa-a-a" is found at 3, and "--" in "ab---", first met at 2, is not
    // found at 3 because the next try starts at 4.
    EXPECT_EQ(MatchText("a-a", "xa-a-a", SO_WHOLE_WORD, 0), 3);
    EXPECT_EQ(MatchText("--", "ab---", SO_WHOLE_WORD, 0), -1);
    EXPECT_EQ(MatchText("x", "", SO_NEGATIVE, 0), 0);
    EXPECT_EQ(MatchText("X", "axc", SO_NEGATIVE, 0), -1);
    EXPECT_EQ(MatchText("", "abc", 0, 0), -1);
    EXPECT_EQ(MatchText("", "abc", SO_BEGINS_WITH, 2), 2);
    // Only the first 255 bytes take part.
    const AnsiString longValue = AnsiString(254, ' ') + "ab";
    EXPECT_EQ(MatchText("a", longValue, 0, 0), 254);
    EXPECT_EQ(MatchText("ab", longValue, 0, 0), -1);
}

TEST(SearchMatchText, AgreesWithPlainSearchOnFoldedCopies)
{
    // Few distinct letters in both cases (umlauts too), word breaks and a
    // digit, so that matches, near misses and word edges are frequent.
    const AnsiString alphabet = "aAbB\xE4\xC4\xFC\xDC\xDF 1-";
    std::mt19937 random(4711);
    auto pick = [&](std::size_t maxLength) {
        AnsiString s(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), ' ');
        for (char &c : s)
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        return s;
    };
    const std::uint32_t optionSets[] = {0,
                                        SO_MATCH_CASE,
                                        SO_NEGATIVE,
                                        SO_WHOLE_WORD,
                                        SO_BEGINS_WITH,
                                        SO_WHOLE_WORD | SO_BEGINS_WITH,
                                        SO_NEGATIVE | SO_WHOLE_WORD};
    for (int round = 0; round < 20000; ++round) {
        const AnsiString value = pick(round % 10 == 0 ? 300 : 70);
        const AnsiString text = pick(4);
        const std::uint32_t options = optionSets[round % std::size(optionSets)];
        const int start = value.empty() ? 0 : std::uniform_int_distribution<int>(0, 3)(random);
        ASSERT_EQ(MatchText(text, value, options, start), ReferenceMatch(text, value, options, start))
                << "text '" << text << "' value '" << value << "' options " << options << " start " << start;
    }
}

// Name (text), Betrag (numeric, 2 decimals), Ort (text), Bild (picture).
class SearchTable : public testing::Test
{
protected:
    void SetUp() override
    {
        AddTextFields(table, {"Name", "Betrag", "Ort", "Bild"});
        table.SetFieldType(FT_NUMERIC, 1);
        table.SetFieldFormat(2, 1);
        table.SetFieldType(FT_PICTURE, 3);
    }
    void Rows(std::initializer_list<std::initializer_list<const char *>> rows)
    {
        for (auto row : rows)
            AddRow(table, row);
        table.SetModified(false);
    }
    AnsiString Raw(int index, int pos) const { return AnsiString(table.GetRecord(index)->GetRawValue(pos)); }

    ScopedFixedTime now{TableTestNow()};
    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    CDataTable table;
};

TEST_F(SearchTable, NumbersAreSearchedInTheirDisplayForm)
{
    Rows({{"A", "1000"}, {"B", "100"}, {"C", "21000.5"}});
    EXPECT_TRUE(RecordMatches(table, Criterion(1, "1.000"), 0));
    EXPECT_FALSE(RecordMatches(table, Criterion(1, "1.000"), 1));
    EXPECT_TRUE(RecordMatches(table, Criterion(1, "1.000,50"), 2));
    EXPECT_FALSE(RecordMatches(table, Criterion(1, "1000"), 0));
}

TEST_F(SearchTable, FindNextSkipsTheStartAndWraps)
{
    Rows({{"Meier"}, {"Schulz"}, {"Meier"}, {"Schulz"}});
    const SearchCriterion meier = Criterion(0, "meier");
    EXPECT_EQ(FindNext(table, meier, 0), 2);
    EXPECT_EQ(FindNext(table, meier, 2), 0);
    EXPECT_EQ(FindNext(table, meier, 3), 0);

    table.GetRecord(2)->SetRawValue("Lange", 0);
    EXPECT_EQ(FindNext(table, meier, 0), -1); // only the start record matches
    EXPECT_EQ(FindNext(table, Criterion(0, ""), 0), -1);
    EXPECT_EQ(FindNext(table, Criterion(9, "meier"), 1), -1);
    EXPECT_EQ(FindNext(table, meier, -1), -1);
    EXPECT_EQ(FindNext(table, meier, 4), -1);
}

TEST_F(SearchTable, TwoCriteria)
{
    Rows({{"Meier", "", "Bonn"},
          {"Schulz", "", "K\xF6ln"},
          {"Meier", "", "K\xF6ln"},
          {"Lange", "", "Bonn"},
          {"Meier", "", "Bonn"}});
    SearchSpec spec{Criterion(0, "Meier"), Criterion(2, "Bonn")};
    int field = -7;

    // And: both in the same record, after the start, around the end.
    EXPECT_EQ(FindRecord(table, spec, SL_AND, 0, field), 4);
    EXPECT_EQ(field, 0);
    EXPECT_EQ(FindRecord(table, spec, SL_AND, 4, field), 0);
    spec.criterion2.text = "K\xF6ln";
    EXPECT_EQ(FindRecord(table, spec, SL_AND, 3, field), 2);
    // The start record is the only one meeting both: nothing further.
    EXPECT_EQ(FindRecord(table, spec, SL_AND, 2, field), -1);
    spec.criterion2.text = "Hamburg";
    EXPECT_EQ(FindRecord(table, spec, SL_AND, 0, field), -1);

    // Or: a criterion-1 match before the start counts when criterion 2 finds
    // nothing.
    field = -7;
    EXPECT_EQ(FindRecord(table, spec, SL_OR, 4, field), 0);
    EXPECT_EQ(field, 0);
    // The nearer one going forward wins, criterion 1 on a tie.
    spec = SearchSpec{Criterion(2, "Bonn"), Criterion(0, "Meier")};
    EXPECT_EQ(FindRecord(table, spec, SL_OR, 1, field), 2);
    EXPECT_EQ(field, 0);
    EXPECT_EQ(FindRecord(table, spec, SL_OR, 3, field), 4);
    EXPECT_EQ(field, 2);
    spec.criterion2.text = "Schulz"; // record 1 lies behind the end, further away
    EXPECT_EQ(FindRecord(table, spec, SL_OR, 3, field), 4);
    EXPECT_EQ(FindRecord(table, spec, SL_NONE, 1, field), 3);

    // Marking applies the same rule record by record.
    spec = SearchSpec{Criterion(0, "Meier"), Criterion(2, "Bonn")};
    EXPECT_EQ(MarkMatches(table, spec, SL_AND), 2);
    EXPECT_EQ(MarkMatches(table, spec, SL_OR), 2); // 2 and 3 are new
    EXPECT_EQ(table.GetMarkedCount(), 4);
    EXPECT_TRUE(table.IsModified());
}

// A spec tested on the values of a record as a file holds them (by display
// position, perhaps with trailing blanks) gives what it gives on the record
// in the table: for each link, a negative search, a number in its display
// form, a field beyond the record, and display positions that differ from
// the storage columns.
TEST_F(SearchTable, SpecTestOnValuesAgreesWithTheRecords)
{
    Rows({{"Meier", "1000", "Bonn"},
          {"Schulz", "21000.5", "K\xF6ln"},
          {"Meier", "", "K\xF6ln"},
          {"Lange", "100", "Bonn"}});
    table.InsertField("K\xFCrzel", 0);
    table.GetRecord(1)->SetRawValue("SZ", 0);
    const SearchSpec specs[] = {
            {Criterion(1, "meier"), Criterion(3, "Bonn")},
            {Criterion(2, "1.000"), Criterion(1, "Lange")},
            {Criterion(1, "Meier", SO_NEGATIVE), Criterion(0, "sz")},
            {Criterion(9, "x"), Criterion(3, "k\xF6ln")},
            {Criterion(1, ""), Criterion(2, "21.000,50", SO_BEGINS_WITH)},
    };
    AnsiString buffer;
    for (const SearchSpec &spec : specs) {
        for (const int link : {SL_NONE, SL_AND, SL_OR}) {
            const SearchSpecTest test(table, spec, link);
            for (int i = 0; i < table.GetRecordCount(); ++i) {
                std::vector<AnsiString> held;
                for (int pos = 0; pos < table.GetFieldCount(); ++pos)
                    held.push_back(AnsiString(table.GetRecord(i)->GetRawValue(pos)) + (i % 2 ? "  " : ""));
                const std::vector<AnsiView> values(held.begin(), held.end());
                EXPECT_EQ(test.Meets(values.data(), int(values.size()), buffer), RecordMeetsSpec(table, spec, link, i))
                        << spec.criterion1.text << " " << link << " record " << i;
            }
        }
    }
}

TEST_F(SearchTable, ReplaceInRecord)
{
    Rows({{"banana", "1000"}, {"Meier", "", "", "bild.bmp"}});
    const SearchCriterion a = Criterion(0, "a", 0, "aa");
    EXPECT_EQ(ReplaceInRecord(table, a, 0), 1);
    EXPECT_EQ(Raw(0, 0), "baanaanaa");
    EXPECT_TRUE(table.IsModified());

    // The display form is edited and stored as typed input.
    EXPECT_EQ(ReplaceInRecord(table, Criterion(1, "1.000", 0, "2.500"), 0), 1);
    EXPECT_EQ(Raw(0, 1), "2500.00");

    // A negative search replaces the whole value of a record without the text.
    EXPECT_EQ(ReplaceInRecord(table, Criterion(0, "x", SO_NEGATIVE, "Schulz"), 1), 1);
    EXPECT_EQ(Raw(1, 0), "Schulz");

    // Object references, an empty search text and results past 255 bytes
    // leave the value alone.
    EXPECT_EQ(ReplaceInRecord(table, Criterion(3, "bmp", 0, "png"), 1), 0);
    EXPECT_EQ(Raw(1, 3), "bild.bmp");
    EXPECT_EQ(ReplaceInRecord(table, Criterion(0, "", SO_BEGINS_WITH, "x"), 1), 0);
    table.GetRecord(1)->SetRawValue(AnsiString(200, 'a'), 2);
    EXPECT_EQ(ReplaceInRecord(table, Criterion(2, "a", 0, "aa"), 1), 0);
}

TEST_F(SearchTable, ReplaceAllMakesOnePassAndReports)
{
    Rows({{"banana"}, {"Meier"}, {"Kran"}});
    EXPECT_EQ(ReplaceAllCommand(table, Criterion(0, "A", 0, "aa")), 2);
    EXPECT_EQ(Raw(0, 0), "baanaanaa");
    EXPECT_EQ(Raw(2, 0), "Kraan");
    ASSERT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgReplacedMany});
    EXPECT_TRUE(scripted.messages()[0].text.contains("2 Ersetzungen"));

    scripted.clear();
    EXPECT_EQ(ReplaceAllCommand(table, Criterion(0, "meier", 0, "Schulz")), 1);
    EXPECT_EQ(ReplaceAllCommand(table, Criterion(0, "xyz", 0, "Schulz")), 0);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgReplacedOne, ids::kMsgNothingFound}));

    // Equal texts or no field: nothing happens at all.
    scripted.clear();
    EXPECT_EQ(ReplaceAllCommand(table, Criterion(0, "Kraan", 0, "Kraan")), 0);
    EXPECT_EQ(ReplaceAllCommand(table, Criterion(-1, "Kraan", 0, "Kran")), 0);
    EXPECT_TRUE(scripted.messages().empty());

    // A match whose replacement changes nothing is no replacement.
    EXPECT_EQ(ReplaceAllCommand(table, Criterion(0, "kraan", 0, "Kraan")), 0);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgNothingFound});
}

TEST_F(SearchTable, ReplaceAllShowsProgressAndEscapeStopsBetweenRecords)
{
    // Several progress steps apart: the pass asks every 64 records.
    for (int i = 0; i < 1000; ++i)
        AddRow(table, {"Meier"});
    scripted.pressEscapeAtPoll(5);
    scripted.queueAnswer(MsgResult::Yes); // "Vorgang abbrechen?"
    const int replaced = ReplaceAllCommand(table, Criterion(0, "ei", 0, "ai"));
    EXPECT_EQ(replaced, 4 * 64);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(Raw(i, 0), i < replaced ? "Maier" : "Meier") << i;
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgCancelOperation, ids::kMsgReplacedMany}));
    ASSERT_FALSE(scripted.progress().empty());
    EXPECT_EQ(scripted.progress().front().a, ids::kCaptionReplacing);

    // "No" goes on to the end.
    scripted.clear();
    scripted.pressEscapeAtPoll(2);
    scripted.queueAnswer(MsgResult::No);
    EXPECT_EQ(ReplaceAllCommand(table, Criterion(0, "ei", 0, "ai")), 1000 - replaced);
}

TEST_F(SearchTable, MarkAllMatchesCommand)
{
    Rows({{"Meier"}, {"Schulz"}, {"Lange"}});
    SearchSpec spec{Criterion(0, "meier"), {}};
    EXPECT_EQ(MarkMatchesCommand(table, spec, SL_NONE), 1);
    EXPECT_TRUE(table.GetRecord(0)->IsMarked());
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgMarkedOne});

    // Marks already set: Yes removes them first, No keeps them.
    scripted.clear();
    spec.criterion1.text = "z";
    scripted.queueAnswer(MsgResult::Yes);
    EXPECT_EQ(MarkMatchesCommand(table, spec, SL_NONE), 1);
    EXPECT_FALSE(table.GetRecord(0)->IsMarked());
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgRemoveMarksFirst, ids::kMsgMarkedOne}));

    scripted.clear();
    spec.criterion1 = Criterion(0, "z", SO_NEGATIVE);
    scripted.queueAnswer(MsgResult::No);
    EXPECT_EQ(MarkMatchesCommand(table, spec, SL_NONE), 2);
    EXPECT_EQ(table.GetMarkedCount(), 3);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgRemoveMarksFirst, ids::kMsgMarkedMany}));
    EXPECT_TRUE(scripted.messages()[1].text.contains("2 Datens"));
}

TEST_F(SearchTable, FindNextAndReplaceCommandsEndAtTheFirstHit)
{
    Rows({{"Anna", "", "Bonn"}, {"Berta"}, {"Hanna"}, {"Bonn"}});
    const SearchSpec spec{Criterion(0, "nn"), {}};
    SearchRun run;
    int current = 0;
    EXPECT_TRUE(FindNextCommand(table, spec, SL_NONE, current, run));
    EXPECT_EQ(current, 2);
    EXPECT_EQ(run.currentField, 0);
    EXPECT_TRUE(FindNextCommand(table, spec, SL_NONE, current, run)); // 3
    EXPECT_TRUE(FindNextCommand(table, spec, SL_NONE, current, run));
    EXPECT_EQ(current, 0);
    EXPECT_FALSE(FindNextCommand(table, spec, SL_NONE, current, run)); // back at record 2
    EXPECT_EQ(current, 0);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgNothingFound});

    // Replace in the current record, then on to the next match; the
    // replacement still contains the text, and the run ends when it comes
    // round to the first replaced record.
    scripted.clear();
    run = SearchRun{};
    current = 1;
    const SearchCriterion replace = Criterion(0, "nn", 0, "nnn");
    EXPECT_FALSE(ReplaceCommand(table, replace, current, run)); // Berta has no match
    EXPECT_EQ(current, 2);
    EXPECT_TRUE(ReplaceCommand(table, replace, current, run));
    EXPECT_EQ(Raw(2, 0), "Hannna");
    EXPECT_EQ(current, 3);
    EXPECT_TRUE(ReplaceCommand(table, replace, current, run));
    EXPECT_TRUE(ReplaceCommand(table, replace, current, run));
    EXPECT_EQ(current, 0);
    EXPECT_EQ(Raw(0, 0), "Annna");
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgNothingFound});
}

TEST_F(SearchTable, FillDownCopiesTheStoredValueUpToTheNextValue)
{
    Rows({{"x", "1234.5"}, {"", ""}, {"", ""}, {"", "7"}, {"", ""}});
    EXPECT_TRUE(CanFillDown(table, 0, 1));
    EXPECT_FALSE(CanFillDown(table, 0, 3)); // picture
    EXPECT_FALSE(CanFillDown(table, -1, 1));

    EXPECT_EQ(FillDown(table, 0, 1), 2);
    EXPECT_EQ(Raw(1, 1), "1234.5");
    EXPECT_EQ(Raw(2, 1), "1234.5");
    EXPECT_EQ(Raw(3, 1), "7");
    EXPECT_EQ(table.GetRecord(1)->GetModificationTime(), static_cast<std::uint32_t>(TableTestNow().toSecsSinceEpoch()));
    EXPECT_TRUE(table.IsModified());

    // An empty current value fills nothing.
    table.SetModified(false);
    EXPECT_EQ(FillDown(table, 1, 0), 0);
    EXPECT_FALSE(table.IsModified());
}

} // namespace

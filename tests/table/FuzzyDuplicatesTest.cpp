#include "platform/ScriptedServices.h"
#include "table/Duplicates.h"
#include "table/FieldType.h"
#include "table/GermanFold.h"
#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

using namespace orvel;
using namespace orvel::test;

namespace {

AnsiString folded(AnsiView value)
{
    AnsiString out;
    AppendGermanFolded(value, out);
    return out;
}

AnsiString phonetic(AnsiView value)
{
    AnsiString out;
    AnsiString scratch;
    AppendPhoneticKey(value, out, scratch);
    return out;
}

// Values in Windows-1252, as the table holds them.
TEST(GermanFold, FoldsTheGermanVariantsOfASpelling)
{
    const struct
    {
        const char *value;
        const char *expected;
    } cases[] = {
            {"M\xFCller", "mueller"},
            {"MUELLER", "mueller"},
            {"M\xDCLLER", "mueller"},
            {"Stra\xDF"
             "e",
             "str"},
            {"Strasse", "str"},
            {"Str.", "str"},
            {"Hauptstra\xDF"
             "e 5",
             "hauptstr 5"},
            {"Hauptstr. 5", "hauptstr 5"},
            {"Bahnhof-Str. 12a", "bahnhofstr 12a"},
            {"Bahnhof Stra\xDF"
             "e 12a",
             "bahnhofstr 12a"},
            {"Stra\xDF"
             "e des 17. Juni",
             "str des 17 juni"},
            {"  Jos\xE9   Garc\xED"
             "a ",
             "jose garcia"},
            {"Fran\xE7ois", "francois"},
            {"\xC6rger \x8C"
             "uvre",
             "aerger oeuvre"},
            {"Gro\xDF", "gross"},
            {"K\xF6ln", "koeln"},
            {"Koeln", "koeln"},
            {"Meier, Hans-Peter", "meier hans peter"},
            {"!?.,;:-_/()", ""},
            {"", ""},
            {"Strasser", "strasser"}, // a name, no street
    };
    for (const auto &c : cases)
        EXPECT_EQ(folded(c.value), c.expected) << c.value;
}

TEST(GermanFold, LongValuesFoldWhole)
{
    // Every "ß" doubles; a value of punctuation only folds to nothing.
    EXPECT_EQ(folded(AnsiString(255, '\xDF')), AnsiString(510, 's'));
    EXPECT_EQ(folded(AnsiString(255, '.')), "");
    AnsiString words;
    while (words.size() + 2 <= 255)
        words += "a.";
    EXPECT_EQ(folded(words).size(), words.size() - 1);
}

TEST(GermanFold, KoelnerPhonetikCodesOfKnownWords)
{
    const struct
    {
        const char *word;
        const char *code;
    } cases[] = {
            {"wikipedia", "3412"},
            {"muellerluedenscheidt", "65752682"},
            {"meier", "67"},
            {"mayer", "67"},
            {"maier", "67"},
            {"meyer", "67"},
            {"schmidt", "862"},
            {"schmitt", "862"},
            {"breschnew", "17863"},
            {"anna", "06"},
            {"christoph", "47823"},
            {"xaver", "4837"},
            {"axel", "0485"},
            {"philipp", "351"},
            {"", ""},
            {"h", ""},
    };
    for (const auto &c : cases) {
        AnsiString code;
        AppendKoelnerPhonetik(c.word, code);
        EXPECT_EQ(code, c.code) << c.word;
    }
}

TEST(GermanFold, PhoneticKeysCodeWordsAndKeepNumbers)
{
    EXPECT_EQ(phonetic("Meier"), phonetic("Mayer"));
    EXPECT_EQ(phonetic("M\xFCller-L\xFC"
                       "denscheidt"),
              "657 52682");
    EXPECT_EQ(phonetic("Hauptstr. 5"), phonetic("Hauptstra\xDF"
                                                "e 5"));
    EXPECT_NE(phonetic("Hauptstr. 5"), phonetic("Hauptstr. 7"));
    EXPECT_EQ(phonetic("12345 K\xF6ln"), "12345 456");
}

std::vector<int> marks(const CDataTable &table)
{
    std::vector<int> result;
    for (int i = 0; i < table.GetRecordCount(); ++i)
        result.push_back(table.GetRecord(i)->IsMarked() ? 1 : 0);
    return result;
}

std::vector<AnsiString> column(const CDataTable &table, int pos)
{
    std::vector<AnsiString> values;
    for (int i = 0; i < table.GetRecordCount(); ++i)
        values.emplace_back(table.GetRecord(i)->GetRawValue(pos));
    return values;
}

class FuzzyDuplicates : public testing::Test
{
protected:
    void SetUp() override { fill(table); }

    static void fill(CDataTable &t)
    {
        AddTextFields(t, {"Name",
                          "Stra\xDF"
                          "e",
                          "Betrag"});
        t.SetFieldType(FT_NUMERIC, 2);
        // "Mueller" and "Müller" sort apart: "Muff" lies between them.
        AddRow(t, {"M\xFCller",
                   "Hauptstra\xDF"
                   "e 5",
                   "10"});
        AddRow(t, {"Muff", "Hauptstr. 5", "10"});
        AddRow(t, {"Mueller", "Hauptstr. 5", "10"});
        AddRow(t, {"Meier", "Am Markt 1", "10"});
        AddRow(t, {"Mayer", "Am  Markt 1", "10"});
        AddRow(t, {"Mueller", "Hauptstr. 7", "10"});
        AddRow(t, {"mueller", "Hauptstrasse 5", "10.001"}); // shows 10,00 too
        AddRow(t, {"MUELLER", "Hauptstrasse 5", "11"});
    }

    std::vector<AnsiString> markedNames() const
    {
        std::vector<AnsiString> names;
        for (int i = 0; i < table.GetRecordCount(); ++i)
            if (table.GetRecord(i)->IsMarked())
                names.emplace_back(table.GetRecord(i)->GetRawValue(0));
        return names;
    }

    ScopedFixedTime now{TableTestNow()};
    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    CDataTable table;
};

TEST_F(FuzzyDuplicates, ExactSearchStaysAsItWas)
{
    EXPECT_EQ(MarkDuplicates(table, {1, 2}), 0);
    EXPECT_EQ(MarkDuplicates(table, {1, 2}, DuplicateMatch::Exact), 0);
}

TEST_F(FuzzyDuplicates, SimilarSpellingsFormOneGroupWhereverTheyStand)
{
    EXPECT_EQ(MarkDuplicates(table, {1, 2}, DuplicateMatch::Similar), 2);
    // The order is the classic search's: sorted by the first field.
    CDataTable classic;
    fill(classic);
    MarkDuplicates(classic, {1, 2});
    EXPECT_EQ(column(table, 0), column(classic, 0));
    EXPECT_EQ(column(table, 1), column(classic, 1));
    // Of the four spellings of Müller at Hauptstraße 5 with 10,00 the first
    // in the sorted table stays unmarked; "Meier"/"Mayer" differ in spelling.
    std::vector<AnsiString> names = markedNames();
    EXPECT_EQ(names.size(), 2u);
    int firstOfGroup = -1;
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        const CDataRecord &r = *table.GetRecord(i);
        if (folded(r.GetRawValue(0)) == "mueller" && folded(r.GetRawValue(1)) == "hauptstr 5"
            && r.GetRawValue(2) != "11") {
            if (firstOfGroup < 0)
                firstOfGroup = i;
            EXPECT_EQ(r.IsMarked(), i != firstOfGroup) << i;
        } else {
            EXPECT_FALSE(r.IsMarked()) << r.GetRawValue(0);
        }
    }
}

TEST_F(FuzzyDuplicates, MeierAndMayerMeetOnlyBySound)
{
    EXPECT_EQ(MarkDuplicates(table, {1}, DuplicateMatch::Sound), 4);
    // Meier/Mayer at Am Markt 1 once; Müller at Hauptstraße 5 three times
    // (the amount is not compared now).
    int meierMarked = 0;
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        const AnsiView name = table.GetRecord(i)->GetRawValue(0);
        if ((name == "Meier" || name == "Mayer") && table.GetRecord(i)->IsMarked())
            ++meierMarked;
    }
    EXPECT_EQ(meierMarked, 1);
    EXPECT_EQ(marks(table)[0], 0);
}

TEST_F(FuzzyDuplicates, CommandAsksReportsAndMarks)
{
    EXPECT_TRUE(MarkDuplicatesCommand(table, {1, 2}, DuplicateMatch::Similar));
    EXPECT_EQ(scripted.messageIds(),
              (std::vector<int>{ids::kMsgDuplicateSearchConfirm, ids::kMsgDuplicatesMarkedMany}));
    EXPECT_EQ(table.GetMarkedCount(), 2);
    EXPECT_TRUE(table.IsModified());
}

} // namespace

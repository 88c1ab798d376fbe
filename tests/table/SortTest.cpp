#include "platform/Collation.h"
#include "platform/ScriptedServices.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"
#include "table/SortKeys.h"
#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <numeric>
#include <random>

using namespace orvel;
using namespace orvel::test;

namespace {

using Values = std::vector<AnsiString>;

Values column(const CDataTable &table, int pos)
{
    Values values;
    for (int i = 0; i < table.GetRecordCount(); ++i)
        values.emplace_back(table.GetRecord(i)->GetRawValue(pos));
    return values;
}

SortKeys keysOf(int field1, int desc1 = 0, int field2 = -1, int desc2 = 0, int field3 = -1, int desc3 = 0)
{
    SortKeys keys;
    keys.key[0] = {field1, desc1};
    keys.key[1] = {field2, desc2};
    keys.key[2] = {field3, desc3};
    return keys;
}

class Sorting : public testing::Test
{
protected:
    // One field of the given type, one record per value.
    void makeColumn(int type, std::initializer_list<const char *> values)
    {
        AddTextFields(table, {"Feld"});
        table.SetFieldType(type, 0);
        for (const char *value : values)
            AddRow(table, {value});
        table.SetModified(false);
    }
    void sortBy(SortKeys keys)
    {
        ASSERT_EQ(table.Sort(keys), 1);
        EXPECT_TRUE(table.IsModified());
    }

    ScopedFixedTime now{TableTestNow()};
    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    CDataTable table;
};

TEST_F(Sorting, DatesAscendingPutEmptyDatesFirst)
{
    makeColumn(FT_DATE, {"19961224", "", "20010305", "19700101", "", "19961223"});
    sortBy(keysOf(0));
    EXPECT_EQ(column(table, 0), (Values{"", "", "19700101", "19961223", "19961224", "20010305"}));
    sortBy(keysOf(0, 1));
    EXPECT_EQ(column(table, 0), (Values{"20010305", "19961224", "19961223", "19700101", "", ""}));
}

TEST_F(Sorting, UnreadableDatesSortAsText)
{
    // "##" and a refused date make the field sort by collation throughout.
    makeColumn(FT_DATE, {"19961224", "##", "", "31.02.1997", "19700101"});
    sortBy(keysOf(0));
    const Values sorted = column(table, 0);
    EXPECT_EQ(sorted.front(), "");
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end(),
                               [](const AnsiString &a, const AnsiString &b) { return lstrcmpA(a, b) < 0; }));
    EXPECT_LT(std::find(sorted.begin(), sorted.end(), "19700101"), std::find(sorted.begin(), sorted.end(), "19961224"));
}

TEST_F(Sorting, NumbersByValue)
{
    makeColumn(FT_NUMERIC, {"10", "9", "abc", "0x1A", "-1", "1e1x", "", "2.5", " 3", "+4"});
    sortBy(keysOf(0));
    // Text without a number, hexadecimal text and the empty value count as 0
    // and keep their order; 10 and 1e1 are equal.
    EXPECT_EQ(column(table, 0), (Values{"-1", "abc", "0x1A", "", "2.5", " 3", "+4", "9", "10", "1e1x"}));
}

TEST_F(Sorting, ReadsTheLeadingNumberLikeAtof)
{
    EXPECT_EQ(ReadSortNumber("12abc"), 12.0);
    EXPECT_EQ(ReadSortNumber("  -1.5e2kg"), -150.0);
    EXPECT_EQ(ReadSortNumber("\t+.5"), 0.5);
    EXPECT_EQ(ReadSortNumber("5."), 5.0);
    EXPECT_EQ(ReadSortNumber("1e"), 1.0);
    EXPECT_EQ(ReadSortNumber("0x1A"), 0.0);
    EXPECT_EQ(ReadSortNumber("17x1A"), 17.0);
    EXPECT_EQ(ReadSortNumber("1,5"), 1.0);
    EXPECT_EQ(ReadSortNumber("nan"), 0.0);
    EXPECT_EQ(ReadSortNumber("-inf"), 0.0);
    EXPECT_EQ(ReadSortNumber("infinity"), 0.0);
    EXPECT_EQ(ReadSortNumber("1e999"), 0.0);
    EXPECT_EQ(ReadSortNumber("- 5"), 0.0);
    EXPECT_EQ(ReadSortNumber("."), 0.0);
    EXPECT_EQ(ReadSortNumber(""), 0.0);
}

TEST_F(Sorting, TextsAgreeingInTheCachedPrefixAreOrderedByWholeValues)
{
    const AnsiString prefix39(39, 'a');
    const AnsiString prefix29(29, 'k');
    AddTextFields(table, {"A", "B"});
    AddRow(table, {(prefix39 + "c").c_str(), (prefix29 + "b").c_str()});
    AddRow(table, {(prefix39 + "b").c_str(), (prefix29 + "z").c_str()});
    AddRow(table, {(prefix39 + "b").c_str(), (prefix29 + "a").c_str()});
    AddRow(table, {prefix39.c_str(), "x"});
    sortBy(keysOf(0, 0, 1, 0));
    EXPECT_EQ(column(table, 0), (Values{prefix39, prefix39 + "b", prefix39 + "b", prefix39 + "c"}));
    EXPECT_EQ(column(table, 1), (Values{"x", prefix29 + "a", prefix29 + "z", prefix29 + "b"}));

    // The prefix caches hold the first 39 and 29 bytes of the key values.
    const CDataRecord::SortKeyCache &cache = table.GetRecord(1)->GetSortKeyCache();
    EXPECT_EQ(AnsiString(cache.key1), prefix39);
    EXPECT_FALSE(cache.key1Complete);
    EXPECT_EQ(AnsiString(cache.key2), prefix29);
    EXPECT_FALSE(cache.key2Complete);
    EXPECT_TRUE(table.GetRecord(0)->GetSortKeyCache().key1Complete);
}

TEST_F(Sorting, DescendingKeyThenAscendingKey)
{
    AddTextFields(table, {"Ort", "Name"});
    AddRow(table, {"Bonn", "Meier"});
    AddRow(table, {"K\xF6ln", "Zander"});
    AddRow(table, {"Bonn", "Albers"});
    AddRow(table, {"K\xF6ln", "Becker"});
    AddRow(table, {"Aachen", "Xaver"});
    sortBy(keysOf(0, 1, 1, 0));
    EXPECT_EQ(column(table, 0), (Values{"K\xF6ln", "K\xF6ln", "Bonn", "Bonn", "Aachen"}));
    EXPECT_EQ(column(table, 1), (Values{"Becker", "Zander", "Albers", "Meier", "Xaver"}));
}

TEST_F(Sorting, ThreeKeysMixingTypes)
{
    AddTextFields(table, {"Ort", "Betrag", "Datum"});
    table.SetFieldType(FT_NUMERIC, 1);
    table.SetFieldType(FT_DATE, 2);
    AddRow(table, {"Bonn", "10", "19990101"});
    AddRow(table, {"Bonn", "9", "19990101"});
    AddRow(table, {"Bonn", "10", "19980101"});
    AddRow(table, {"Aachen", "10", ""});
    sortBy(keysOf(0, 0, 1, 1, 2, 0));
    EXPECT_EQ(column(table, 0), (Values{"Aachen", "Bonn", "Bonn", "Bonn"}));
    EXPECT_EQ(column(table, 1), (Values{"10", "10", "10", "9"}));
    EXPECT_EQ(column(table, 2), (Values{"", "19980101", "19990101", "19990101"}));
}

TEST_F(Sorting, UnusedFirstKeyChangesNothing)
{
    makeColumn(FT_TEXT, {"b", "a", "c"});
    SortKeys keys = keysOf(-1, 0, 0, 0);
    EXPECT_EQ(table.Sort(keys), 1);
    EXPECT_EQ(column(table, 0), (Values{"b", "a", "c"}));
    EXPECT_FALSE(table.IsModified());
    EXPECT_EQ(keys, keysOf(-1, 0, 0, 0));
}

TEST_F(Sorting, KeysAfterAnUnusedKeyDoNotCount)
{
    AddTextFields(table, {"A", "B"});
    AddRow(table, {"x", "2"});
    AddRow(table, {"x", "1"});
    sortBy(keysOf(0, 0, -1, 0, 1, 0));
    EXPECT_EQ(column(table, 1), (Values{"2", "1"}));
}

TEST_F(Sorting, EqualRecordsKeepTheirOrder)
{
    AddTextFields(table, {"Key", "Nr"});
    const char *keys[] = {"b", "a", "B", "a", "b", "", "a", "B", ""};
    for (int i = 0; i < int(std::size(keys)); ++i)
        AddRow(table, {keys[i], std::to_string(i).c_str()});
    sortBy(keysOf(0));
    EXPECT_EQ(column(table, 0), (Values{"", "", "a", "a", "a", "b", "b", "B", "B"}));
    EXPECT_EQ(column(table, 1), (Values{"5", "8", "1", "3", "6", "0", "4", "2", "7"}));
    // Descending keeps equal records in their order too.
    sortBy(keysOf(0, 1));
    EXPECT_EQ(column(table, 1), (Values{"2", "7", "0", "4", "1", "3", "6", "5", "8"}));
}

TEST_F(Sorting, FollowsThePlatformCollation)
{
    makeColumn(FT_TEXT, {"Zebra", "\xD6l", "Apfel", "M\xFCller", "oel", "apfel", "Muller", "\xC4pfel", "Mueller"});
    sortBy(keysOf(0));
    // Letters first, then accents, then case (lower case first).
    EXPECT_EQ(column(table, 0),
              (Values{"apfel", "Apfel", "\xC4pfel", "Mueller", "Muller", "M\xFCller", "oel", "\xD6l", "Zebra"}));
}

TEST_F(Sorting, StoredValueChangesAreSeenByTheNextSort)
{
    AddTextFields(table, {"Name", "Nr"});
    AddRow(table, {"Becker", "1"});
    AddRow(table, {"Albers", "2"});
    AddRow(table, {"Claasen", "3"});
    sortBy(keysOf(0));
    EXPECT_EQ(column(table, 1), (Values{"2", "1", "3"}));

    table.GetRecord(0)->SetValue("Zander", 0); // Albers -> Zander
    sortBy(keysOf(0));
    EXPECT_EQ(column(table, 0), (Values{"Becker", "Claasen", "Zander"}));

    table.GetRecord(2)->SetRawValue("Aal", 0);
    sortBy(keysOf(0));
    EXPECT_EQ(column(table, 0), (Values{"Aal", "Becker", "Claasen"}));

    // A new record, and a removed one.
    AddRow(table, {"Ackermann", "4"});
    sortBy(keysOf(0));
    EXPECT_EQ(column(table, 0), (Values{"Aal", "Ackermann", "Becker", "Claasen"}));
    table.RemoveRecord(0);
    AddRow(table, {"Abel", "5"});
    sortBy(keysOf(0));
    EXPECT_EQ(column(table, 0), (Values{"Abel", "Ackermann", "Becker", "Claasen"}));

    // The type decides how the same values sort.
    table.GetRecord(0)->SetRawValue("10", 1);
    table.GetRecord(1)->SetRawValue("9", 1);
    table.GetRecord(2)->SetRawValue("100", 1);
    table.GetRecord(3)->SetRawValue("8", 1);
    sortBy(keysOf(1));
    EXPECT_EQ(column(table, 1), (Values{"10", "100", "8", "9"}));
    table.SetFieldType(FT_NUMERIC, 1);
    sortBy(keysOf(1));
    EXPECT_EQ(column(table, 1), (Values{"8", "9", "10", "100"}));

    // Deleting a field moves the later columns down.
    table.InsertField("Erster", 0);
    for (int i = 0; i < table.GetRecordCount(); ++i)
        table.GetRecord(i)->SetRawValue(std::to_string(9 - i).c_str(), 0);
    sortBy(keysOf(0));
    EXPECT_EQ(column(table, 0), (Values{"6", "7", "8", "9"}));
    table.DeleteField(1);
    sortBy(keysOf(1, 1));
    EXPECT_EQ(column(table, 1), (Values{"100", "10", "9", "8"}));
    table.ReleaseSortCache();
    sortBy(keysOf(1));
    EXPECT_EQ(column(table, 1), (Values{"8", "9", "10", "100"}));
}

TEST_F(Sorting, RunningOutOfMemoryLeavesTheTableAlone)
{
    makeColumn(FT_TEXT, {"b", "a", "c"});
    SortKeys keys = keysOf(0, 1, 0, 0);
    FailNextSortAllocation();
    EXPECT_EQ(table.Sort(keys), 0);
    EXPECT_EQ(keys, SortKeys{});
    EXPECT_EQ(column(table, 0), (Values{"b", "a", "c"}));
    EXPECT_FALSE(table.IsModified());

    // The command says so.
    keys = keysOf(0);
    FailNextSortAllocation();
    EXPECT_FALSE(SortCommand(table, keys));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgOutOfMemory});
    EXPECT_EQ(scripted.waitCursorDepth(), 0);
    keys = keysOf(0);
    EXPECT_TRUE(SortCommand(table, keys));
    EXPECT_EQ(column(table, 0), (Values{"a", "b", "c"}));
}

TEST(SortDialog, KeepsFieldsOnceAndClosesGaps)
{
    const auto sel = [](int field, int descending = 0) { return SortKeySelection{field, descending}; };
    // A field chosen again becomes unused; the gap closes.
    EXPECT_EQ(ApplySortDialogSelections(SortKeys{}, {sel(2), sel(2, 1), sel(5, 1)}), keysOf(2, 0, 5, 1));
    // Only key 3: it moves to key 1.
    EXPECT_EQ(ApplySortDialogSelections(SortKeys{}, {sel(-1), sel(-1), sel(4, 1)}), keysOf(4, 1));
    // Key 2 and 3 without key 1: both move up.
    EXPECT_EQ(ApplySortDialogSelections(SortKeys{}, {sel(-1), sel(1), sel(3, 1)}), keysOf(1, 0, 3, 1));
    // Nothing selected keeps the stored fields; the directions follow the buttons.
    EXPECT_EQ(ApplySortDialogSelections(keysOf(0, 0, 1, 1), {sel(-1, 1), sel(-1, 0), sel(-1)}), keysOf(0, 1, 1, 0));
    // Repeating key 1's field in key 3.
    EXPECT_EQ(ApplySortDialogSelections(SortKeys{}, {sel(0), sel(1), sel(0)}), keysOf(0, 0, 1, 0));
    // All three different.
    EXPECT_EQ(ApplySortDialogSelections(SortKeys{}, {sel(3, 1), sel(1), sel(2, 1)}), keysOf(3, 1, 1, 0, 2, 1));
}

// ---- Against a plain stable sort with whole-value comparisons ----

// atof as the C library reads it in the C locale, but hexadecimal text, NaN
// and infinities as the design's Sort reads them.
double referenceNumber(const AnsiString &text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0)
        return 0.0;
    const double value = strtod_l(text.c_str(), nullptr, cLocale);
    return std::isfinite(value) ? value : 0.0;
}

int referenceCompare(const CDataTable &table, const CDataRecord &a, const CDataRecord &b, const SortKeys &keys)
{
    for (const SortKey &key : keys.key) {
        if (key.field < 0)
            break;
        int r = 0;
        const AnsiString va(a.GetRawValue(key.field));
        const AnsiString vb(b.GetRawValue(key.field));
        if (table.GetFieldType(key.field) == FT_NUMERIC) {
            const double x = referenceNumber(va);
            const double y = referenceNumber(vb);
            r = x < y ? -1 : (x > y ? 1 : 0);
        } else {
            r = lstrcmpA(va, vb);
        }
        if (r != 0)
            return key.descending == 1 ? -r : r;
    }
    return 0;
}

TEST_F(Sorting, AgreesWithAPlainStableSort)
{
    std::mt19937 random(1997);
    const auto pick = [&random](std::initializer_list<const char *> choices) {
        return AnsiString(choices.begin()[random() % choices.size()]);
    };
    AddTextFields(table, {"Text", "Zahl", "Datum", "Notiz", "Datum2", "Nr"});
    table.SetFieldType(FT_NUMERIC, 1);
    table.SetFieldType(FT_DATE, 2);
    table.SetFieldType(FT_DATE, 4);
    for (int i = 0; i < 600; ++i) {
        auto record = table.CreateRecord(false);
        record->SetRawValue(pick({"",   "a",  "A",  "\xE4", "\xC4", "ab", "aB", "Ab", "b",    "\xDF", "ss",
                                  "St", "st", "-x", "x-",   "1",    "10", "9",  "Z",  "\xE9", "e"}),
                            0);
        record->SetRawValue(pick({"", "0", "-0", "1", "1.0", "9", "10", "-2.5", "abc", "0x1A", "1e2", " 7", "+3",
                                  "1e999", "nan", ".5", "5.", "12abc"}),
                            1);
        record->SetRawValue(pick({"", "19961224", "19961223", "20010101", "17000101", "00000000"}), 2);
        AnsiString note = pick({"M\xFC", "Mu", "mu", "M\xDC"}) + AnsiString(random() % 60, 'x') + pick({"a", "b", "B"});
        record->SetRawValue(note, 3);
        record->SetRawValue(pick({"", "##", "19961224", "20200101", "x"}), 4);
        record->SetRawValue(std::to_string(i), 5);
        table.AddRecord(std::move(record));
    }

    for (int round = 0; round < 40; ++round) {
        SortKeys keys;
        const int count = 1 + int(random() % 3);
        for (int k = 0; k < count; ++k)
            keys.key[std::size_t(k)] = {int(random() % 5), int(random() % 2)};

        if (round % 7 == 3) // now and then a changed value, or a cold start
            table.GetRecord(int(random() % 600))->SetRawValue("Neu", int(random() % 5));
        if (round % 11 == 5) {
            table.ReleaseSortCache();
            ReleaseCollationCache();
        }

        std::vector<const CDataRecord *> expected;
        for (int i = 0; i < table.GetRecordCount(); ++i)
            expected.push_back(table.GetRecord(i));
        std::stable_sort(expected.begin(), expected.end(), [&](const CDataRecord *a, const CDataRecord *b) {
            return referenceCompare(table, *a, *b, keys) < 0;
        });

        SortKeys used = keys;
        ASSERT_EQ(table.Sort(used), 1);
        for (int i = 0; i < table.GetRecordCount(); ++i) {
            ASSERT_EQ(table.GetRecord(i), expected[std::size_t(i)])
                    << "round " << round << ", record " << i << ": keys " << keys.key[0].field << "/"
                    << keys.key[0].descending << " " << keys.key[1].field << "/" << keys.key[1].descending << " "
                    << keys.key[2].field << "/" << keys.key[2].descending;
        }
    }
}

} // namespace

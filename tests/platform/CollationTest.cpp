#include "platform/Collation.h"
#include "platform/Nls.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace orvel;

namespace {

int sign(long long value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// Texts that put every level of the order to work: umlauts and sharp s,
// case, punctuation, digits, a character the collator ignores, an undefined
// Windows-1252 byte and the empty text.
std::vector<AnsiString> randomTexts(std::size_t count, unsigned seed)
{
    static const AnsiString alphabet = "aAbBoOuUsSzZ\xE4\xC4\xF6\xD6\xFC\xDC\xDF\xE9\xC9 -'.019\x01\x81";
    std::mt19937 rng(seed);
    std::vector<AnsiString> texts;
    for (std::size_t i = 0; i < count; ++i) {
        AnsiString text;
        const std::size_t length = rng() % 6;
        for (std::size_t k = 0; k < length; ++k)
            text.push_back(alphabet[rng() % alphabet.size()]);
        texts.push_back(text);
    }
    return texts;
}

std::vector<AnsiView> views(const std::vector<AnsiString> &texts)
{
    return std::vector<AnsiView>(texts.begin(), texts.end());
}

void expectRanksAgreeWithCompare(const std::vector<AnsiString> &texts, const std::vector<std::uint32_t> &ranks)
{
    ASSERT_EQ(ranks.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = i + 1; j < texts.size(); j += 7) {
            ASSERT_EQ(sign(static_cast<long long>(ranks[i]) - ranks[j]), lstrcmpA(texts[i], texts[j]))
                    << '"' << texts[i] << "\" vs \"" << texts[j] << '"';
        }
    }
}

class CollationLocale : public testing::Test
{
protected:
    void TearDown() override { SetCurrentLocale("de_DE"); }
};

} // namespace

TEST(CollationOrder, GermanLettersAccentsThenCase)
{
    // Each text sorts strictly before the next one.
    const std::vector<AnsiString> ordered = {"",
                                             "a",
                                             "A",
                                             "\xE4",
                                             "\xC4",
                                             "Apfel",
                                             "\xE4pfel",
                                             "\xC4pfel",
                                             "Apfelz",
                                             "b",
                                             "Muller",
                                             "M\xFCller",
                                             "Mutter",
                                             "o",
                                             "\xF6",
                                             "oe",
                                             "Strase",
                                             "Strasse",
                                             "Stra\xDF"
                                             "e",
                                             "zebra",
                                             "Zebra"};
    for (std::size_t i = 0; i + 1 < ordered.size(); ++i) {
        EXPECT_LT(lstrcmpA(ordered[i], ordered[i + 1]), 0) << '"' << ordered[i] << "\" < \"" << ordered[i + 1] << '"';
        EXPECT_GT(lstrcmpA(ordered[i + 1], ordered[i]), 0) << '"' << ordered[i + 1] << "\" > \"" << ordered[i] << '"';
    }
    EXPECT_EQ(lstrcmpA("M\xFCller", "M\xFCller"), 0);
    EXPECT_LT(lstrcmpA("10", "9"), 0); // digits compare as characters
}

TEST(CollationOrder, EmptyTextComesBeforeIgnorableText)
{
    EXPECT_EQ(lstrcmpA("", ""), 0);
    EXPECT_LT(lstrcmpA("", "\x01"), 0);
    EXPECT_GT(lstrcmpA("\x01", ""), 0);
    EXPECT_LT(lstrcmpA("", " "), 0);

    const CollationKey empty = MakeCollationKey("");
    EXPECT_TRUE(empty.isEmptyText());
    EXPECT_EQ(empty.compare(CollationKey()), 0);
    EXPECT_LT(empty.compare(MakeCollationKey("\x01")), 0);
    EXPECT_GT(MakeCollationKey("\x01").compare(empty), 0);
}

TEST(CollationKeys, CompareExactlyLikeTheCollator)
{
    std::vector<AnsiString> texts = randomTexts(300, 7);
    texts.push_back(AnsiString(600, 'x') + "\xE4"); // longer than any stored value
    texts.push_back(AnsiString(600, 'x') + "a");
    std::vector<CollationKey> keys;
    for (const AnsiString &text : texts)
        keys.push_back(MakeCollationKey(text));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = 0; j < texts.size(); j += 3)
            ASSERT_EQ(keys[i].compare(keys[j]), lstrcmpA(texts[i], texts[j]))
                    << '"' << texts[i] << "\" vs \"" << texts[j] << '"';
    }
}

TEST(CollationRanks, EqualValuesShareARank)
{
    const std::vector<AnsiString> texts = {"Mutter", "", "M\xFCller", "Muller", "Mutter", "", "a", "A", "a\x01"};
    const std::vector<std::uint32_t> ranks = CollationRanks(views(texts));
    EXPECT_EQ(ranks[1], 0u);
    EXPECT_EQ(ranks[5], 0u);
    EXPECT_EQ(ranks[0], ranks[4]);
    EXPECT_LT(ranks[3], ranks[2]);
    EXPECT_LT(ranks[2], ranks[0]);
    EXPECT_LT(ranks[6], ranks[7]);
    EXPECT_GT(ranks[6], 0u);
    expectRanksAgreeWithCompare(texts, ranks);
}

TEST(CollationRanks, AgreeWithCompareAcrossCacheStates)
{
    ReleaseCollationCache();
    const std::vector<AnsiString> all = randomTexts(3000, 42);
    const std::vector<AnsiString> firstHalf(all.begin(), all.begin() + 1500);

    // Cold, then with half of the values new to the cache, then warm.
    expectRanksAgreeWithCompare(firstHalf, CollationRanks(views(firstHalf)));
    expectRanksAgreeWithCompare(all, CollationRanks(views(all)));
    expectRanksAgreeWithCompare(all, CollationRanks(views(all)));
    EXPECT_TRUE(CollationRanks({}).empty());
}

TEST_F(CollationLocale, FollowsAChangeOfLocale)
{
    const std::vector<AnsiString> texts = {"\xF6", "z"};
    EXPECT_LT(lstrcmpA("\xF6", "z"), 0);
    std::vector<std::uint32_t> ranks = CollationRanks(views(texts));
    EXPECT_LT(ranks[0], ranks[1]);

    // Swedish puts ö after z; the collator and the rank cache must notice.
    SetCurrentLocale("sv_SE");
    EXPECT_GT(lstrcmpA("\xF6", "z"), 0);
    EXPECT_GT(MakeCollationKey("\xF6").compare(MakeCollationKey("z")), 0);
    ranks = CollationRanks(views(texts));
    EXPECT_GT(ranks[0], ranks[1]);
}

#include "platform/Codepage.h"

#include <gtest/gtest.h>

using namespace orvel;

namespace {

AnsiString allBytes()
{
    AnsiString bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<char>(i));
    return bytes;
}

} // namespace

TEST(Codepage, EveryAnsiByteSurvivesUnicodeRoundTrip)
{
    const AnsiString bytes = allBytes();
    const QString text = AnsiToQString(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(QStringToAnsi(text), bytes);
    EXPECT_EQ(text.at(0x80), QChar(0x20AC));
    EXPECT_EQ(text.at(0x81), QChar(0x0081)); // undefined in Windows-1252, kept as C1
    EXPECT_EQ(text.at(0x9F), QChar(0x0178));
    EXPECT_EQ(text.at(0xE4), QChar(u'ä'));
}

TEST(Codepage, UnrepresentableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(QStringToAnsi(QStringLiteral("a\u0100b")), "a?b");
    EXPECT_EQ(QStringToAnsi(QString::fromUtf8("x\xF0\x9F\x98\x80y")), "x?y"); // one character, one "?"
    EXPECT_EQ(QStringToAnsi(QStringLiteral("1\u202F000\u00A0")), "1\xA0"
                                                                 "000\xA0");
    EXPECT_FALSE(IsAnsiRepresentable(QStringLiteral("\u0100")));
    EXPECT_TRUE(IsAnsiRepresentable(QStringLiteral("Straße €")));
}

TEST(Codepage, OemAndAnsiConvertBothWays)
{
    // "Straße" and umlauts in code page 850.
    EXPECT_EQ(OemToCharA("Stra\xE1"
                         "e"),
              "Stra\xDF"
              "e");
    EXPECT_EQ(OemToCharA("\x84\x94\x81\x8E\x99\x9A"), "\xE4\xF6\xFC\xC4\xD6\xDC");
    EXPECT_EQ(CharToOemA("\xE4\xF6\xFC\xC4\xD6\xDC\xDF"), "\x84\x94\x81\x8E\x99\x9A\xE1");
    // Box drawing has no Windows-1252 byte; the euro sign has no code page 850 byte.
    EXPECT_EQ(OemToCharA("\xB3"), "?");
    EXPECT_EQ(CharToOemA("\x80"), "?");

    // Every byte that maps has its way back.
    const AnsiString bytes = allBytes();
    const AnsiString oem = CharToOemA(bytes);
    for (int i = 0; i < 256; ++i) {
        const auto b = static_cast<unsigned char>(oem[i]);
        if (b != '?') {
            EXPECT_EQ(OemCharToAnsi(b), i) << "byte " << i;
        }
    }
    EXPECT_EQ(oem.substr(0, 128), bytes.substr(0, 128));
}

TEST(Codepage, CaseMapsKeepLengthAndFollowWindows1252)
{
    AnsiString text = "abc xyz \xE4\xF6\xFC\xDF\xB5\xF7\xFF\x9A\x9C\x9E";
    CharUpperA(text);
    EXPECT_EQ(text, "ABC XYZ \xC4\xD6\xDC\xDF\xB5\xF7\x9F\x8A\x8C\x8E");
    CharLowerA(text);
    EXPECT_EQ(text, "abc xyz \xE4\xF6\xFC\xDF\xB5\xF7\xFF\x9A\x9C\x9E");

    // The two maps are inverse on every letter that has a case.
    for (int i = 0; i < 256; ++i) {
        const auto c = static_cast<unsigned char>(i);
        EXPECT_EQ(CharUpperA(CharLowerA(CharUpperA(c))), CharUpperA(c));
        if (CharUpperA(c) != c) {
            EXPECT_EQ(CharLowerA(CharUpperA(c)), c);
        }
    }
    EXPECT_EQ(CharUpperA(static_cast<unsigned char>(0xD7)), 0xD7); // multiplication sign
}

TEST(Codepage, CaseInsensitiveComparisonUsesLowerImages)
{
    EXPECT_EQ(lstrcmpiA("M\xDC"
                        "LLER",
                        "m\xFC"
                        "ller"),
              0);
    EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
    EXPECT_GT(lstrcmpiA("abcd", "ABC"), 0);
    EXPECT_LT(lstrcmpiA("", "a"), 0);
}

TEST(Codepage, AlphaNumericFollowsTheDecodedCharacter)
{
    EXPECT_TRUE(IsCharAlphaNumericA('a'));
    EXPECT_TRUE(IsCharAlphaNumericA('7'));
    EXPECT_TRUE(IsCharAlphaNumericA(0xDF)); // sharp s
    EXPECT_TRUE(IsCharAlphaNumericA(0x8A)); // S caron
    EXPECT_FALSE(IsCharAlphaNumericA(' '));
    EXPECT_FALSE(IsCharAlphaNumericA('-'));
    EXPECT_FALSE(IsCharAlphaNumericA(0xA0));
    EXPECT_FALSE(IsCharAlphaNumericA(0xD7));
}

// The line breaking that DrawText and the list grid share, with every
// character ten pixels wide so that the expected breaks can be counted.
#include "platform/gfx/TextBreak.h"

#include <gtest/gtest.h>

#include <QString>

#include <limits>
#include <string>
#include <vector>

using namespace orvel;

namespace {

struct Lines
{
    std::vector<TextBreakLine> all;
    qsizetype size() const { return qsizetype(all.size()); }
    void append(const TextBreakLine &line) { all.push_back(line); }
};

// The lines as their texts, joined by "|".
std::string Break(const QString &text, int maxWidth, uint32_t flags,
                  qsizetype maxLines = std::numeric_limits<qsizetype>::max())
{
    Lines lines;
    BreakText(
            text, maxWidth, flags, maxLines, [](qsizetype from, qsizetype to) { return qreal(10 * (to - from)); },
            lines);
    std::string out;
    for (const TextBreakLine &line : lines.all) {
        if (!out.empty())
            out += '|';
        out += text.mid(line.start, line.length).toStdString();
        EXPECT_EQ(line.width, 10 * line.length);
    }
    return out;
}

} // namespace

TEST(TextBreak, BreaksLikeDrawText)
{
    struct Case
    {
        const char *text;
        int width;
        uint32_t flags;
        const char *lines;
    };
    const Case cases[] = {
            // Words go on while they fit; the blanks at a break belong to no line.
            {"ab cd ef", 50, DT_WORDBREAK, "ab cd|ef"},
            {"ab  cd", 30, DT_WORDBREAK, "ab|cd"},
            // A word wider than the box stays whole, or breaks between
            // characters with DT_EDITCONTROL.
            {"abcdefg hi", 30, DT_WORDBREAK, "abcdefg|hi"},
            {"abcdefg hi", 30, DT_WORDBREAK | DT_EDITCONTROL, "abc|def|g|hi"},
            // Line ends make paragraphs; CR LF is one break, a final break no line.
            {"ab\r\ncd\ref\n", 100, DT_WORDBREAK, "ab|cd|ef"},
            {"ab\n\ncd", 100, 0, "ab||cd"},
            // One line whatever it holds.
            {"ab cd\nef", 20, DT_SINGLELINE, "ab cd\nef"},
            {"", 20, DT_SINGLELINE, ""},
            {"", 20, DT_WORDBREAK, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Break(QString::fromUtf8(c.text), c.width, c.flags), c.lines) << c.text;
    // The empty text is one line with DT_SINGLELINE and none without.
    Lines lines;
    BreakText(
            QString(), 20, DT_SINGLELINE, 5, [](qsizetype, qsizetype) { return 0.0; }, lines);
    EXPECT_EQ(lines.size(), 1);
}

TEST(TextBreak, StopsAtTheLinesThatCanBeSeenAndKeepsSurrogatePairsWhole)
{
    EXPECT_EQ(Break(QStringLiteral("aa bb cc dd ee"), 20, DT_WORDBREAK, 2), "aa|bb");
    EXPECT_EQ(Break(QStringLiteral("a\nb\nc\nd"), 20, DT_WORDBREAK, 3), "a|b|c");
    // "x😀y" in a box of two characters: the pair stays on one line.
    const QString text = QStringLiteral("x") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("y");
    EXPECT_EQ(Break(text, 20, DT_WORDBREAK | DT_EDITCONTROL),
              "x|" + QString::fromUcs4(U"\U0001F600").toStdString() + "|y");
}

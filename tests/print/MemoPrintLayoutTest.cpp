// The pages of a printed memo: lines within the page setup's margins,
// wrapped at the right margin, as many per page as fit.
#include "print/MemoPrintLayout.h"
#include "platform/TextMeasure.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace orvel;

namespace {

// Every character 10 units wide, lines 20 units high.
class FixedMeasure final : public TextMeasure
{
public:
    int Height() const override { return 18; }
    int Descent() const override { return 4; }
    int ExternalLeading() const override { return 2; }
    int AverageCharWidth() const override { return 10; }
    int TextWidth(AnsiView text) const override { return 10 * int(text.size()); }
};

// 1000 × 1400 units on 100 × 140 mm: a millimetre is 10 units.
PrinterMetrics Printer()
{
    PrinterMetrics p;
    p.logPixelsX = p.logPixelsY = 254;
    p.horzRes = 1000;
    p.vertRes = 1400;
    p.horzSizeMm = 100;
    p.vertSizeMm = 140;
    p.physicalWidth = 1000;
    p.physicalHeight = 1400;
    return p;
}

// Margins of 10 mm all round: 80 characters a line, 60 lines a page.
PageSettings Margins10()
{
    PageSettings settings;
    settings.marginLeft = settings.marginTop = settings.marginRight = settings.marginBottom = 10;
    return settings;
}

AnsiString Lines(int count)
{
    AnsiString memo;
    for (int i = 1; i <= count; ++i)
        memo += "Zeile " + std::to_string(i) + "\r\n";
    return memo;
}

QStringList TextsOf(const PrintedPage &page)
{
    QStringList texts;
    for (const PrintedPage::Text &text : page.texts)
        texts << text.text;
    return texts;
}

TEST(MemoPrintLayoutTest, AHundredLinesOnPagesOfSixtyGiveTwoPages)
{
    const FixedMeasure measure;
    const MemoPrintLayout layout(Lines(100), Margins10(), Printer(), measure);
    EXPECT_EQ(layout.LineHeight(), 20);
    EXPECT_EQ(layout.LinesPerPage(), 60);
    ASSERT_EQ(layout.PageCount(), 2);
    const PrintedPage first = layout.Page(1);
    ASSERT_EQ(first.texts.size(), 60u);
    EXPECT_EQ(first.texts.front().text, QStringLiteral("Zeile 1"));
    EXPECT_EQ(first.texts.front().rect, (RECT{100, 100, 900, 120}));
    EXPECT_EQ(first.texts.back().rect.top, 100 + 59 * 20);
    EXPECT_EQ(first.margins, (RECT{100, 100, 900, 1300}));
    const PrintedPage second = layout.Page(2);
    ASSERT_EQ(second.texts.size(), 40u);
    EXPECT_EQ(second.texts.front().text, QStringLiteral("Zeile 61"));
    EXPECT_EQ(second.texts.front().rect.top, 100);
    EXPECT_TRUE(layout.Page(3).texts.empty());
    // Sixty lines fill one page exactly.
    EXPECT_EQ(MemoPrintLayout(Lines(60), Margins10(), Printer(), measure).PageCount(), 1);
}

TEST(MemoPrintLayoutTest, LongLinesWrapAtBlanksAndLongWordsAreBroken)
{
    const FixedMeasure measure;
    // 80 characters fit a line.
    const AnsiString words = AnsiString(50, 'a') + " " + AnsiString(40, 'b') + "  " + AnsiString(10, 'c');
    const AnsiString word = AnsiString(170, 'x');
    const MemoPrintLayout layout(words + "\r\n" + word, Margins10(), Printer(), measure);
    const std::vector<AnsiString> expected = {AnsiString(50, 'a'), AnsiString(40, 'b') + "  " + AnsiString(10, 'c'),
                                              AnsiString(80, 'x'), AnsiString(80, 'x'), AnsiString(10, 'x')};
    EXPECT_EQ(layout.Lines(), expected);
    const PrintedPage page = layout.Page(1);
    ASSERT_EQ(page.texts.size(), 5u);
    EXPECT_EQ(page.texts[0].width, 500);
    EXPECT_EQ(page.texts[2].width, 800);
}

TEST(MemoPrintLayoutTest, EmptyLinesTabsAndLineEndsOfEveryKind)
{
    const FixedMeasure measure;
    const MemoPrintLayout layout("Gr\xFC\xDF"
                                 "e\r\n\r\na\tb\rc\nd\r\n",
                                 Margins10(), Printer(), measure);
    const std::vector<AnsiString> expected = {"Gr\xFC\xDF"
                                              "e",
                                              "", "a       b", "c", "d"};
    EXPECT_EQ(layout.Lines(), expected);
    // Empty lines take their place on the page but print nothing.
    EXPECT_EQ(TextsOf(layout.Page(1)), (QStringList{QStringLiteral("Grüße"), QStringLiteral("a       b"),
                                                    QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(layout.Page(1).texts[1].rect.top, 100 + 2 * 20);

    // An empty memo is one empty page.
    const MemoPrintLayout empty("", Margins10(), Printer(), measure);
    EXPECT_EQ(empty.PageCount(), 1);
    EXPECT_TRUE(empty.Page(1).texts.empty());
}

TEST(MemoPrintLayoutTest, MarginsThatLeaveNoRoomAreDropped)
{
    const FixedMeasure measure;
    PageSettings settings;
    settings.marginLeft = settings.marginRight = 45;
    settings.marginTop = settings.marginBottom = 0;
    const MemoPrintLayout layout(AnsiString(120, 'x'), settings, Printer(), measure);
    // 90 mm of 100 would leave a tenth: the whole width is used.
    EXPECT_EQ(layout.Page(1).margins, (RECT{0, 0, 1000, 1400}));
    EXPECT_EQ(layout.Lines().size(), 2u);
    EXPECT_EQ(layout.LinesPerPage(), 70);
}

} // namespace

// The margin check of the page setup against a printer with unprintable
// borders: raising margins to the borders, resetting margins that leave no
// room on the sheet, and when the check does nothing at all.
#include "print/MarginCheck.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <optional>

using namespace orvel;

namespace {

// A sheet of A4 at 600 dots per inch (4960 × 7016) whose printable area
// starts 100 dots from the left and 120 from the top and ends 140 before
// the right edge and 200 before the bottom. The area is 4720 × 6696 dots,
// 200 × 283 mm. In millimetres (a × b / c, rounded) the borders are:
// top 120 × 283 / 6696 = 5.07 → 5, left 100 × 200 / 4720 = 4.24 → 4,
// bottom 200 × 283 / 6696 = 8.45 → 8, right 140 × 200 / 4720 = 5.93 → 6;
// the sheet is 7016 × 283 / 6696 = 296.5 → 297 mm high and
// 4960 × 200 / 4720 = 210.2 → 210 mm wide.
PrinterMetrics PrinterWithBorders()
{
    PrinterMetrics p;
    p.logPixelsX = p.logPixelsY = 600;
    p.physicalWidth = 4960;
    p.physicalHeight = 7016;
    p.offsetX = 100;
    p.offsetY = 120;
    p.horzRes = 4960 - 100 - 140;
    p.vertRes = 7016 - 120 - 200;
    p.horzSizeMm = 200;
    p.vertSizeMm = 283;
    return p;
}

constexpr PageMargins kBorders{5, 8, 4, 6};

class MarginCheckTest : public testing::Test
{
protected:
    void SetUp() override
    {
        setCheckMargins(1);
        previous = SetPrinterMetricsSource([this] { return printer; });
    }
    void TearDown() override
    {
        SetPrinterMetricsSource(previous);
        setCheckMargins(1);
    }
    static void setCheckMargins(int value)
    {
        WinIni::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("CheckMargins"), value);
    }

    std::optional<PrinterMetrics> printer = PrinterWithBorders();
    PrinterMetricsSource previous;
};

TEST_F(MarginCheckTest, TheBordersAreTheSheetLessThePrintableAreaInRoundedMillimetres)
{
    EXPECT_EQ(PrinterMinimumMargins(PrinterWithBorders()), kBorders);
    // A printer that prints up to the edges has no borders.
    PrinterMetrics edgeless = PrinterWithBorders();
    edgeless.offsetX = edgeless.offsetY = 0;
    edgeless.horzRes = edgeless.physicalWidth;
    edgeless.vertRes = edgeless.physicalHeight;
    EXPECT_EQ(PrinterMinimumMargins(edgeless), PageMargins{});
}

struct MarginCase
{
    const char *what;
    PageMargins margins;
    PageMargins expected;
    bool valid;
};

class MarginCorrectionTest : public MarginCheckTest, public testing::WithParamInterface<MarginCase>
{};

TEST_P(MarginCorrectionTest, CorrectsAsTheCheckSays)
{
    SCOPED_TRACE(GetParam().what);
    PageMargins margins = GetParam().margins;
    EXPECT_EQ(CheckMargins(margins), GetParam().valid);
    EXPECT_EQ(margins, GetParam().expected);
}

// PageMargins is {top, bottom, left, right}.
INSTANTIATE_TEST_SUITE_P(
        Margins, MarginCorrectionTest,
        testing::Values(
                MarginCase{"zero margins go up to the borders", {0, 0, 0, 0}, kBorders, false},
                MarginCase{"one margin below its border", {10, 7, 10, 10}, {10, 8, 10, 10}, false},
                MarginCase{"margins from a file below zero", {-5, 20, 20, 20}, {5, 20, 20, 20}, false},
                MarginCase{"margins at the borders stay", kBorders, kBorders, true},
                MarginCase{"wide margins stay", {20, 25, 15, 15}, {20, 25, 15, 15}, true},
                MarginCase{"top and bottom filling the sheet exactly", {200, 97, 10, 10}, {200, 97, 10, 10}, true},
                MarginCase{"top and bottom one millimetre over the sheet", {201, 97, 10, 10}, {5, 8, 10, 10}, false},
                MarginCase{"left and right over the sheet", {10, 10, 150, 70}, {10, 10, 4, 6}, false},
                MarginCase{"both axes over the sheet", {2000, 2000, 2000, 2000}, kBorders, false}),
        [](const testing::TestParamInfo<MarginCase> &param) { return "Case" + std::to_string(param.index); });

TEST_F(MarginCheckTest, NothingIsCheckedWithCheckMarginsZeroOrWithoutAPrinter)
{
    setCheckMargins(0);
    EXPECT_FALSE(MarginCheckEnabled());
    PageMargins zero;
    EXPECT_TRUE(CheckMargins(zero));
    EXPECT_EQ(zero, PageMargins{});

    setCheckMargins(1);
    printer.reset();
    PageMargins overTheSheet{400, 400, 400, 400};
    EXPECT_TRUE(CheckMargins(overTheSheet));
    EXPECT_EQ(overTheSheet, (PageMargins{400, 400, 400, 400}));
}

TEST_F(MarginCheckTest, APrinterThatReportsNoPrintableAreaLeavesTheMarginsAlone)
{
    // The check must never divide by a size of 0, nor keep the user on the
    // page for a printer it cannot measure.
    printer->vertRes = 0;
    PageMargins margins{0, 0, 0, 0};
    EXPECT_TRUE(CheckMargins(margins));
    EXPECT_EQ(margins, PageMargins{});
}

} // namespace

// The paper size codes a database file stores, and Qt's page sizes.
#include "print/gfx/PaperCodes.h"

#include <gtest/gtest.h>

using namespace orvel;

namespace {

TEST(PaperCodesTest, EveryCodeIsTheOneTheSizeCarriesOnThePrinterDriverSide)
{
    // Qt knows the driver codes of its sizes too: the table must agree.
    const std::vector<int16_t> codes = PaperCodes();
    ASSERT_GE(codes.size(), 30u);
    // The ones a file most likely holds.
    EXPECT_EQ(PageSizeOfPaperCode(9), QPageSize::A4);
    EXPECT_EQ(PageSizeOfPaperCode(1), QPageSize::Letter);
    for (const int16_t code : codes) {
        SCOPED_TRACE(code);
        const std::optional<QPageSize::PageSizeId> size = PageSizeOfPaperCode(code);
        ASSERT_TRUE(size);
        EXPECT_EQ(QPageSize::windowsId(*size), code);
        EXPECT_EQ(PaperCodeOfPageSize(*size), code);
    }
}

TEST(PaperCodesTest, OtherNamesOfASheetPrintOnItAndUnknownCodesOnA4)
{
    // 11 × 17 in is the tabloid sheet, which has its own code.
    EXPECT_EQ(PrintPageSizeOfPaperCode(17), QPageSize::Tabloid);
    EXPECT_EQ(PaperCodeOfPageSize(QPageSize::Tabloid), int16_t(3));
    for (const int code : {0, -1, 256, 999, 32767}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(PageSizeOfPaperCode(code));
        EXPECT_EQ(PrintPageSizeOfPaperCode(code), QPageSize::A4);
    }
    // Sizes without a code.
    EXPECT_FALSE(PaperCodeOfPageSize(QPageSize::Custom));
    EXPECT_FALSE(PaperCodeOfPageSize(QPageSize::A0));
}

} // namespace

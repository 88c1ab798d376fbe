#pragma once

#include "platform/AnsiString.h"
#include "platform/LogFont.h"

#include <cstdint>

namespace orvel {

// The print settings a database carries in its file header. Page setup and
// printing give them their meaning; the document only keeps and stores them.
struct PageSettings
{
    // Separator lines between printed records.
    enum LineStyle : int16_t { NoLine = 0, Solid = 1, Dashed = 2, Dotted = 3, DashDot = 4, DashDotDot = 5 };
    enum Alignment : int16_t { Left = 0, Centred = 1, Right = 2 };
    static constexpr int16_t kPortrait = 1;
    static constexpr int16_t kLandscape = 2;
    static constexpr int16_t kPaperA4 = 9;

    LOGFONT printFont = StockFont(DEFAULT_GUI_FONT);
    int16_t lineStyle = Solid;
    int16_t printFieldNames = 1;
    int16_t numberRecords = 1;
    int16_t determineWidths = 1;
    // Millimetres.
    int16_t marginRight = 0;
    int16_t marginLeft = 0;
    int16_t marginTop = 0;
    int16_t marginBottom = 0;
    int16_t alignment = Left;
    AnsiString pageHeader;
    AnsiString pageFooter;
    // Printer driver codes: orientation, bin (0 = driver default), paper.
    int16_t orientation = kPortrait;
    int16_t paperSource = 0;
    int16_t paperSize = kPaperA4;

    friend bool operator==(const PageSettings &, const PageSettings &) = default;
};

} // namespace orvel

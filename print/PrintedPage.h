#pragma once

#include "platform/Gdi.h"
#include "platform/LogFont.h"

#include <QString>

#include <vector>

namespace orvel {

// One page of a printout as the printer and the preview paint it, in the
// printer's device units, with the origin at the top left of the printable
// area. Every text is clipped to its rectangle.
struct PrintedPage
{
    enum class Align { Left, Centre, Right };

    struct Text
    {
        RECT rect;
        QString text;
        Align align = Align::Left;
        // Against the rectangle's bottom (the footer) instead of its top.
        bool bottom = false;
        // The text's width in the print font: a text that fits its
        // rectangle is drawn without clipping.
        int width = 0;
    };
    // A horizontal separator line from x1 to x2 at y.
    struct Line
    {
        int x1;
        int x2;
        int y;
    };

    int number = 0; // from 1
    std::vector<Text> texts;
    std::vector<Line> lines;
    // The page margins (left, top, right, bottom edges), shown dotted in the
    // preview only.
    RECT margins{};
};

} // namespace orvel

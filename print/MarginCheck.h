#pragma once

#include "platform/PrinterMetrics.h"

namespace orvel {

// The four page margins in whole millimetres, as the page setup edits them.
struct PageMargins
{
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;

    friend bool operator==(const PageMargins &, const PageMargins &) = default;
};

// The printer's unprintable border on each side, in millimetres (never
// below 0).
PageMargins PrinterMinimumMargins(const PrinterMetrics &printer);

// "CheckMargins" in the section "Settings" of win.ini: 0 turns the margin
// check off; it is on by default.
bool MarginCheckEnabled();

// Fits the margins to the printer: a margin below the printer's border is
// raised to it; when top and bottom leave no room on the sheet, both go
// back to the borders, and left and right likewise. True when nothing had
// to change. A printer that reports no printable area has nothing to fit
// to, and the margins stay as they are.
bool FitMarginsToPrinter(PageMargins &margins, const PrinterMetrics &printer);

// The margin check of the page setup against the session's printer: true
// when the margins may stay as they are (the check is off, or there is no
// printer), else they have been corrected.
bool CheckMargins(PageMargins &margins);

} // namespace orvel

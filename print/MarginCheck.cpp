#include "print/MarginCheck.h"

#include "platform/MulDiv.h"
#include "platform/Registry.h"

#include <algorithm>

namespace orvel {

namespace {

// Device units to millimetres along one axis.
int toMm(int units, int sizeMm, int res)
{
    return std::max(0, MulDiv(units, sizeMm, res));
}

bool hasPrintableArea(const PrinterMetrics &printer)
{
    return printer.horzRes > 0 && printer.vertRes > 0 && printer.horzSizeMm > 0 && printer.vertSizeMm > 0;
}

// Raises a margin to its minimum; true when it had to.
bool raise(int &margin, int minimum)
{
    if (margin >= minimum)
        return false;
    margin = minimum;
    return true;
}

// When the two margins of one axis leave no room on the sheet, both go
// back to their minimums; true when they had to.
bool resetWhenTooLarge(int &first, int &second, int firstMinimum, int secondMinimum, int pageMm)
{
    if (pageMm - second >= first)
        return false;
    first = firstMinimum;
    second = secondMinimum;
    return true;
}

} // namespace

PageMargins PrinterMinimumMargins(const PrinterMetrics &p)
{
    PageMargins minimum;
    if (!hasPrintableArea(p))
        return minimum;
    minimum.top = toMm(p.offsetY, p.vertSizeMm, p.vertRes);
    minimum.left = toMm(p.offsetX, p.horzSizeMm, p.horzRes);
    minimum.bottom = toMm(p.physicalHeight - p.vertRes - p.offsetY, p.vertSizeMm, p.vertRes);
    minimum.right = toMm(p.physicalWidth - p.horzRes - p.offsetX, p.horzSizeMm, p.horzRes);
    return minimum;
}

bool MarginCheckEnabled()
{
    return WinIni::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("CheckMargins"), 1) != 0;
}

bool FitMarginsToPrinter(PageMargins &margins, const PrinterMetrics &printer)
{
    if (!hasPrintableArea(printer))
        return true;
    const PageMargins minimum = PrinterMinimumMargins(printer);
    bool changed = false;
    changed |= raise(margins.top, minimum.top);
    changed |= raise(margins.bottom, minimum.bottom);
    changed |= raise(margins.left, minimum.left);
    changed |= raise(margins.right, minimum.right);

    const int pageHeight = MulDiv(printer.physicalHeight, printer.vertSizeMm, printer.vertRes);
    const int pageWidth = MulDiv(printer.physicalWidth, printer.horzSizeMm, printer.horzRes);
    changed |= resetWhenTooLarge(margins.top, margins.bottom, minimum.top, minimum.bottom, pageHeight);
    changed |= resetWhenTooLarge(margins.left, margins.right, minimum.left, minimum.right, pageWidth);
    return !changed;
}

bool CheckMargins(PageMargins &margins)
{
    if (!MarginCheckEnabled())
        return true;
    const std::optional<PrinterMetrics> printer = CurrentPrinterMetrics();
    return !printer || FitMarginsToPrinter(margins, *printer);
}

} // namespace orvel

#pragma once

#include <functional>
#include <optional>

namespace orvel {

// What printing and the margin check know of a printer with its paper and
// orientation, in the printer's device units unless stated.
struct PrinterMetrics
{
    // Device units per inch.
    int logPixelsX = 0;
    int logPixelsY = 0;
    // The printable area.
    int horzRes = 0;
    int vertRes = 0;
    // The printable area in millimetres.
    int horzSizeMm = 0;
    int vertSizeMm = 0;
    // The whole sheet of paper.
    int physicalWidth = 0;
    int physicalHeight = 0;
    // Where the printable area starts on the sheet: the unprintable border
    // at the left and at the top.
    int offsetX = 0;
    int offsetY = 0;

    friend bool operator==(const PrinterMetrics &, const PrinterMetrics &) = default;
};

// The printer everything prints on in this session, as the printing layer
// reports it; nothing when there is no printer. The widget layer installs
// the real source; tests install a printer of their own (with borders,
// which a PDF printer does not have).
using PrinterMetricsSource = std::function<std::optional<PrinterMetrics>()>;
std::optional<PrinterMetrics> CurrentPrinterMetrics();
// Returns the source installed before.
PrinterMetricsSource SetPrinterMetricsSource(PrinterMetricsSource source);

} // namespace orvel

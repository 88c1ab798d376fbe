#include "platform/PrinterMetrics.h"

namespace orvel {

namespace {

PrinterMetricsSource &Source()
{
    static PrinterMetricsSource source;
    return source;
}

} // namespace

std::optional<PrinterMetrics> CurrentPrinterMetrics()
{
    const PrinterMetricsSource &source = Source();
    return source ? source() : std::nullopt;
}

PrinterMetricsSource SetPrinterMetricsSource(PrinterMetricsSource source)
{
    PrinterMetricsSource previous = std::move(Source());
    Source() = std::move(source);
    return previous;
}

} // namespace orvel

#include "print/ui/MemoPrintJob.h"

#include "document/PageSettings.h"
#include "platform/Services.h"
#include "platform/gfx/FontTextMeasure.h"
#include "print/MemoPrintLayout.h"
#include "print/TablePrintLayout.h"
#include "print/gfx/PrintedPagePainter.h"
#include "print/ui/TablePrintJob.h"
#include "resources/StringIds.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace orvel {

bool PrintMemoPages(QPrinter &printer, AnsiView memo, const PageSettings &settings, int from, int to)
{
    WaitCursor wait;
    const PrinterMetrics metrics = MetricsOfPrinter(printer);
    const FontTextMeasure measure(TablePrintLayout::PrintFont(settings, metrics), std::max(1, metrics.logPixelsY));
    const MemoPrintLayout layout(memo, settings, metrics, measure);
    const PrintedPagePainter painter(measure.Font(), 0);
    from = std::max(1, from);
    to = std::min(to, layout.PageCount());

    printer.setDocName(QStringLiteral("Orvel97: Memo"));
    QPainter device;
    if (!device.begin(&printer)) {
        MessageBoxById(ids::kMsgMemoNotPrinted, MsgIcon::Exclamation);
        return false;
    }
    for (int number = from; number <= to; ++number) {
        if (number > from && !printer.newPage()) {
            device.end();
            MessageBoxById(ids::kMsgMemoNotPrinted, MsgIcon::Exclamation);
            return false;
        }
        painter.Paint(device, layout.Page(number));
    }
    if (!device.end()) {
        MessageBoxById(ids::kMsgMemoNotPrinted, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

bool PrintMemo(QWidget *parent, AnsiView memo, const PageSettings &settings, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Drucken"));
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setMinMax(1, INT_MAX);
    printer.setPrintRange(QPrinter::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    int from = 1;
    int to = INT_MAX;
    if (printer.printRange() == QPrinter::PageRange) {
        from = std::max(1, printer.fromPage());
        to = printer.toPage() > 0 ? printer.toPage() : INT_MAX;
    }
    if (to < from)
        return false;
    return PrintMemoPages(printer, memo, settings, from, to);
}

} // namespace orvel

#include "print/ui/TablePrintJob.h"

#include "document/OrvelDoc.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace orvel {

namespace {

// Above this many pages the user is asked first.
constexpr int kManyPages = 100000;

} // namespace

PrinterMetrics MetricsOfPrinter(const QPrinter &printer)
{
    const QPageLayout layout = printer.pageLayout();
    const int dpi = printer.resolution();
    const QRect paint = layout.paintRectPixels(dpi);
    const QRect full = layout.fullRectPixels(dpi);
    const QRectF paintMm = layout.paintRect(QPageLayout::Millimeter);
    PrinterMetrics metrics;
    metrics.logPixelsX = dpi;
    metrics.logPixelsY = dpi;
    metrics.horzRes = paint.width();
    metrics.vertRes = paint.height();
    metrics.horzSizeMm = int(paintMm.width() + 0.5);
    metrics.vertSizeMm = int(paintMm.height() + 0.5);
    metrics.physicalWidth = full.width();
    metrics.physicalHeight = full.height();
    metrics.offsetX = paint.left() - full.left();
    metrics.offsetY = paint.top() - full.top();
    return metrics;
}

TablePrintJob::TablePrintJob(const COrvelDoc &doc, const PrinterMetrics &printer, const PrintJobOptions &options)
    : m_printer(printer)
    , m_measure(TablePrintLayout::PrintFont(doc.GetPageSettings(), printer), std::max(1, printer.logPixelsY))
    , m_layout(doc.GetTable(), doc.GetPageSettings(), printer, m_measure, options,
               [progress = std::shared_ptr<ProgressBox>(services().beginProgress(
                        ids::kCaptionFieldWidths, 0, std::max(1, doc.GetTable().GetFieldCount())))](int field) {
                   progress->setPos(field + 1);
                   // Paints go on; the measuring is not cancelled.
                   services().pollEscape();
               })
    , m_painter(m_measure.Font(), doc.GetPageSettings().lineStyle)
{}

PrintJobOptions JobOptionsFor(const COrvelDoc &doc)
{
    PrintJobOptions options;
    options.documentPath = doc.GetPathName();
    if (!options.documentPath.isEmpty())
        options.fileModified = QFileInfo(options.documentPath).lastModified();
    options.printed = QDateTime::currentDateTime();
    return options;
}

bool PrintJobPages(QPrinter &printer, const TablePrintJob &job, int from, int to)
{
    from = std::max(1, from);
    to = std::min(to, job.Layout().PageCount());
    QPainter painter;
    if (!painter.begin(&printer)) {
        MessageBoxById(ids::kMsgPrintJobNotStarted, MsgIcon::Exclamation);
        return false;
    }
    const auto progress = services().beginProgress(ids::kCaptionPrintingPages, from, std::max(from, to));
    for (int number = from; number <= to; ++number) {
        if (number > from)
            printer.newPage();
        job.Painter().Paint(painter, job.Layout().Page(number));
        progress->setPos(number);
        if (EscapePressedAndConfirmed()) {
            painter.end();
            printer.abort();
            return false;
        }
    }
    painter.end();
    return true;
}

bool PrintTable(QWidget *parent, const COrvelDoc &doc, QPrinter &printer)
{
    const CDataTable &table = doc.GetTable();
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Drucken"));
    // "Markierung" prints the marked records, offered only when there are.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, table.GetMarkedCount() > 0);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setMinMax(1, INT_MAX);
    printer.setPrintRange(QPrinter::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return false;

    PrintJobOptions options = JobOptionsFor(doc);
    options.printMarked = printer.printRange() == QPrinter::Selection && table.GetMarkedCount() > 0;
    if (options.printMarked && doc.GetPageSettings().numberRecords != 0)
        options.consecutiveNumbers =
                MessageBoxById(ids::kMsgNumberConsecutively, MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes;
    WaitCursor wait;
    const TablePrintJob job(doc, MetricsOfPrinter(printer), options);
    int from = 1;
    int to = job.Layout().PageCount();
    if (printer.printRange() == QPrinter::PageRange) {
        from = std::max(1, printer.fromPage());
        to = std::min(to, printer.toPage() > 0 ? printer.toPage() : to);
    }
    if (to - from + 1 > kManyPages
        && MessageBoxById(ids::kMsgManyPages, MsgIcon::Question, MsgButtons::YesNo, {QString::number(to - from + 1)})
                   != MsgResult::Yes)
        return false;
    if (to < from)
        return false;
    return PrintJobPages(printer, job, from, to);
}

} // namespace orvel

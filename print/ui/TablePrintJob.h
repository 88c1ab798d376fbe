#pragma once

#include "platform/PrinterMetrics.h"
#include "platform/gfx/FontTextMeasure.h"
#include "print/TablePrintLayout.h"
#include "print/gfx/PrintedPagePainter.h"

class QPrinter;
class QWidget;

namespace orvel {

class COrvelDoc;

// The metrics of a printer with its paper and orientation: the printable
// area (where a painter on it has its origin) within the sheet.
PrinterMetrics MetricsOfPrinter(const QPrinter &printer);

// A printout of a document's table on one printer: the print font
// measured on it, the pages laid out, and what paints them. The printer,
// a PDF file and the preview print from it alike.
class TablePrintJob
{
public:
    // Measuring the column widths shows the progress window.
    TablePrintJob(const COrvelDoc &doc, const PrinterMetrics &printer, const PrintJobOptions &options);

    const TablePrintLayout &Layout() const { return m_layout; }
    const PrintedPagePainter &Painter() const { return m_painter; }
    const PrinterMetrics &Printer() const { return m_printer; }

private:
    PrinterMetrics m_printer;
    FontTextMeasure m_measure;
    TablePrintLayout m_layout;
    PrintedPagePainter m_painter;
};

// What a job of the document knows besides its pages: the path and the
// file's time for the placeholders, the time of printing.
PrintJobOptions JobOptionsFor(const COrvelDoc &doc);

// Prints pages `from` to `to` (from 1, inclusive) of the job, one at a time,
// with the progress window; Escape stops after asking. False when the
// printer could not start (message 61702) or the user stopped.
bool PrintJobPages(QPrinter &printer, const TablePrintJob &job, int from, int to);

// "Drucken...": the print dialog (its range "Markierung" only when records
// are marked), the numbering question for marked records, the question for
// jobs of more than 100000 pages, then the printout.
bool PrintTable(QWidget *parent, const COrvelDoc &doc, QPrinter &printer);

} // namespace orvel

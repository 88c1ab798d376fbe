#include "print/ui/FormPrintJob.h"

#include "document/OrvelDoc.h"
#include "form/FormObjects.h"
#include "platform/Services.h"
#include "platform/gfx/PainterGdi.h"
#include "print/ui/SessionPrinter.h"
#include "print/ui/TablePrintJob.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>

#include <climits>

namespace orvel {

FormPrintout::FormPrintout(const COrvelDoc &doc, const PrinterMetrics &printer, const LOGFONT &font)
    : m_doc(doc)
    , m_printer(printer)
    , m_measure(font, std::max(1, printer.logPixelsY))
    , m_painter(m_measure.Font(), 0)
    , m_formArea(PrintedFormArea(doc.GetForm()))
{}

std::unique_ptr<FormPrintout> FormPrintout::Form(const COrvelDoc &doc, const PrinterMetrics &printer,
                                                 const FormPrintChoice &choice)
{
    const PageSettings &settings = doc.GetPageSettings();
    std::unique_ptr<FormPrintout> printout(
            new FormPrintout(doc, printer, TablePrintLayout::PrintFont(settings, printer)));
    printout->m_form = std::make_unique<FormPrintLayout>(
            SelectRecords(doc.GetTable(), choice.range, choice.currentRecord), printout->m_formArea, settings, printer,
            printout->m_measure, JobOptionsFor(doc), choice.layout);
    return printout;
}

std::unique_ptr<FormPrintout> FormPrintout::Labels(const COrvelDoc &doc, const PrinterMetrics &printer,
                                                   const LabelPrintChoice &choice)
{
    // The label font is scaled to the printer as the print font is.
    PageSettings fontOnly;
    fontOnly.printFont = choice.content.font;
    std::unique_ptr<FormPrintout> printout(
            new FormPrintout(doc, printer, TablePrintLayout::PrintFont(fontOnly, printer)));
    printout->m_labels = std::make_unique<LabelPrintLayout>(
            doc.GetTable(), SelectRecords(doc.GetTable(), choice.range, -1), choice.sheet, choice.start, choice.content,
            printer, printout->m_measure, printout->m_formArea);
    return printout;
}

std::unique_ptr<FormPrintout> FormPrintout::Envelope(const COrvelDoc &doc, const PrinterMetrics &printer,
                                                     EnvelopeSize size, const QStringList &sender,
                                                     const QStringList &address)
{
    const PageSettings &settings = doc.GetPageSettings();
    std::unique_ptr<FormPrintout> printout(
            new FormPrintout(doc, printer, TablePrintLayout::PrintFont(settings, printer)));
    printout->m_single = EnvelopePage(size, sender, address, printer, printout->m_measure);
    return printout;
}

int FormPrintout::PageCount() const
{
    if (m_form)
        return m_form->PageCount();
    if (m_labels)
        return m_labels->PageCount();
    return m_single ? 1 : 0;
}

FormPage FormPrintout::Page(int number) const
{
    if (m_form)
        return m_form->Page(number);
    if (m_labels)
        return m_labels->Page(number);
    return m_single && number == 1 ? *m_single : FormPage{};
}

void FormPrintout::PaintPreviewPage(QPainter &painter, int number) const
{
    paint(painter, Page(number), true);
}

void FormPrintout::PaintPage(QPainter &painter, int number) const
{
    paint(painter, Page(number), false);
}

void FormPrintout::paint(QPainter &painter, const FormPage &page, bool preview) const
{
    m_painter.Paint(painter, page.page, preview && m_form != nullptr, m_printer.horzRes, m_printer.vertRes);
    if (preview && m_labels) {
        // The preview shows the sheet's labels dotted, used or not.
        painter.save();
        QPen dotted(Qt::gray, 0, Qt::DotLine);
        dotted.setCosmetic(true);
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        for (int slot = 0; slot < m_labels->Sheet().LabelsPerSheet(); ++slot)
            painter.drawRect(RectToQRect(m_labels->LabelRect(slot)));
        painter.restore();
    }
    if (page.forms.empty())
        return;
    DrawContext context;
    context.table = &m_doc.GetTable();
    context.printing = true;
    context.objectFile = m_doc.GetWorkingStorePath();
    context.databasePath = m_doc.GetPathName();
    const RECT everything{0, 0, CFormObjects::kFormWidth, CFormObjects::kFormHeight};
    for (const FormPlacement &placement : page.forms) {
        painter.save();
        painter.setClipRect(placement.target, Qt::IntersectClip);
        painter.translate(placement.target.topLeft());
        painter.scale(placement.scale, placement.scale);
        painter.translate(-m_formArea.left, -m_formArea.top);
        {
            // Fonts are selected in form units: the painter's scale brings
            // them, the lines and the pictures (at the printer's
            // resolution) to their size on paper.
            CPainterDC dc(painter, kClassicColors, true);
            context.record = placement.record;
            m_doc.GetForm().DrawObjects(dc, context, std::span<const RECT>(&everything, 1));
        }
        painter.restore();
    }
}

bool PrintFormPages(QPrinter &printer, const FormPrintout &printout, int from, int to, int captionId)
{
    from = std::max(1, from);
    to = std::min(to, printout.PageCount());
    QPainter painter;
    if (!painter.begin(&printer)) {
        MessageBoxById(ids::kMsgPrintJobNotStarted, MsgIcon::Exclamation);
        return false;
    }
    const auto progress = services().beginProgress(captionId, from, std::max(from, to));
    for (int number = from; number <= to; ++number) {
        if (number > from)
            printer.newPage();
        printout.PaintPage(painter, number);
        progress->setPos(number);
        if (EscapePressedAndConfirmed()) {
            painter.end();
            printer.abort();
            return false;
        }
    }
    return painter.end();
}

bool PrintWithDialog(QWidget *parent, QPrinter &printer, const FormPrintout &printout, int captionId)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Drucken"));
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, printout.PageCount() > 1);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setMinMax(1, std::max(1, printout.PageCount()));
    printer.setPrintRange(QPrinter::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    int from = 1;
    int to = printout.PageCount();
    if (printer.printRange() == QPrinter::PageRange) {
        from = std::max(1, printer.fromPage());
        to = std::min(to, printer.toPage() > 0 ? printer.toPage() : to);
    }
    if (to < from)
        return false;
    WaitCursor wait;
    return PrintFormPages(printer, printout, from, to, captionId);
}

namespace {

bool checkRecords(const COrvelDoc &doc, RecordRange range, int current)
{
    const CDataTable &table = doc.GetTable();
    bool any = false;
    switch (range) {
    case RecordRange::Current:
        any = current >= 0 && current < table.GetRecordCount();
        break;
    case RecordRange::Marked:
        any = table.GetMarkedCount() > 0;
        break;
    case RecordRange::All:
        any = table.GetRecordCount() > 0;
        break;
    }
    if (!any)
        MessageBoxById(ids::kMsgNothingToPrint, MsgIcon::Exclamation);
    return any;
}

} // namespace

bool CheckFormPrint(const COrvelDoc &doc, const FormPrintChoice &choice)
{
    if (IsRectEmpty(PrintedFormArea(doc.GetForm()))) {
        MessageBoxById(ids::kMsgFormEmpty, MsgIcon::Exclamation);
        return false;
    }
    return checkRecords(doc, choice.range, choice.currentRecord);
}

bool CheckLabelPrint(const COrvelDoc &doc, const LabelPrintChoice &choice)
{
    if (const int message = CheckLabelSheet(choice.sheet); message != 0) {
        MessageBoxById(message, MsgIcon::Exclamation);
        return false;
    }
    if (CheckStartPosition(choice.sheet, choice.start) != 0) {
        MessageBoxById(ids::kMsgLabelStartInvalid, MsgIcon::Exclamation, MsgButtons::Ok,
                       {QString::number(choice.sheet.LabelsPerSheet())});
        return false;
    }
    if (choice.content.useForm && IsRectEmpty(PrintedFormArea(doc.GetForm()))) {
        MessageBoxById(ids::kMsgFormEmpty, MsgIcon::Exclamation);
        return false;
    }
    return checkRecords(doc, choice.range, -1);
}

bool PrintEnvelope(QWidget *parent, QPrinter &printer, const COrvelDoc &doc, EnvelopeSize size,
                   const QStringList &sender, const QStringList &address, bool dialog)
{
    bool any = false;
    for (const QString &line : address)
        any = any || !line.trimmed().isEmpty();
    if (!any) {
        MessageBoxById(ids::kMsgEnvelopeNoAddress, MsgIcon::Exclamation);
        return false;
    }
    const QPageLayout before = printer.pageLayout();
    const QPrinter::PaperSource source = printer.paperSource();
    const QSizeF mm = EnvelopeFormatOf(size).sizeMm;
    // The envelope as the printer knows it, lying on its long side.
    printer.setPageSize(QPageSize(QSizeF(mm.height(), mm.width()), QPageSize::Millimeter));
    printer.setPageOrientation(QPageLayout::Landscape);
    if (printer.outputFormat() == QPrinter::PdfFormat)
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        const QVariantList sources = printer.printEngine()->property(QPrintEngine::PPK_PaperSources).toList();
        for (const QPrinter::PaperSource feed : {QPrinter::Envelope, QPrinter::EnvelopeManual}) {
            if (sources.contains(QVariant(int(feed)))) {
                printer.setPaperSource(feed);
                break;
            }
        }
    }
    printer.setDocName(QStringLiteral("Orvel97: Umschlag"));
    const auto printout = FormPrintout::Envelope(doc, MetricsOfPrinter(printer), size, sender, address);
    const bool printed = dialog ? PrintWithDialog(parent, printer, *printout, ids::kCaptionPrintingPages)
                                : PrintFormPages(printer, *printout, 1, 1, ids::kCaptionPrintingPages);
    printer.setPageLayout(before);
    printer.setPaperSource(source);
    return printed;
}

} // namespace orvel

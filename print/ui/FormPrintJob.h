#pragma once

#include "platform/LogFont.h"
#include "platform/gfx/FontTextMeasure.h"
#include "print/EnvelopeLayout.h"
#include "print/FormPrintLayout.h"
#include "print/LabelPrintLayout.h"
#include "print/gfx/PrintedPagePainter.h"
#include "print/ui/PrintPreviewWindow.h"

#include <QStringList>

#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace orvel {

class COrvelDoc;

// What "Formular drucken..." prints.
struct FormPrintChoice
{
    RecordRange range = RecordRange::All;
    int currentRecord = -1;
    FormPrintLayout::Options layout;
};

// What "Etiketten drucken..." prints.
struct LabelPrintChoice
{
    LabelSheet sheet;
    int start = 1;
    LabelContent content;
    RecordRange range = RecordRange::All;
};

// A printout through the form (records as the form shows them in data
// mode), on labels or on an envelope: laid out for one printer, painted
// page by page for the printer, a PDF file and the preview alike.
class FormPrintout final : public PreviewSource
{
public:
    static std::unique_ptr<FormPrintout> Form(const COrvelDoc &doc, const PrinterMetrics &printer,
                                              const FormPrintChoice &choice);
    static std::unique_ptr<FormPrintout> Labels(const COrvelDoc &doc, const PrinterMetrics &printer,
                                                const LabelPrintChoice &choice);
    static std::unique_ptr<FormPrintout> Envelope(const COrvelDoc &doc, const PrinterMetrics &printer,
                                                  EnvelopeSize size, const QStringList &sender,
                                                  const QStringList &address);

    int PageCount() const override;
    const PrinterMetrics &Printer() const override { return m_printer; }
    void PaintPreviewPage(QPainter &painter, int number) const override;
    // Paints page `number` (from 1) for the printer.
    void PaintPage(QPainter &painter, int number) const;
    FormPage Page(int number) const;

    // The layouts, for the tests.
    const FormPrintLayout *FormLayout() const { return m_form.get(); }
    const LabelPrintLayout *LabelLayout() const { return m_labels.get(); }

private:
    FormPrintout(const COrvelDoc &doc, const PrinterMetrics &printer, const LOGFONT &font);
    void paint(QPainter &painter, const FormPage &page, bool preview) const;

    const COrvelDoc &m_doc;
    PrinterMetrics m_printer;
    FontTextMeasure m_measure;
    PrintedPagePainter m_painter;
    RECT m_formArea{};
    std::unique_ptr<FormPrintLayout> m_form;
    std::unique_ptr<LabelPrintLayout> m_labels;
    std::optional<FormPage> m_single;
};

// Prints pages `from` to `to` of the printout, one at a time, with the
// progress window under `captionId`; Escape stops after asking. False when
// the printer could not start (message 61702) or the user stopped.
bool PrintFormPages(QPrinter &printer, const FormPrintout &printout, int from, int to, int captionId);

// The print dialog for a printout (page range, to a file), then the pages;
// false when cancelled or not printed.
bool PrintWithDialog(QWidget *parent, QPrinter &printer, const FormPrintout &printout, int captionId);

// The checks before a printout, each with its message: a form without
// objects (when the form is printed), no records in the range, a label
// sheet that does not fit or a start position beyond it. True when the
// printout can go ahead.
bool CheckFormPrint(const COrvelDoc &doc, const FormPrintChoice &choice);
bool CheckLabelPrint(const COrvelDoc &doc, const LabelPrintChoice &choice);

// Prints an envelope on `printer`: its paper becomes the envelope (lying in
// landscape), fed from the envelope bin where the printer has one; the
// document's paper settings are put back afterwards. With `dialog` the
// print dialog comes first.
bool PrintEnvelope(QWidget *parent, QPrinter &printer, const COrvelDoc &doc, EnvelopeSize size,
                   const QStringList &sender, const QStringList &address, bool dialog);

} // namespace orvel

#include "print/ui/FormPrintDialogs.h"

#include "document/OrvelDoc.h"
#include "platform/DataFiles.h"
#include "platform/Services.h"
#include "print/ui/SessionPrinter.h"
#include "print/ui/TablePrintJob.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"

#include <QPrinter>

namespace orvel {

namespace {

// Shows the printout in the preview; its "Drucken..." goes through the
// print dialog.
void preview(QWidget *parent, std::unique_ptr<FormPrintout> printout, int captionId)
{
    const FormPrintout *pages = printout.get();
    PrintPreviewWindow window(
            std::move(printout),
            [pages, captionId](QWidget *owner) {
                return PrintWithDialog(owner, SessionPrinter::Instance().Printer(), *pages, captionId);
            },
            parent);
    window.exec();
}

} // namespace

void RunFormPrint(QWidget *parent, const COrvelDoc &doc, int currentRecord)
{
    FormPrintDialog dialog(doc, currentRecord, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const FormPrintChoice choice = dialog.Choice();
    if (!CheckFormPrint(doc, choice))
        return;
    SessionPrinter &session = SessionPrinter::Instance();
    session.ApplyPaperSettings(doc.GetPageSettings());
    QPrinter &printer = session.Printer();
    printer.setDocName(QStringLiteral("Orvel97: Formular"));
    std::unique_ptr<FormPrintout> printout;
    {
        WaitCursor wait;
        printout = FormPrintout::Form(doc, MetricsOfPrinter(printer), choice);
    }
    if (dialog.ChosenAction() == FormPrintDialog::Action::Preview)
        preview(parent, std::move(printout), ids::kCaptionPrintingForm);
    else
        PrintWithDialog(parent, printer, *printout, ids::kCaptionPrintingForm);
}

void RunLabelPrint(QWidget *parent, const COrvelDoc &doc)
{
    std::vector<LabelSheet> sheets = ReadLabelSheets(FindDataFile(QStringLiteral("labelsheets.txt")));
    if (sheets.empty())
        MessageBoxById(ids::kMsgLabelSheetsMissing, MsgIcon::Information);
    LabelPrintDialog dialog(doc, std::move(sheets), parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SessionPrinter &session = SessionPrinter::Instance();
    // Label sheets are A4 portrait, whatever the table prints on.
    session.SetPaperSize(PageSettings::kPaperA4);
    session.SetOrientation(PageSettings::kPortrait);
    session.Printer().setDocName(QStringLiteral("Orvel97: Etiketten"));
    std::unique_ptr<FormPrintout> printout;
    {
        WaitCursor wait;
        printout = FormPrintout::Labels(doc, MetricsOfPrinter(session.Printer()), dialog.Choice());
    }
    preview(parent, std::move(printout), ids::kCaptionPrintingLabels);
    session.ApplyPaperSettings(doc.GetPageSettings());
}

void RunEnvelopePrint(QWidget *parent, const COrvelDoc &doc, int currentRecord)
{
    EnvelopeDialog dialog(doc, currentRecord, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SessionPrinter &session = SessionPrinter::Instance();
    PrintEnvelope(parent, session.Printer(), doc, dialog.Size(), dialog.Sender(), dialog.Address(), true);
    session.ApplyPaperSettings(doc.GetPageSettings());
}

void RegisterFormPrintCommands(CommandMap &map, QWidget *parent, COrvelDoc &doc, std::function<int()> currentRecord,
                               std::function<void()> commitEdit)
{
    const auto hasRecords = [&doc](CCmdUI &ui) { ui.Enable(doc.GetTable().GetRecordCount() > 0); };
    map.On(
            ID_FILE_PRINT_FORM,
            [parent, &doc, currentRecord, commitEdit] {
                commitEdit();
                RunFormPrint(parent, doc, currentRecord());
            },
            hasRecords);
    map.On(
            ID_FILE_PRINT_LABELS,
            [parent, &doc, commitEdit] {
                commitEdit();
                RunLabelPrint(parent, doc);
            },
            hasRecords);
    map.On(
            ID_FILE_PRINT_ENVELOPE,
            [parent, &doc, currentRecord, commitEdit] {
                commitEdit();
                RunEnvelopePrint(parent, doc, currentRecord());
            },
            [&doc, currentRecord](CCmdUI &ui) {
                const int record = currentRecord();
                ui.Enable(record >= 0 && record < doc.GetTable().GetRecordCount());
            });
}

} // namespace orvel

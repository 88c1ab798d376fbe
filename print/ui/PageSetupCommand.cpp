#include "print/ui/PageSetupCommand.h"

#include "document/OrvelDoc.h"
#include "print/ui/CPSPageSetup.h"
#include "print/ui/SessionPrinter.h"

namespace orvel {

bool RunPageSetup(QWidget *parent, COrvelDoc &doc)
{
    SessionPrinter &printer = SessionPrinter::Instance();
    printer.ApplyPaperSettings(doc.GetPageSettings());
    CPSPageSetup sheet(doc.GetPageSettings(), doc.GetTable(), printer.Offer(), parent);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    doc.SetPrintFlags(sheet.PrintFlags());
    doc.SetPageSettings(sheet.Settings());
    printer.ApplyPaperSettings(doc.GetPageSettings());
    return true;
}

} // namespace orvel

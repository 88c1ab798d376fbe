#pragma once

#include "platform/ui/CommandRouter.h"
#include "print/ui/EnvelopeDialog.h"
#include "print/ui/FormPrintDialog.h"
#include "print/ui/LabelPrintDialog.h"

#include <functional>

namespace orvel {

class COrvelDoc;

// The three print commands of the "Datei" menu for a view of the document:
// `currentRecord` tells the view's current record, `commitEdit` stores an
// open edit first.
void RegisterFormPrintCommands(CommandMap &map, QWidget *parent, COrvelDoc &doc, std::function<int()> currentRecord,
                               std::function<void()> commitEdit);

// The commands themselves.
void RunFormPrint(QWidget *parent, const COrvelDoc &doc, int currentRecord);
void RunLabelPrint(QWidget *parent, const COrvelDoc &doc);
void RunEnvelopePrint(QWidget *parent, const COrvelDoc &doc, int currentRecord);

} // namespace orvel

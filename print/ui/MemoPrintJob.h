#pragma once

#include "platform/AnsiString.h"

#include <climits>

class QPrinter;
class QWidget;

namespace orvel {

struct PageSettings;

// Prints a memo as the document "Orvel97: Memo": its lines in the page
// setup's print font within the page setup's margins (MemoPrintLayout),
// pages `from` to `to` (from 1, inclusive). False, after message 508, when
// the printer could not start.
bool PrintMemoPages(QPrinter &printer, AnsiView memo, const PageSettings &settings, int from = 1, int to = INT_MAX);

// "&Drucken..." of the memo dialog: the print dialog on the printer, then
// the pages it asks for. False when cancelled or not printed.
bool PrintMemo(QWidget *parent, AnsiView memo, const PageSettings &settings, QPrinter &printer);

} // namespace orvel

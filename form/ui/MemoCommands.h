#pragma once

class QWidget;

namespace orvel {

class CFormDesigner;
class COrvelDoc;
class CommandMap;

// Opens the memo dialog on the memo of field `field` (display position) of
// record `record` and, after OK with a changed text, stores the text in the
// document's working object store and the new reference in the record:
// the document is marked modified and all views hear hint 3. A memo that
// cannot be read shows message 504 and opens nothing; a text that cannot be
// stored shows message 503 and leaves the record as it was. False when
// nothing changed.
bool EditMemoValue(QWidget *parent, COrvelDoc &doc, int record, int field);

// In data mode, on the one selected memo field: "&Text ändern..." and the
// memo button.
void RegisterMemoCommands(CFormDesigner &designer, CommandMap &map);

} // namespace orvel

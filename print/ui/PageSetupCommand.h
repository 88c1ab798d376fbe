#pragma once

class QWidget;

namespace orvel {

class COrvelDoc;

// "Sei&te einrichten...": the document's paper goes to the session's
// printer, the sheet opens on the document's page setup, and OK writes
// every page's values back through the document (which counts as modified
// only when something changed) and applies the paper again. Abbrechen
// changes nothing. True after OK.
bool RunPageSetup(QWidget *parent, COrvelDoc &doc);

} // namespace orvel

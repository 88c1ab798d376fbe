#pragma once

namespace orvel {

class COrvelDoc;

// "Ein&fügen aus...": asks for an Orvel, dBASE or SDF file ("Datei einfügen
// aus") and inserts its records before `currentRecord` (appending when there
// is none). `filterIndex` is the dialog's 1-based filter index the main frame
// remembers for this command; it is read and, on OK, updated. Returns the
// number of records inserted, 0 when the user cancelled, -1 when the file
// could not be read (the reason has been reported).
int RunInsertFromCommand(COrvelDoc &doc, int currentRecord, int *filterIndex);

} // namespace orvel

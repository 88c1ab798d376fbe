#pragma once

#include "form/DrawObj.h"

class QWidget;

namespace orvel {

class CDrawEdit;
class COrvelDoc;

// The property sheet of a data field in design mode: the field page and,
// except for picture fields, the format page. OK stores the field's
// definition in the table and the look in the data field (through the
// document and the form); true then.
bool EditDataFieldProperties(QWidget *parent, COrvelDoc &doc, CDrawEdit &field);

// "Einfügen ▸ Datenfeld": message 500 at 32 fields; otherwise the sheet for
// a new field ("Datenfeld%u", text, framed, named, the standard font, the
// current line colour, left). OK makes the field and its data field, one
// line of its font high; the new data field, or null.
CDrawEdit *InsertDataFieldWithSheet(QWidget *parent, COrvelDoc &doc, const DrawColors &colors);

} // namespace orvel

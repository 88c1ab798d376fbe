#pragma once

#include "platform/Gdi.h"

class QMimeData;

namespace orvel {

class CDrawEdit;
class CDrawOleObj;
class CFormDesigner;
class CommandMap;

// The commands of embedded documents ("OLE"): in design mode "OLE-Objekt..."
// inserts an embedded object on the form; in data mode "Neues Objekt
// einfügen..." gives an OLE field's record a new value and a double click
// opens it; "Bearbeiten" and "Bearbeitung beenden" open the selected object
// or value in its application and end that.
void RegisterEmbeddedObjectCommands(CFormDesigner &designer, CommandMap &map);

// The one selected OLE field in data mode with a current record, or null.
CDrawEdit *SelectedOleField(const CFormDesigner &designer);
// "Eigenschaften" in data mode on an OLE field: the sheet of its value.
void ShowOleValueProperties(CFormDesigner &designer);

// Whether files or a picture offered by a drag or the clipboard can become
// embedded objects.
bool CanEmbedMimeData(const QMimeData *data);
// Makes each offered file (or the picture) an embedded object of the form,
// the first at `at` (form coordinates), the next ones below and to the right
// of it; `linked` keeps files as links. The new objects are selected. False
// when nothing could be inserted.
bool EmbedMimeData(CFormDesigner &designer, const QMimeData *data, POINT at, bool linked = false);

} // namespace orvel

#pragma once

namespace orvel {

class CFormDesigner;
class CommandMap;
class CDrawEdit;

// The designer's commands on link fields in data mode: the field's button
// opens the link (the link dialog when it cannot be opened) and
// "&Verknüpfung ändern..." edits it in the link dialog.
void RegisterLinkCommands(CFormDesigner &designer, CommandMap &map);

// The one selected data field when it shows a link field of an existing
// record in data mode; null otherwise.
CDrawEdit *SelectedLinkField(const CFormDesigner &designer);

// "&Verknüpfung ändern..." on the selected link field.
void ChangeLink(CFormDesigner &designer);

} // namespace orvel

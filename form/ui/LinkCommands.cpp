#include "form/ui/LinkCommands.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "media/ui/LinkDialog.h"
#include "media/ui/LinkLauncher.h"
#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

namespace orvel {

CDrawEdit *SelectedLinkField(const CFormDesigner &designer)
{
    const auto &selection = designer.GetSelection();
    if (designer.IsDesignMode() || selection.size() != 1)
        return nullptr;
    auto *field = dynamic_cast<CDrawEdit *>(selection.front());
    const CDataTable &table = designer.GetDocument().GetTable();
    if (field == nullptr || field->GetFieldType(&table) != FT_LINK
        || table.GetRecord(designer.GetHost().CurrentRecord()) == nullptr)
        return nullptr;
    return field;
}

void ChangeLink(CFormDesigner &designer)
{
    CDrawEdit *field = SelectedLinkField(designer);
    if (field == nullptr)
        return;
    COrvelDoc &doc = designer.GetDocument();
    const int record = designer.GetHost().CurrentRecord();
    const int column = field->fieldIndex;
    designer.GetHost().SetCurrentField(column);
    const AnsiString old(doc.GetTable().GetRecord(record)->GetRawValue(column));
    const std::optional<AnsiString> value = RunLinkDialog(&designer.GetView(), old, doc.GetPathName());
    if (value && doc.SetFieldText(record, column, *value))
        doc.UpdateAllViews({Hint::RecordChanged, record, column});
}

namespace {

// The link button: the link opens; when there is nothing to open, or it
// cannot be opened, the link dialog comes instead.
void openLink(CFormDesigner &designer)
{
    CDrawEdit *field = SelectedLinkField(designer);
    if (field == nullptr)
        return;
    const COrvelDoc &doc = designer.GetDocument();
    const int record = designer.GetHost().CurrentRecord();
    designer.GetHost().SetCurrentField(field->fieldIndex);
    const AnsiString value(doc.GetTable().GetRecord(record)->GetRawValue(field->fieldIndex));
    if (LinkLauncher::Open(value, doc.GetPathName()) == LinkOutcome::EditLink)
        ChangeLink(designer);
}

} // namespace

void RegisterLinkCommands(CFormDesigner &designer, CommandMap &map)
{
    CFormDesigner *d = &designer;
    const auto oneLinkField = [d](CCmdUI &ui) { ui.Enable(SelectedLinkField(*d) != nullptr); };
    map.On(
            CFormDesigner::kOpenLink, [d] { openLink(*d); }, oneLinkField);
    map.On(
            ID_FIELD_CHANGE_LINK, [d] { ChangeLink(*d); }, oneLinkField);
}

} // namespace orvel

#include "form/ui/MemoCommands.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "media/MemoStore.h"
#include "media/ui/MemoDialog.h"
#include "platform/Services.h"
#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

namespace orvel {

namespace {

CDrawEdit *selectedMemoField(const CFormDesigner &designer)
{
    return designer.SelectedValueField(FT_MEMO);
}

void editSelectedMemo(CFormDesigner &designer)
{
    CDrawEdit *field = selectedMemoField(designer);
    if (field == nullptr)
        return;
    designer.GetHost().SetCurrentField(field->fieldIndex);
    EditMemoValue(&designer.GetView(), designer.GetDocument(), designer.GetHost().CurrentRecord(), field->fieldIndex);
}

} // namespace

bool EditMemoValue(QWidget *parent, COrvelDoc &doc, int record, int field)
{
    CDataTable &table = doc.GetTable();
    const CDataRecord *entry = table.GetRecord(record);
    if (entry == nullptr || table.GetFieldType(field) != FT_MEMO)
        return false;
    const AnsiString reference(entry->GetRawValue(field));
    const std::optional<AnsiString> memo = ReadMemo(doc.GetWorkingStorePath(), reference);
    if (!memo) {
        // Opening it empty would let OK put an empty text over a memo
        // that may only be out of reach for now.
        MessageBoxById(ids::kMsgMemoNotRead, MsgIcon::Exclamation);
        return false;
    }
    const std::optional<AnsiString> edited = RunMemoDialog(parent, *memo, doc.GetPageSettings());
    if (!edited || *edited == *memo)
        return false;

    // The text takes the old object's place only when no other value
    // holds the same object.
    // (Nor while the undo list may still need the old one.)
    const bool shared = IsObjectShared(table, reference, record, field) || doc.GetRecorder().KeepsOldObjects();
    const AnsiString stored = WriteMemo(doc.GetWorkingStorePath(), shared ? AnsiView() : AnsiView(reference), *edited);
    if (stored.empty()) {
        MessageBoxById(ids::kMsgMemoNotWritten, MsgIcon::Exclamation);
        return false;
    }
    if (!doc.SetObjectReference(record, field, stored))
        return false;
    doc.UpdateAllViews({Hint::RecordChanged, record, field});
    return true;
}

void RegisterMemoCommands(CFormDesigner &designer, CommandMap &map)
{
    CFormDesigner *d = &designer;
    const auto oneMemoField = [d](CCmdUI &ui) { ui.Enable(selectedMemoField(*d) != nullptr); };
    map.On(
            ID_FIELD_EDIT_MEMO, [d] { editSelectedMemo(*d); }, oneMemoField);
    map.On(
            CFormDesigner::kOpenMemo, [d] { editSelectedMemo(*d); }, oneMemoField);
}

} // namespace orvel

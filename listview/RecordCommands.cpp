#include "listview/RecordCommands.h"

#include "document/OrvelDoc.h"
#include "listview/GoToDialog.h"
#include "listview/InsertFromCommand.h"
#include "listview/ListGrid.h"
#include "listview/OrvelView.h"
#include "listview/RecordClipboard.h"
#include "platform/ui/CellEditor.h"
#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FillDown.h"
#include "table/TableCommands.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace orvel {

namespace {

// Where the view stands once records are gone: the same index, else the new
// last record, else none.
int currentAfterRemoval(const CDataTable &table, int current)
{
    const int count = table.GetRecordCount();
    return count == 0 ? -1 : std::min(current, count - 1);
}

// Every view keeps its current cell in sight and repaints.
void showCurrentEverywhere(COrvelView &view)
{
    view.GetDocument().UpdateAllViews(Hint::ShowCurrent);
}

void changed(COrvelView &view, int current, int field)
{
    view.GetDocument().SetModifiedFlag();
    view.SetCurrentCell(current, field);
    showCurrentEverywhere(view);
}

bool hasCurrent(const COrvelView &view)
{
    return view.GetTable().GetRecord(view.GetCurrentRecord()) != nullptr;
}

// --- the commands ---

void goTo(COrvelView &view)
{
    view.CommitEdit();
    const CDataTable &table = view.GetTable();
    if (const auto record = RunGoToDialog(&view, view.GetCurrentRecord(), table.GetRecordCount())) {
        view.SetCurrentCell(*record, view.GetCurrentField());
        view.OnUpdate(Hint::Repaint);
    }
    view.OnUpdate(Hint::ShowCurrent);
}

void insertRecord(COrvelView &view, bool after)
{
    view.CommitEdit();
    int current = view.GetCurrentRecord();
    const bool inserted =
            after ? NewRecordAfterCommand(view.GetTable(), current) : NewRecordBeforeCommand(view.GetTable(), current);
    if (inserted)
        changed(view, current, 0);
}

void deleteRecord(COrvelView &view)
{
    if (CListGrid *grid = view.GetGrid(); grid && grid->IsEditing()) {
        // While a cell is being edited the key belongs to the text.
        QWidget *editor = grid->Editor()->widget();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QCoreApplication::sendEvent(editor, &press);
        return;
    }
    if (!hasCurrent(view))
        return;
    view.CommitEdit();
    int current = view.GetCurrentRecord();
    if (DeleteRecordCommand(view.GetTable(), current))
        changed(view, current, view.GetCurrentField());
}

void deleteMarked(COrvelView &view)
{
    view.CommitEdit();
    int current = view.GetCurrentRecord();
    if (DeleteMarkedRecordsCommand(view.GetTable(), current))
        changed(view, current, view.GetCurrentField());
}

void toggleMark(COrvelView &view)
{
    if (CListGrid *grid = view.GetGrid()) {
        grid->ToggleMarkOfCurrent();
        return;
    }
    const int record = view.GetCurrentRecord();
    if (!ToggleMarkCommand(view.GetTable(), record))
        return;
    view.GetDocument().SetModifiedFlag();
    view.UpdateOtherViews({Hint::RecordChanged, record, view.GetCurrentField()});
}

void markAll(COrvelView &view, bool mark)
{
    view.CommitEdit();
    CDataTable &table = view.GetTable();
    if (!(mark ? MarkAllCommand(table) : ClearMarksCommand(table)))
        return;
    view.GetDocument().SetModifiedFlag();
    view.GetDocument().UpdateAllViews(Hint::Repaint);
}

void fillDown(COrvelView &view)
{
    view.CommitEdit();
    // The filled records must reach the file: without the flag closing the
    // window would not even ask.
    if (FillDown(view.GetTable(), view.GetCurrentRecord(), view.GetCurrentField()) > 0)
        view.GetDocument().SetModifiedFlag();
    showCurrentEverywhere(view);
}

void copyRecord(COrvelView &view, bool cut)
{
    if (!hasCurrent(view))
        return;
    view.CommitEdit();
    COrvelDoc &doc = view.GetDocument();
    const int record = view.GetCurrentRecord();
    // A cut removes only what is safely on the clipboard.
    if (CopyRecord(doc, record, view.ClipboardObjectFile()) && cut) {
        CDataTable &table = view.GetTable();
        table.RemoveRecord(record);
        table.SetModified();
        changed(view, currentAfterRemoval(table, record), view.GetCurrentField());
        return;
    }
    showCurrentEverywhere(view);
}

void copyMarked(COrvelView &view, bool cut)
{
    view.CommitEdit();
    COrvelDoc &doc = view.GetDocument();
    if (CopyMarkedRecords(doc, view.ClipboardObjectFile()) && cut) {
        CDataTable &table = view.GetTable();
        table.RemoveMarkedRecords();
        table.SetModified();
        changed(view, currentAfterRemoval(table, view.GetCurrentRecord()), view.GetCurrentField());
        return;
    }
    showCurrentEverywhere(view);
}

void paste(COrvelView &view)
{
    if (view.GetTable().GetFieldCount() == 0)
        return;
    view.CommitEdit();
    // The records go before the current one, which then shows the first of
    // them.
    const int at = hasCurrent(view) ? view.GetCurrentRecord() : -1;
    PasteRecords(view.GetDocument(), at, view.ClipboardObjectFile());
    showCurrentEverywhere(view);
}

void insertFrom(COrvelView &view)
{
    view.CommitEdit();
    ViewFrame *frame = view.GetFrame();
    int filter = frame ? frame->GetFilterIndex(ViewFrame::FileDialog::InsertFrom) : 1;
    const int before = filter;
    // The insertion repaints every view itself.
    RunInsertFromCommand(view.GetDocument(), hasCurrent(view) ? view.GetCurrentRecord() : -1, &filter);
    if (frame && filter != before)
        frame->SetFilterIndex(ViewFrame::FileDialog::InsertFrom, filter);
}

} // namespace

void RegisterRecordCommands(COrvelView &view, CommandMap &map)
{
    COrvelView *v = &view;
    const auto table = [v]() -> const CDataTable & { return v->GetTable(); };
    // Most record commands wait while the form is being designed; the
    // designer takes over those it has a meaning for.
    const auto when = [v](auto condition) {
        return [v, condition](CCmdUI &ui) { ui.Enable(!v->IsDesignMode() && condition()); };
    };
    const auto records = [table](int least) { return [table, least] { return table().GetRecordCount() >= least; }; };
    const auto marked = [table] { return table().GetMarkedCount() > 0; };

    map.On(
            ID_RECORD_GOTO, [v] { goTo(*v); }, when(records(2)));
    map.On(
            ID_RECORD_INSERT_BEFORE, [v] { insertRecord(*v, false); },
            when([table] { return table().GetFieldCount() > 0; }));
    map.On(
            ID_RECORD_INSERT_AFTER, [v] { insertRecord(*v, true); },
            when([table] { return table().GetFieldCount() > 0; }));
    map.On(
            ID_RECORD_DELETE, [v] { deleteRecord(*v); }, when(records(1)));
    map.On(
            ID_MARKED_DELETE, [v] { deleteMarked(*v); }, when(marked));
    map.On(
            ID_RECORD_MARK, [v] { toggleMark(*v); },
            [v](CCmdUI &ui) {
                const CDataRecord *record = v->GetTable().GetRecord(v->GetCurrentRecord());
                ui.Enable(record && !v->IsDesignMode());
                ui.SetCheck(record && record->IsMarked());
            });
    map.On(
            ID_EDIT_SELECT_ALL, [v] { markAll(*v, true); }, when([table] {
                return table().GetRecordCount() > 0 && table().GetMarkedCount() < table().GetRecordCount();
            }));
    map.On(
            ID_MARKS_CLEAR, [v] { markAll(*v, false); }, when(marked));
    map.On(
            ID_FILL_DOWN, [v] { fillDown(*v); },
            when([v] { return CanFillDown(v->GetTable(), v->GetCurrentRecord(), v->GetCurrentField()); }));

    map.On(
            ID_EDIT_COPY, [v] { copyRecord(*v, false); }, when(records(1)));
    map.On(
            ID_EDIT_CUT, [v] { copyRecord(*v, true); }, when(records(1)));
    // The clipboard's formats come from a cache: update handlers run on
    // every idle pass and must not ask the clipboard itself.
    map.On(
            ID_EDIT_PASTE, [v] { paste(*v); },
            when([table] { return ClipboardHasRecords() || table().GetFieldCount() > 0; }));
    map.On(
            ID_MARKED_COPY, [v] { copyMarked(*v, false); }, when(marked));
    map.On(
            ID_MARKED_CUT, [v] { copyMarked(*v, true); }, when(marked));
    map.On(ID_FILE_INSERT_FROM, [v] { insertFrom(*v); });
}

} // namespace orvel

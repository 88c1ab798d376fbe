#include "listview/ViewSearch.h"

#include "document/OrvelDoc.h"
#include "listview/OrvelView.h"
#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"
#include "table/DataTable.h"
#include "tools/FindDialog.h"
#include "tools/ReplaceDialog.h"
#include "tools/SearchBar.h"

namespace orvel {

ViewSearch::ViewSearch(COrvelView &view)
    : m_view(view)
{
    // A new view searches its first field until the user chooses another.
    m_findSpec.criterion1.field = 0;
    m_findSpec.criterion2.field = 0;
    m_replace.field = 0;
}

ViewSearch::~ViewSearch()
{
    CloseBars();
}

void ViewSearch::RegisterCommands(CommandMap &map)
{
    const auto enable = [this](CCmdUI &ui) {
        ui.Enable(!m_view.IsDesignMode() && m_view.GetTable().GetRecordCount() >= 2);
    };
    map.On(
            ID_RECORD_FIND, [this] { Find(); }, enable);
    map.On(
            ID_RECORD_REPLACE, [this] { Replace(); }, enable);
}

void ViewSearch::Find()
{
    m_view.CommitEdit();
    FindDialog dialog(m_view.GetDocument(), m_findSpec, m_findLink, m_newDocument, &m_view);
    if (dialog.exec() != FindDialog::kSearchResult)
        return;
    m_findRun.Restart();
    showBar(false);
    ContinueFind();
}

void ViewSearch::Replace()
{
    m_view.CommitEdit();
    ReplaceDialog dialog(m_view.GetDocument(), m_replace, &m_view);
    const int result = dialog.exec();
    if (result != ReplaceDialog::kSearchResult && result != ReplaceDialog::kReplaceResult)
        return;
    m_replaceRun.Restart();
    showBar(true);
    ContinueReplace(result);
}

void ViewSearch::ContinueFind()
{
    m_view.CommitEdit();
    int current = m_view.GetCurrentRecord();
    if (FindNextCommand(m_view.GetTable(), m_findSpec, m_findLink, current, m_findRun))
        showFound(current, m_findRun.currentField);
}

void ViewSearch::ContinueReplace(int result)
{
    m_view.CommitEdit();
    int current = m_view.GetCurrentRecord();
    if (result == SearchBar::kReplaceResult) {
        const int replaced = current;
        const CDocumentStepScope step(m_view.GetDocument().GetRecorder(),
                                      CDocumentRecorder::StepName(ID_RECORD_REPLACE));
        if (ReplaceCommand(m_view.GetTable(), m_replace, current, m_replaceRun)) {
            COrvelDoc &doc = m_view.GetDocument();
            doc.SetModifiedFlag();
            doc.UpdateAllViews(UpdateHint(Hint::RecordChanged, replaced, m_replace.field));
        }
        if (current != replaced)
            showFound(current, m_replaceRun.currentField);
        return;
    }
    SearchSpec spec;
    spec.criterion1 = m_replace;
    if (FindNextCommand(m_view.GetTable(), spec, SL_NONE, current, m_replaceRun))
        showFound(current, m_replaceRun.currentField);
}

void ViewSearch::showFound(int record, int field)
{
    m_view.SetCurrentCell(record, field);
    m_view.OnUpdate(Hint::Found);
}

void ViewSearch::showBar(bool replace)
{
    QPointer<SearchBar> &bar = replace ? m_replaceBar : m_findBar;
    QPointer<SearchBar> &other = replace ? m_findBar : m_replaceBar;
    if (other)
        other->close();
    other = nullptr;
    // A bar the user closed is on its way out: a new one takes its place.
    if (!bar || !bar->isVisible()) {
        bar = new SearchBar(replace ? SearchBar::Kind::Replace : SearchBar::Kind::Find, &m_view);
        if (replace)
            QObject::connect(bar, &SearchBar::continueRequested, &m_view,
                             [this](int result) { ContinueReplace(result); });
        else
            QObject::connect(bar, &SearchBar::continueRequested, &m_view, [this] { ContinueFind(); });
    }
    bar->ShowAtTop();
}

void ViewSearch::CloseBars()
{
    for (QPointer<SearchBar> *bar : {&m_findBar, &m_replaceBar}) {
        if (*bar)
            (*bar)->close();
        *bar = nullptr;
    }
}

} // namespace orvel

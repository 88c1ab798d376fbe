#include "listview/OrvelView.h"

#include "document/OrvelDoc.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/DialCommand.h"
#include "listview/RecordCommands.h"
#include "listview/RecordStatusText.h"
#include "listview/ViewSearch.h"
#include "print/ui/FormPrintDialogs.h"
#include "print/ui/PrintPreviewWindow.h"
#include "print/ui/SessionPrinter.h"
#include "print/ui/TablePrintJob.h"
#include "resources/CommandIds.h"
#include "table/DataTable.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace orvel {

namespace {

// The list view's pop-up in the "Context" menu resource.
constexpr int kListContextMenu = 0;

// Hints about form objects alone: the record the status line names stays.
bool isFormObjectHint(Hint hint)
{
    return hint >= Hint::FormRepaint && hint <= Hint::OleFrames;
}

} // namespace

// What the form view and its designer ask of this view and its frame.
class COrvelView::FormHost final : public DesignerHost
{
public:
    explicit FormHost(COrvelView &view)
        : m_view(view)
    {}
    COLORREF CurrentLineColor() const override
    {
        return m_view.m_frame ? m_view.m_frame->CurrentLineColor() : kDefaultLineColor;
    }
    COLORREF CurrentFillColor() const override
    {
        return m_view.m_frame ? m_view.m_frame->CurrentFillColor() : kDefaultFillColor;
    }
    void SetCurrentLineColor(COLORREF color) override
    {
        if (m_view.m_frame)
            m_view.m_frame->SetCurrentLineColor(color);
    }
    void SetCurrentFillColor(COLORREF color) override
    {
        if (m_view.m_frame)
            m_view.m_frame->SetCurrentFillColor(color);
    }
    int CurrentRecord() const override { return m_view.m_currentRecord; }
    int CurrentField() const override { return m_view.m_currentField; }
    void SetCurrentField(int field) override { m_view.SetCurrentCell(m_view.m_currentRecord, field); }
    bool IsActiveView() const override { return m_view.m_active; }
    void ShowStatusText(const QString &text) override { m_view.showStatusText(text); }
    QMenu *BuildContextMenu(const QString &menu, int index) override
    {
        return m_view.m_frame ? m_view.m_frame->BuildContextMenu(menu, index) : nullptr;
    }
    void NotifyOtherViews(const UpdateHint &hint) override { m_view.UpdateOtherViews(hint); }
    int PictureFilterIndex() const override
    {
        return m_view.m_frame ? m_view.m_frame->GetFilterIndex(ViewFrame::FileDialog::Picture) : 1;
    }
    void SetPictureFilterIndex(int index) override
    {
        if (m_view.m_frame)
            m_view.m_frame->SetFilterIndex(ViewFrame::FileDialog::Picture, index);
    }

private:
    COrvelView &m_view;
};

COrvelView::COrvelView(COrvelDoc &doc, ViewFrame *frame, QWidget *parent, bool listMode)
    : QWidget(parent)
    , m_doc(doc)
    , m_frame(frame)
    , m_formHost(std::make_unique<FormHost>(*this))
    , m_search(std::make_unique<ViewSearch>(*this))
{
    m_listMode = listMode ? 1 : 0;
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    setFocusPolicy(Qt::StrongFocus);
    createBody();
    m_hintHandle = m_doc.AddHintListener([this](const UpdateHint &hint) { OnUpdate(hint); });
    // The child window tells when it becomes the active one; the focus frame
    // shows only in the active view.
    if (auto *child = qobject_cast<QMdiSubWindow *>(parent)) {
        connect(child, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
            const bool active = now.testFlag(Qt::WindowActive);
            if (active != before.testFlag(Qt::WindowActive))
                SetActive(active);
        });
    }
    registerCommands();
}

COrvelView::~COrvelView()
{
    m_search->CloseBars();
    m_doc.RemoveHintListener(m_hintHandle);
    if (m_frame)
        m_frame->UnregisterView(this);
}

CDataTable &COrvelView::GetTable() const
{
    return m_doc.GetTable();
}

void COrvelView::SetNewDocumentSource(std::function<COrvelDoc *()> source)
{
    m_search->SetNewDocumentSource(std::move(source));
}

// ---- body: grid or form ----

void COrvelView::createBody()
{
    const bool hadFocus = m_body && m_body->hasFocus();
    QWidget *old = m_body;
    m_grid = nullptr;
    m_formView = nullptr;
    if (m_listMode) {
        m_grid = new CListGrid(*this, m_doc, this);
        m_body = m_grid;
    } else {
        m_formView = new CFormView(m_doc, *m_formHost, this);
        m_formView->SetDesignMode(m_designMode);
        m_body = m_formView;
    }
    m_layout->addWidget(m_body);
    // The layout would show the new body only once the event loop runs;
    // keys that follow at once belong to it already.
    if (isVisible())
        m_body->show();
    setFocusProxy(m_body);
    delete old;
    if (hadFocus)
        m_body->setFocus();
}

void COrvelView::initialiseBody()
{
    if (m_grid) {
        m_grid->Initialise();
        m_grid->SetActive(m_active);
    } else if (m_formView) {
        m_formView->Initialise();
        if (m_active && !m_designMode)
            UpdateStatusText();
    }
}

void COrvelView::OnInitialUpdate()
{
    const CDataTable &table = m_doc.GetTable();
    const bool cells = table.GetRecordCount() > 0 && table.GetFieldCount() > 0;
    m_currentRecord = cells ? 0 : -1;
    m_currentField = cells ? 0 : -1;
    initialiseBody();
    if (m_frame && !m_initialised)
        m_frame->RegisterView(this);
    m_initialised = true;
    emit currentCellChanged(m_currentRecord, m_currentField);
}

void COrvelView::ToggleListMode()
{
    if (m_designMode)
        return;
    // The grid commits its edit and draws no focus frame while it goes.
    if (m_grid)
        m_grid->SetActive(false);
    m_listMode = m_listMode ? 0 : 1;
    createBody();
    if (m_initialised)
        initialiseBody();
    update();
}

void COrvelView::ToggleDesignMode()
{
    if (!m_designMode && m_listMode) {
        // Forms are designed in form mode: switch first.
        if (m_grid)
            m_grid->SetActive(false);
        m_listMode = 0;
        createBody();
        if (m_initialised)
            initialiseBody();
    }
    m_designMode = !m_designMode;
    // A search run does not go on while the form is being designed.
    if (m_designMode)
        m_search->CloseBars();
    if (m_formView)
        m_formView->SetDesignMode(m_designMode);
    if (m_frame && m_active)
        m_frame->SetDesignMenu(m_designMode);
    if (m_active) {
        if (m_designMode)
            showStatusText(QString());
        else
            UpdateStatusText();
    }
    update();
}

void COrvelView::SetActive(bool active)
{
    m_active = active;
    if (m_grid) {
        m_grid->SetActive(active);
        return;
    }
    if (m_formView) {
        // The selection's handles show only in the active view.
        m_formView->InvalidateAll();
        if (active && !m_designMode)
            UpdateStatusText();
    }
}

// ---- current cell and hints ----

void COrvelView::SetCurrentCell(int record, int field)
{
    if (record == m_currentRecord && field == m_currentField)
        return;
    m_currentRecord = record;
    m_currentField = field;
    emit currentCellChanged(record, field);
}

void COrvelView::clampCurrentCell()
{
    const CDataTable &table = m_doc.GetTable();
    const int records = table.GetRecordCount();
    const int fields = table.GetFieldCount();
    int record = m_currentRecord;
    int field = m_currentField;
    // Another view may have removed the records this one stood on, or added
    // the first ones.
    if (records == 0 || fields == 0)
        record = -1;
    else
        record = std::clamp(record, 0, records - 1);
    if (fields == 0)
        field = -1;
    else
        field = std::clamp(field, 0, fields - 1);
    SetCurrentCell(record, field);
}

void COrvelView::OnUpdate(const UpdateHint &hint)
{
    if (m_muted)
        return;
    CDataTable &table = m_doc.GetTable();
    // Searching needs two records at least: with fewer, the bars go.
    if (table.GetRecordCount() < 2)
        m_search->CloseBars();
    switch (hint.kind) {
    case Hint::FieldsChanged:
        // Records without fields hold nothing that could be shown or saved.
        if (table.GetFieldCount() == 0 && table.GetRecordCount() > 0)
            table.RemoveAllRecords();
        SetCurrentCell(m_currentRecord, 0);
        break;
    case Hint::Replaced:
        SetCurrentCell(0, 0);
        break;
    case Hint::InitialUpdate:
        OnInitialUpdate();
        return;
    case Hint::Closing:
        if (m_designMode) {
            m_designMode = false;
            if (m_formView)
                m_formView->SetDesignMode(false);
        }
        break;
    default:
        break;
    }
    if (isFormObjectHint(hint.kind)) {
        // Only the form shows its objects; nothing of the records changed.
        if (m_formView)
            m_formView->OnUpdate(hint);
        return;
    }
    clampCurrentCell();
    if (m_grid)
        m_grid->OnUpdate(hint);
    else if (m_formView && hint.kind != Hint::ListLayout)
        m_formView->OnUpdate(hint);
    if (m_formView && m_active && !m_designMode && hint.kind != Hint::CommitEdit)
        UpdateStatusText();
}

void COrvelView::UpdateOtherViews(const UpdateHint &hint)
{
    m_muted = true;
    const auto unmute = qScopeGuard([this] { m_muted = false; });
    m_doc.UpdateAllViews(hint);
}

void COrvelView::appendIfNeeded()
{
    int current = m_currentRecord;
    {
        // Moving past the last record adds one: a step like the command.
        const CDocumentStepScope step(m_doc.GetRecorder(), CDocumentRecorder::StepName(ID_RECORD_INSERT_AFTER));
        if (!AppendIfNeeded(m_doc.GetTable(), current))
            return;
        m_doc.SetModifiedFlag();
    }
    SetCurrentCell(current, 0);
    m_doc.UpdateAllViews(Hint::ShowCurrent);
}

void COrvelView::showStatusText(const QString &text)
{
    if (m_frame && m_active)
        m_frame->SetMessageText(text);
}

void COrvelView::UpdateStatusText()
{
    // Without a record the line says nothing of another window's records.
    showStatusText(RecordStatusText(m_doc.GetTable(), m_currentRecord));
}

void COrvelView::RelayoutAfterOptions()
{
    QResizeEvent resize(size(), size());
    QCoreApplication::sendEvent(this, &resize);
    // The grid font may have changed: measure and lay out again.
    if (m_grid)
        m_grid->Initialise();
    else if (m_formView)
        m_formView->Initialise();
    update();
}

// ---- commands ----

void COrvelView::moveInForm(int record)
{
    const CDataTable &table = m_doc.GetTable();
    if (record < 0 || record >= table.GetRecordCount())
        return;
    CommitEdit();
    SetCurrentCell(record, std::max(0, m_currentField));
    OnUpdate(Hint::ShowCurrent);
}

bool COrvelView::OnCmdMsg(int id, CCmdUI *ui)
{
    if (m_formView && m_formView->Designer().OnCmdMsg(id, ui))
        return true;
    return CCmdTarget::OnCmdMsg(id, ui);
}

void COrvelView::registerCommands()
{
    m_commandMap.On(
            ID_VIEW_LIST_FORM, [this] { ToggleListMode(); },
            [this](CCmdUI &ui) {
                ui.Enable(!m_designMode);
                ui.SetText(m_listMode ? QStringLiteral("&Formularansicht") : QStringLiteral("&Listenansicht"));
            });
    m_commandMap.On(
            ID_VIEW_FORM_DESIGN, [this] { ToggleDesignMode(); },
            [this](CCmdUI &ui) {
                ui.Enable(true);
                ui.SetCheck(m_designMode);
            });
    // The printout is the table, whatever the view shows; an open edit is
    // stored first.
    m_commandMap.On(ID_FILE_PRINT, [this] {
        m_doc.UpdateAllViews(Hint::CommitEdit);
        SessionPrinter &printer = SessionPrinter::Instance();
        printer.ApplyPaperSettings(m_doc.GetPageSettings());
        PrintTable(this, m_doc, printer.Printer());
    });
    m_commandMap.On(ID_FILE_PRINT_PREVIEW, [this] {
        m_doc.UpdateAllViews(Hint::CommitEdit);
        SessionPrinter &printer = SessionPrinter::Instance();
        printer.ApplyPaperSettings(m_doc.GetPageSettings());
        PreviewTable(this, m_doc, printer.Printer());
    });
    RegisterFormPrintCommands(
            m_commandMap, this, m_doc, [this] { return m_currentRecord; },
            [this] { m_doc.UpdateAllViews(Hint::CommitEdit); });
    registerNavigation();
    RegisterRecordCommands(*this, m_commandMap);
    RegisterDialCommand(*this, m_commandMap);
    m_search->RegisterCommands(m_commandMap);
}

void COrvelView::registerNavigation()
{
    const auto backwards = [this](CCmdUI &ui) { ui.Enable(m_currentRecord > 0 && !m_designMode); };
    const auto forwards = [this](CCmdUI &ui) {
        ui.Enable(m_currentRecord >= 0 && m_currentRecord < m_doc.GetTable().GetRecordCount() - 1 && !m_designMode);
    };
    m_commandMap.On(
            ID_RECORD_FIRST, [this] { m_grid ? m_grid->First() : moveInForm(0); }, backwards);
    m_commandMap.On(
            ID_RECORD_PREV, [this] { m_grid ? m_grid->LineUp() : moveInForm(m_currentRecord - 1); }, backwards);
    m_commandMap.On(
            ID_RECORD_NEXT, [this] { m_grid ? m_grid->LineDown() : moveInForm(m_currentRecord + 1); }, forwards);
    m_commandMap.On(
            ID_RECORD_LAST, [this] { m_grid ? m_grid->Last() : moveInForm(m_doc.GetTable().GetRecordCount() - 1); },
            forwards);

    // The keys of the list. In the form they belong to the window that has
    // the focus, so the commands stay enabled but do nothing there.
    const auto inList = [this](void (CListGrid::*step)()) {
        return [this, step] {
            if (m_grid)
                (m_grid->*step)();
        };
    };
    m_commandMap.On(ID_LINE_DOWN, inList(&CListGrid::LineDown));
    m_commandMap.On(ID_LINE_UP, inList(&CListGrid::LineUp));
    m_commandMap.On(ID_MOVE_DOWN, inList(&CListGrid::LineDown));
    m_commandMap.On(ID_MOVE_UP, inList(&CListGrid::LineUp));
    m_commandMap.On(ID_PAGE_DOWN, inList(&CListGrid::PageDown));
    m_commandMap.On(ID_PAGE_UP, inList(&CListGrid::PageUp));
    m_commandMap.On(ID_CELL_EDIT, inList(&CListGrid::Enter));
    m_commandMap.On(ID_NEXT_FIELD, inList(&CListGrid::NextField));
    m_commandMap.On(ID_PREV_FIELD, inList(&CListGrid::PreviousField));
    m_commandMap.On(ID_CANCEL_ACTION, [] {});
}

void COrvelView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (!m_frame)
        return;
    // The child window is activated first, so that the commands go here.
    if (auto *child = qobject_cast<QMdiSubWindow *>(parentWidget()); child && child->mdiArea())
        child->mdiArea()->setActiveSubWindow(child);
    // The form view chooses its own menus by the object under the mouse.
    if (!m_listMode)
        return;
    QMenu *menu = m_frame->BuildContextMenu(QStringLiteral("Context"), kListContextMenu);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("ListView"));
    menu->popup(event->globalPos());
}

} // namespace orvel

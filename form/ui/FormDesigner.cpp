#include "form/ui/FormDesigner.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/DrawObj.h"
#include "form/DrawPicture.h"
#include "form/DrawPoly.h"
#include "form/DrawText.h"
#include "form/FormObjects.h"
#include "form/ui/DataFieldControl.h"
#include "form/ui/DataFieldSheet.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/DesignerTools.h"
#include "form/ui/EmbeddedObjectCommands.h"
#include "form/ui/FormLock.h"
#include "form/ui/FormView.h"
#include "form/ui/LinkCommands.h"
#include "form/ui/MemoCommands.h"
#include "form/ui/ObjectPropertySheets.h"
#include "form/ui/PictureCommands.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "platform/gfx/PainterGdi.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace orvel {

namespace {

// The "OrvelForm" stream on the clipboard.
const QString kFormMimeType = QStringLiteral("application/x-orvel-form");

constexpr int kFormSize = CFormObjects::kFormWidth;
bool g_showOleFrames = false;

// The designer's changes are undo steps that keep the form before and
// after.
class FormStep
{
public:
    FormStep(COrvelDoc &doc, const QString &name)
        : m_scope(doc.GetRecorder(), name, 0, true)
    {}

private:
    CDocumentStepScope m_scope;
};

QString stepName(int commandId)
{
    return CDocumentRecorder::StepName(commandId);
}

int32_t clampToForm(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, 0, kFormSize));
}

// A device context for measuring text when nothing is being painted.
class MeasuringDC
{
public:
    MeasuringDC()
        : m_image(1, 1, QImage::Format_ARGB32_Premultiplied)
        , m_painter(&m_image)
        , m_dc(m_painter)
    {}
    CDC &dc() { return m_dc; }

private:
    QImage m_image;
    QPainter m_painter;
    CPainterDC m_dc;
};

} // namespace

CFormDesigner::ToolState &CFormDesigner::Tools()
{
    static ToolState state;
    return state;
}

bool CFormDesigner::ShowOleFrames()
{
    return g_showOleFrames;
}

CFormDesigner::CFormDesigner(COrvelDoc &doc, CFormView &view, DesignerHost &host)
    : m_doc(doc)
    , m_view(view)
    , m_host(host)
{
    registerCommands();
}

CFormDesigner::~CFormDesigner()
{
    endGesture();
    ToolState &state = Tools();
    if (state.polygonOwner == this) {
        state.polygon = nullptr;
        state.polygonOwner = nullptr;
        state.captured = false;
        state.currentTool = Tool::Select;
    }
}

CFormObjects &CFormDesigner::GetForm() const
{
    return m_doc.GetForm();
}

DesignerTool &CFormDesigner::currentTool() const
{
    return DesignerTool::For(Tools().currentTool);
}

void CFormDesigner::SetDesignMode(bool design)
{
    if (design == m_designMode)
        return;
    Cancel();
    ClearSelection();
    destroyEditor();
    m_designMode = design;
    m_view.InvalidateAll();
}

// ---- selection ----

bool CFormDesigner::IsSelected(const CDrawObj *object) const
{
    return std::find(m_selection.begin(), m_selection.end(), object) != m_selection.end();
}

void CFormDesigner::Select(CDrawObj *object, bool add)
{
    if (!add)
        ClearSelection();
    if (object == nullptr || IsSelected(object))
        return;
    m_selection.push_back(object);
    InvalObj(object);
    if (!m_designMode)
        createEditor(object);
}

void CFormDesigner::createEditor(CDrawObj *object)
{
    destroyEditor();
    auto *field = dynamic_cast<CDrawEdit *>(object);
    if (field != nullptr) {
        m_editor = DataFieldControl::Create(*field, *this);
        rememberEditOrigin();
    }
    if (!m_editor)
        m_view.setFocus();
}

void CFormDesigner::rememberEditOrigin()
{
    m_editRecord = -1;
    if (!m_editor || m_editor->Id() != DataFieldControl::kEditId)
        return;
    m_editRecord = m_host.CurrentRecord();
    m_editOrigin = m_doc.GetFieldValueState(m_editRecord, m_editor->Field().fieldIndex);
    m_editStep = CDocumentRecorder::NewMergeKey();
}

void CFormDesigner::destroyEditor()
{
    if (!m_editor)
        return;
    // The focus may lie in the control or in a part of it; it goes back to
    // the form rather than staying with a hidden widget.
    const QWidget *control = m_editor->Widget();
    const QWidget *focus = QApplication::focusWidget();
    const bool hadFocus = focus != nullptr && (focus == control || control->isAncestorOf(focus));
    m_editor.reset();
    m_editRecord = -1;
    if (hadFocus)
        m_view.setFocus();
}

void CFormDesigner::SelectCurrentField()
{
    if (m_designMode)
        return;
    CDrawEdit *field = GetForm().FindDataField(m_host.CurrentField());
    if (field == nullptr) {
        ClearSelection();
        return;
    }
    if (IsSelected(field) && m_selection.size() == 1) {
        // The same field on another record: its control stays and shows the
        // new value.
        if (m_editor && &m_editor->Field() == field) {
            m_editor->Refresh();
            rememberEditOrigin();
        } else {
            createEditor(field);
        }
        return;
    }
    Select(field);
    ScrollToObject(field);
}

void CFormDesigner::OnEditorChanged()
{
    if (!m_editor || m_editor->Id() != DataFieldControl::kEditId)
        return;
    CDataTable &table = m_doc.GetTable();
    if (table.GetRecordCount() == 0)
        return;
    const int field = m_editor->Field().fieldIndex;
    const int record = m_host.CurrentRecord();
    m_host.SetCurrentField(field);
    const CDocumentStepScope step(m_doc.GetRecorder(), LoadQString(ids::kUndoStepTyping), m_editStep);
    if (m_doc.SetFieldText(record, field, m_editor->Text()))
        m_host.NotifyOtherViews({Hint::RecordChanged, record, field});
}

void CFormDesigner::OnEditorCancelled()
{
    if (!m_editor || m_editRecord < 0)
        return;
    const int field = m_editor->Field().fieldIndex;
    const CDocumentStepScope step(m_doc.GetRecorder(), LoadQString(ids::kUndoStepTyping), m_editStep);
    if (m_doc.RestoreFieldValue(m_editRecord, field, m_editOrigin))
        m_host.NotifyOtherViews({Hint::RecordChanged, m_editRecord, field});
    m_editor->Refresh();
}

void CFormDesigner::SelectWithinRect(const QRect &client, bool add)
{
    if (!add)
        ClearSelection();
    const QPoint topLeft = client.topLeft();
    const POINT from = ClientToForm(topLeft);
    const RECT formRect{from.x, from.y, from.x + client.width(), from.y + client.height()};
    for (const auto &object : GetForm().GetObjects()) {
        if (object->Intersects(formRect))
            Select(object.get(), true);
    }
}

void CFormDesigner::Deselect(CDrawObj *object)
{
    const auto it = std::find(m_selection.begin(), m_selection.end(), object);
    if (it == m_selection.end())
        return;
    InvalObj(object);
    m_selection.erase(it);
    if (m_editor && &m_editor->Field() == object)
        destroyEditor();
}

void CFormDesigner::SelectAll()
{
    for (const auto &object : GetForm().GetObjects())
        Select(object.get(), true);
}

void CFormDesigner::ClearSelection()
{
    for (const CDrawObj *object : m_selection)
        InvalObj(object);
    m_selection.clear();
    destroyEditor();
}

bool CFormDesigner::selectedSingle(const CDrawObj **object) const
{
    if (m_selection.size() != 1)
        return false;
    if (object != nullptr)
        *object = m_selection.front();
    return true;
}

void CFormDesigner::InvalObj(const CDrawObj *object)
{
    QRect area = FormToClient(object->GetNormalizedPosition());
    // Wide pens reach beyond the rectangle (a line's may be empty).
    const int pen = std::clamp(object->pen.lopnWidth.x, 0, 4096) / 2 + 1;
    area.adjust(-pen, -pen, pen, pen);
    if (m_host.IsActiveView() && IsSelected(object))
        area.adjust(-4, -5, 5, 4);
    area.adjust(-1, -1, 1, 1);
    m_view.InvalidateClient(area);
}

void CFormDesigner::ScrollToObject(const CDrawObj *object)
{
    const RECT r = object->GetNormalizedPosition();
    const QSize client = m_view.ClientSize();
    QPoint scroll = m_view.ScrollPosition();
    if (r.bottom > scroll.y() + client.height())
        scroll.setY(r.bottom - client.height() + 10);
    if (r.right > scroll.x() + client.width())
        scroll.setX(r.right - client.width() + 10);
    if (r.top < scroll.y())
        scroll.setY(r.top - 10);
    if (r.left < scroll.x())
        scroll.setX(r.left - 10);
    if (client.height() >= r.bottom)
        scroll.setY(0);
    if (client.width() >= r.right)
        scroll.setX(0);
    m_view.ScrollTo(scroll);
}

RECT CFormDesigner::SelectionBounds() const
{
    if (m_selection.empty())
        return RECT{};
    RECT bounds = m_selection.front()->GetNormalizedPosition();
    for (const CDrawObj *object : m_selection) {
        const RECT r = object->GetNormalizedPosition();
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    return bounds;
}

// ---- coordinates and feedback ----

POINT CFormDesigner::ClientToForm(QPoint point) const
{
    const QPoint scroll = m_view.ScrollPosition();
    return POINT{point.x() + scroll.x(), point.y() + scroll.y()};
}

QRect CFormDesigner::FormToClient(const RECT &rect) const
{
    RECT r = rect;
    NormalizeRect(r);
    const QPoint scroll = m_view.ScrollPosition();
    OffsetRect(r, -scroll.x(), -scroll.y());
    return RectToQRect(r);
}

CDrawObj *CFormDesigner::ObjectAtClient(QPoint point) const
{
    const POINT p = ClientToForm(point);
    return GetForm().ObjectAt(QPoint(p.x, p.y));
}

void CFormDesigner::ShowPosition(const RECT &rect)
{
    m_host.ShowStatusText(
            QStringLiteral("(%1, %2) - (%3, %4)").arg(rect.left).arg(rect.top).arg(rect.right).arg(rect.bottom));
}

void CFormDesigner::SetCursorShape(HandleCursor cursor)
{
    m_view.SetHandleCursor(cursor);
}

void CFormDesigner::SetCrossCursor()
{
    m_view.SetCursorShape(Qt::CrossCursor);
}

void CFormDesigner::SetPencilCursor()
{
    m_view.SetPencilCursor();
}

DrawColors CFormDesigner::CurrentColors() const
{
    return DrawColors{m_host.CurrentLineColor(), m_host.CurrentFillColor()};
}

void CFormDesigner::DragSelection(POINT to, unsigned flags)
{
    ToolState &state = Tools();
    CFormObjects &form = GetForm();
    int64_t dx = int64_t(to.x) - state.lastFormPoint.x;
    int64_t dy = int64_t(to.y) - state.lastFormPoint.y;
    for (CDrawObj *object : m_selection) {
        if (state.selectMode == SelectMode::Move) {
            // Each object limits the offset that it and the objects after it
            // use, so that nothing leaves the form.
            const RECT r = object->GetNormalizedPosition();
            dx = std::clamp<int64_t>(dx, -int64_t(r.left), int64_t(kFormSize) - r.right);
            dy = std::clamp<int64_t>(dy, -int64_t(r.top), int64_t(kFormSize) - r.bottom);
            RECT moved = object->position;
            OffsetRect(moved, int(dx), int(dy));
            form.MoveObject(object, moved);
        } else if (state.selectMode == SelectMode::Size) {
            const POINT limited{clampToForm(to.x), clampToForm(to.y)};
            form.MoveObjectHandle(object, state.dragHandle, limited, flags);
        }
    }
    state.lastFormPoint = to;
}

void CFormDesigner::EndPolygon(bool dropLast, bool closedOnFirstPoint)
{
    ToolState &state = Tools();
    CDrawPoly *polygon = state.polygonOwner == this ? state.polygon : nullptr;
    state.polygon = nullptr;
    state.polygonOwner = nullptr;
    state.captured = false;
    state.currentTool = Tool::Select;
    if (polygon == nullptr) {
        endGesture();
        return;
    }
    if (dropLast)
        polygon->RemoveLastPoint();
    if (closedOnFirstPoint && polygon->GetPointCount() <= 1) {
        Deselect(polygon);
        GetForm().Remove(polygon);
        endGesture();
        return;
    }
    InvalObj(polygon);
    endGesture();
}

void CFormDesigner::beginGesture()
{
    if (m_gesture)
        return;
    m_gesture = true;
    m_doc.GetRecorder().Begin(LoadQString(ids::kUndoStepMove), 0, true);
}

void CFormDesigner::nameGesture(unsigned flags)
{
    if (!m_gesture)
        return;
    const ToolState &state = Tools();
    QString name;
    switch (state.currentTool) {
    case Tool::Line:
        name = stepName(ID_TOOL_LINE);
        break;
    case Tool::Rectangle:
        name = stepName(ID_TOOL_RECT);
        break;
    case Tool::RoundRectangle:
        name = stepName(ID_TOOL_ROUND_RECT);
        break;
    case Tool::Ellipse:
        name = stepName(ID_TOOL_ELLIPSE);
        break;
    case Tool::Polygon:
        name = stepName(ID_TOOL_POLYGON);
        break;
    default:
        if (state.selectMode == SelectMode::Size)
            name = LoadQString(ids::kUndoStepResize);
        else if (state.selectMode == SelectMode::Move && (flags & kMouseControl))
            name = LoadQString(ids::kUndoStepDuplicate);
        else
            name = LoadQString(ids::kUndoStepMove);
        break;
    }
    m_doc.GetRecorder().SetStepName(name);
}

void CFormDesigner::endGesture()
{
    if (!m_gesture)
        return;
    m_gesture = false;
    m_doc.GetRecorder().End();
}

// ---- input ----

void CFormDesigner::OnButtonDown(QPoint point, unsigned flags)
{
    // A press in design mode starts what may change the form until the
    // release (a drag, a new shape) or the polygon's end: one step.
    if (m_designMode)
        beginGesture();
    currentTool().OnButtonDown(*this, point, flags);
    nameGesture(flags);
}

void CFormDesigner::OnDoubleClick(QPoint point, unsigned flags)
{
    currentTool().OnDoubleClick(*this, point, flags);
}

void CFormDesigner::OnButtonUp(QPoint point, unsigned flags)
{
    currentTool().OnButtonUp(*this, point, flags);
    const ToolState &state = Tools();
    if (state.polygon == nullptr || state.polygonOwner != this)
        endGesture();
}

void CFormDesigner::OnMouseMove(QPoint point, unsigned flags)
{
    currentTool().OnMouseMove(*this, point, flags);
}

bool CFormDesigner::OnKey(QKeyEvent *event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!m_designMode)
            return false;
        MoveSelection(event->key() == Qt::Key_Left ? -1 : 1, 0);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!m_designMode) {
            if (!control)
                return false;
            // In data mode Ctrl+Up and Ctrl+Down walk the data fields.
            SelectNext(event->key() == Qt::Key_Down);
            return true;
        }
        MoveSelection(0, event->key() == Qt::Key_Up ? -1 : 1);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (control)
            return false;
        SelectNext(!(shift || event->key() == Qt::Key_Backtab));
        return true;
    case Qt::Key_Delete:
        if (!m_designMode)
            return false;
        DeleteSelection();
        return true;
    case Qt::Key_Escape:
        Cancel();
        return true;
    default:
        return false;
    }
}

void CFormDesigner::OnContextMenu(QPoint client, QPoint global)
{
    CDrawObj *object = ObjectAtClient(client);
    if (object != nullptr && !IsSelected(object))
        Select(object);
    int index = m_designMode ? 7 : 0; // "DesignNoObj" / "DataNoObj"
    if (object != nullptr)
        index = object->GetMenuIndex(&m_doc.GetTable());
    QMenu *menu =
            m_host.BuildContextMenu(m_designMode ? QStringLiteral("Context") : QStringLiteral("DataContext"), index);
    if (menu == nullptr)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("FormView"));
    menu->popup(global);
}

void CFormDesigner::OnUpdate(const UpdateHint &hint)
{
    switch (hint.kind) {
    case Hint::ObjectRepaint:
        if (hint.object != nullptr)
            InvalObj(hint.object);
        break;
    case Hint::SelectionRepaint: {
        const std::vector<CDrawObj *> &objects = hint.objects != nullptr ? *hint.objects : m_selection;
        for (const CDrawObj *object : objects)
            InvalObj(object);
        break;
    }
    case Hint::ObjectsRemoved:
        if (hint.objects != nullptr) {
            for (CDrawObj *object : *hint.objects) {
                Deselect(object);
                ToolState &state = Tools();
                if (state.polygon == object) {
                    state.polygon = nullptr;
                    state.polygonOwner = nullptr;
                }
            }
        }
        break;
    case Hint::RecordChanged: {
        // Another view changed a value: the field shows it, and so does the
        // control over it.
        const CDrawEdit *field = GetForm().FindDataField(hint.field);
        if (field != nullptr)
            InvalObj(field);
        else
            m_view.InvalidateAll();
        if (m_editor && hint.record == m_host.CurrentRecord()
            && (hint.field < 0 || hint.field == m_editor->Field().fieldIndex))
            m_editor->Refresh();
        break;
    }
    case Hint::CommitEdit:
        // Every keystroke is in the record already; the field the edit was
        // in is the current one. The control itself stays: a move to another
        // record shows that record's value in it (hint 8).
        if (m_editor)
            m_host.SetCurrentField(m_editor->Field().fieldIndex);
        break;
    case Hint::Found:
    case Hint::ShowCurrent:
        m_view.InvalidateAll();
        SelectCurrentField();
        break;
    case Hint::Closing:
        break;
    default:
        // The records or the fields changed: everything is drawn again, and
        // the control shows the current record or goes with its field.
        m_view.InvalidateAll();
        if (m_editor) {
            if (m_editor->Field().fieldIndex < m_doc.GetTable().GetFieldCount()
                && m_doc.GetTable().GetRecord(m_host.CurrentRecord()) != nullptr)
                m_editor->Refresh();
            else
                destroyEditor();
        }
        break;
    }
}

// ---- commands ----

void CFormDesigner::SetTool(Tool tool)
{
    Cancel();
    Tools().currentTool = tool;
}

void CFormDesigner::MoveSelection(int dx, int dy)
{
    if (IsFormLocked(m_doc))
        return;
    const FormStep step(m_doc, LoadQString(ids::kUndoStepMove));
    CFormObjects &form = GetForm();
    for (CDrawObj *object : m_selection) {
        RECT moved = object->position;
        OffsetRect(moved, dx, dy);
        form.MoveObject(object, moved);
    }
}

void CFormDesigner::SelectNext(bool forward)
{
    if (m_selection.size() != 1)
        return;
    CFormObjects &form = GetForm();
    const auto &objects = form.GetObjects();
    const int count = int(objects.size());
    const int start = form.IndexOf(m_selection.front());
    if (start < 0 || count == 0)
        return;
    Deselect(m_selection.front());
    // Around the list, in design mode to any object, in data mode to the
    // next data field.
    for (int step = 1; step <= count; ++step) {
        const int index = ((forward ? start + step : start - step) % count + count) % count;
        CDrawObj *candidate = objects[std::size_t(index)].get();
        if (!m_designMode && dynamic_cast<CDrawEdit *>(candidate) == nullptr)
            continue;
        Select(candidate);
        ScrollToObject(candidate);
        if (auto *field = dynamic_cast<CDrawEdit *>(candidate); field && !m_designMode)
            m_host.SetCurrentField(field->fieldIndex);
        return;
    }
}

void CFormDesigner::Reorder(int command)
{
    if (m_selection.empty())
        return;
    CFormObjects::ZOrder order = CFormObjects::ZOrder::ToFront;
    switch (command) {
    case ID_OBJECT_TO_BACK:
        order = CFormObjects::ZOrder::ToBack;
        break;
    case ID_OBJECT_FORWARD:
        order = CFormObjects::ZOrder::Forward;
        break;
    case ID_OBJECT_BACKWARD:
        order = CFormObjects::ZOrder::Backward;
        break;
    default:
        break;
    }
    const FormStep step(m_doc, stepName(command));
    GetForm().Reorder(m_selection.front(), order);
}

void CFormDesigner::ApplyLineColor(COLORREF color)
{
    const FormStep step(m_doc, stepName(ID_OBJECT_LINE_COLOR));
    for (CDrawObj *object : m_selection)
        GetForm().SetLineColor(object, color);
}

void CFormDesigner::ApplyFillColor(COLORREF color)
{
    const FormStep step(m_doc, stepName(ID_OBJECT_FILL_COLOR));
    for (CDrawObj *object : m_selection)
        GetForm().SetFillColor(object, color);
}

void CFormDesigner::AlignToGrid()
{
    const FormStep step(m_doc, stepName(ID_ALIGN_TO_GRID));
    if (m_selection.empty())
        SelectAll();
    for (CDrawObj *object : m_selection) {
        RECT r = object->position;
        // Left and top go down to a multiple of 5 (towards zero); the
        // height stays; the right edge moves with the left one and then
        // goes down to a multiple of 5 itself.
        const int32_t left = r.left / 5 * 5;
        const int32_t top = r.top / 5 * 5;
        const int64_t dx = int64_t(left) - r.left;
        const int64_t dy = int64_t(top) - r.top;
        const auto clamp = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
        r.left = left;
        r.top = top;
        r.bottom = clamp(r.bottom + dy);
        r.right = clamp(r.right + dx) / 5 * 5;
        GetForm().MoveObject(object, r);
    }
}

void CFormDesigner::FitSelectedText()
{
    const CDrawObj *single = nullptr;
    if (!selectedSingle(&single))
        return;
    auto *text = dynamic_cast<CDrawText *>(const_cast<CDrawObj *>(single));
    if (text == nullptr)
        return;
    const FormStep step(m_doc, stepName(ID_TEXT_FIT));
    InvalObj(text);
    MeasuringDC measuring;
    GetForm().MoveObject(text, text->FittedPosition(measuring.dc()));
    InvalObj(text);
}

void CFormDesigner::ToggleGuideDots()
{
    m_showGuideDots = !m_showGuideDots;
    m_view.InvalidateAll();
}

void CFormDesigner::ToggleOleFrames()
{
    g_showOleFrames = !g_showOleFrames;
    m_doc.UpdateAllViews(Hint::OleFrames);
}

void CFormDesigner::Cancel()
{
    ToolState &state = Tools();
    currentTool().OnCancel(*this);
    endGesture();
    if (state.selectMode == SelectMode::Net)
        m_view.SetNetRect(QRect());
    state.captured = false;
    state.selectMode = SelectMode::None;
    state.currentTool = Tool::Select;
}

void CFormDesigner::InsertText()
{
    const POINT from = ClientToForm(QPoint(kDefaultClientRect.left, kDefaultClientRect.top));
    const POINT to = ClientToForm(QPoint(kDefaultClientRect.right, kDefaultClientRect.bottom));
    const FormStep step(m_doc, stepName(ID_TOOL_TEXT));
    // A text that is cancelled leaves the document as it was.
    const bool documentWasModified = m_doc.IsModified();
    const bool formWasModified = GetForm().IsModified();
    auto text = std::make_unique<CDrawText>(RECT{from.x, from.y, to.x, to.y}, CurrentColors());
    CDrawObj *added = GetForm().Add(std::move(text));
    Select(added);
    ScrollToObject(added);
    // The new text is written in its sheet; cancelled, it goes again.
    if (!EditObjectProperties(&m_view, GetForm(), *added, m_host)) {
        ClearSelection();
        GetForm().Remove(added);
        GetForm().SetModified(formWasModified);
        m_doc.SetModifiedFlag(documentWasModified);
        m_doc.UpdateAllViews(Hint::FormRepaint);
        return;
    }
    FitSelectedText();
}

void CFormDesigner::InsertDataField()
{
    const FormStep step(m_doc, stepName(ID_TOOL_DATA_FIELD));
    CDrawEdit *field = InsertDataFieldWithSheet(&m_view, m_doc, CurrentColors());
    if (field == nullptr)
        return;
    Select(field);
    ScrollToObject(field);
}

bool CFormDesigner::CanEditProperties() const
{
    const CDrawObj *single = nullptr;
    return selectedSingle(&single) && Tools().currentTool == Tool::Select;
}

void CFormDesigner::EditProperties()
{
    if (!CanEditProperties())
        return;
    CDrawObj *object = m_selection.front();
    const bool linkValue = !m_designMode && dynamic_cast<CDrawEdit *>(object) != nullptr;
    const FormStep step(m_doc, stepName(linkValue ? ID_FIELD_CHANGE_LINK : ID_OBJECT_PROPERTIES));
    if (auto *field = dynamic_cast<CDrawEdit *>(object)) {
        // In data mode a data field has no sheet of its own; a link field
        // edits its link, an OLE field shows the sheet of its document.
        if (m_designMode)
            EditDataFieldProperties(&m_view, m_doc, *field);
        else if (SelectedLinkField(*this) == field)
            ChangeLink(*this);
        else if (SelectedOleField(*this) == field)
            ShowOleValueProperties(*this);
        return;
    }
    // In data mode only pictures show their sheet.
    if (m_designMode || dynamic_cast<CDrawPicture *>(object) != nullptr)
        EditObjectProperties(&m_view, GetForm(), *object, m_host);
}

bool CFormDesigner::CopySelection()
{
    if (m_selection.empty())
        return false;
    auto *data = new QMimeData;
    data->setData(kFormMimeType, GetForm().StoreObjects(m_selection));
    QApplication::clipboard()->setMimeData(data);
    return true;
}

void CFormDesigner::CutSelection()
{
    const FormStep step(m_doc, stepName(ID_EDIT_CUT));
    if (CopySelection())
        DeleteSelection();
}

bool CFormDesigner::CanPaste() const
{
    return m_view.ClipboardHasForm() || m_view.ClipboardHasEmbeddable();
}

bool CFormDesigner::Paste()
{
    const FormStep step(m_doc, stepName(ID_EDIT_PASTE));
    const QMimeData *data = QApplication::clipboard()->mimeData();
    if (data != nullptr && !data->hasFormat(kFormMimeType) && CanEmbedMimeData(data)) {
        // Files and pictures from elsewhere become embedded documents.
        const RECT client = kDefaultClientRect;
        return EmbedMimeData(*this, data, ClientToForm(QPoint(client.left, client.top)));
    }
    if (data == nullptr || !data->hasFormat(kFormMimeType))
        return false;
    std::vector<std::unique_ptr<CDrawObj>> objects;
    try {
        objects = GetForm().LoadObjects(data->data(kFormMimeType));
    } catch (const ArchiveException &) {
        // Bytes from elsewhere under our format's name: nothing of them.
        MessageBoxById(ids::kMsgFormClipboardDamaged, MsgIcon::Exclamation);
        return false;
    }
    ClearSelection();
    std::vector<CDrawObj *> pasted;
    for (std::unique_ptr<CDrawObj> &object : objects) {
        // A data field belongs to its table field: it is not pasted.
        if (dynamic_cast<CDrawEdit *>(object.get()) != nullptr)
            continue;
        pasted.push_back(GetForm().Add(std::move(object)));
    }
    for (CDrawObj *object : pasted)
        Select(object, true);
    m_doc.SetModifiedFlag();
    m_doc.UpdateAllViews(UpdateHint::ForObjects(Hint::SelectionRepaint, &pasted));
    return true;
}

void CFormDesigner::DeleteSelection()
{
    const FormStep step(m_doc, stepName(ID_EDIT_CLEAR));
    const std::vector<CDrawObj *> doomed = m_selection;
    ClearSelection();
    for (CDrawObj *object : doomed) {
        if (GetForm().IndexOf(object) < 0)
            continue; // went with a field deleted before it
        if (auto *field = dynamic_cast<CDrawEdit *>(object)) {
            const QString name = AnsiToQString(m_doc.GetTable().GetFieldName(field->fieldIndex));
            if (MessageBoxById(ids::kMsgConfirmDeleteDataField, MsgIcon::Question, MsgButtons::YesNoCancel, {name})
                == MsgResult::Yes)
                m_doc.DeleteFieldWithDataFields(field->fieldIndex);
            continue;
        }
        GetForm().Remove(object);
    }
}

bool CFormDesigner::OnCmdMsg(int id, CCmdUI *ui)
{
    // In data mode the record commands that share these ids belong to the
    // view.
    static const int dataModeIds[] = {ID_EDIT_COPY,       ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_CLEAR,
                                      ID_EDIT_SELECT_ALL, ID_LINE_UP,  ID_LINE_DOWN};
    if (!m_designMode && std::find(std::begin(dataModeIds), std::end(dataModeIds), id) != std::end(dataModeIds))
        return false;
    return CCmdTarget::OnCmdMsg(id, ui);
}

bool CFormDesigner::RunCommand(int id)
{
    CCmdUI state(id);
    if (!CCmdTarget::OnCmdMsg(id, &state) || !state.IsEnabled())
        return false;
    // The buttons and double clicks of data fields change values as their
    // menu commands do.
    QString name;
    switch (id) {
    case kChangePicture:
        name = stepName(ID_FIELD_NEW_PICTURE);
        break;
    case kOpenMemo:
        name = stepName(ID_FIELD_EDIT_MEMO);
        break;
    case kOpenObjectValue:
    case ID_OLE_VERB_EDIT:
        name = LoadQString(ids::kUndoStepObjectValue);
        break;
    default:
        name = stepName(id);
        break;
    }
    const FormStep step(m_doc, name);
    return CCmdTarget::OnCmdMsg(id, nullptr);
}

void CFormDesigner::registerCommands()
{
    CommandMap &map = m_commandMap;
    const auto design = [this](CCmdUI &ui) { ui.Enable(m_designMode); };
    const auto withSelection = [this](CCmdUI &ui) { ui.Enable(m_designMode && !m_selection.empty()); };

    const std::pair<int, Tool> tools[] = {{ID_TOOL_SELECT, Tool::Select},   {ID_TOOL_LINE, Tool::Line},
                                          {ID_TOOL_RECT, Tool::Rectangle},  {ID_TOOL_ROUND_RECT, Tool::RoundRectangle},
                                          {ID_TOOL_ELLIPSE, Tool::Ellipse}, {ID_TOOL_POLYGON, Tool::Polygon}};
    for (const auto &[id, tool] : tools) {
        map.On(
                id, [this, tool = tool] { SetTool(tool); },
                [this, tool = tool](CCmdUI &ui) {
                    ui.Enable(m_designMode);
                    ui.SetCheck(m_designMode && Tools().currentTool == tool);
                });
    }
    map.On(
            ID_TOOL_TEXT, [this] { InsertText(); }, design);
    map.On(
            ID_TOOL_DATA_FIELD, [this] { InsertDataField(); }, design);
    RegisterEmbeddedObjectCommands(*this, map);
    RegisterPictureCommands(*this, map);
    RegisterMemoCommands(*this, map);
    RegisterFormLockCommand(*this, map);

    for (const int id : {ID_OBJECT_TO_FRONT, ID_OBJECT_TO_BACK, ID_OBJECT_FORWARD, ID_OBJECT_BACKWARD})
        map.On(
                id, [this, id] { Reorder(id); }, withSelection);
    map.On(
            ID_OBJECT_LINE_COLOR,
            [this] {
                // The dialog starts on black, whatever is selected.
                if (const auto chosen = services().chooseColor(0x000000))
                    ApplyLineColor(*chosen);
            },
            withSelection);
    map.On(
            ID_OBJECT_FILL_COLOR,
            [this] {
                if (const auto chosen = services().chooseColor(0x000000))
                    ApplyFillColor(*chosen);
            },
            withSelection);
    map.On(
            kApplyLineColor, [this] { ApplyLineColor(m_host.CurrentLineColor()); }, design);
    map.On(
            kApplyFillColor, [this] { ApplyFillColor(m_host.CurrentFillColor()); }, design);
    map.On(
            ID_ALIGN_TO_GRID, [this] { AlignToGrid(); }, design);
    // Ctrl+Up and Ctrl+Down move the selection; in data mode they walk the
    // data fields as Shift+Tab and Tab do.
    map.On(ID_MOVE_UP, [this] { m_designMode ? MoveSelection(0, -1) : SelectNext(false); });
    map.On(ID_MOVE_DOWN, [this] { m_designMode ? MoveSelection(0, 1) : SelectNext(true); });
    map.On(
            ID_LINE_UP, [this] { MoveSelection(0, -1); }, design);
    map.On(
            ID_LINE_DOWN, [this] { MoveSelection(0, 1); }, design);
    map.On(ID_NEXT_FIELD, [this] { SelectNext(true); });
    map.On(ID_PREV_FIELD, [this] { SelectNext(false); });
    map.On(
            ID_TEXT_FIT, [this] { FitSelectedText(); },
            [this](CCmdUI &ui) {
                const CDrawObj *single = nullptr;
                ui.Enable(m_designMode && selectedSingle(&single) && dynamic_cast<const CDrawText *>(single));
            });
    map.On(
            ID_VIEW_GUIDE_DOTS, [this] { ToggleGuideDots(); },
            [this](CCmdUI &ui) {
                ui.Enable(m_designMode);
                ui.SetCheck(m_showGuideDots);
            });
    map.On(
            ID_VIEW_OLE_FRAMES, [this] { ToggleOleFrames(); },
            [](CCmdUI &ui) {
                ui.Enable(true);
                ui.SetCheck(g_showOleFrames);
            });
    map.On(ID_CANCEL_ACTION, [this] { Cancel(); });
    map.On(
            ID_EDIT_COPY, [this] { CopySelection(); }, withSelection);
    map.On(
            ID_EDIT_CUT, [this] { CutSelection(); }, withSelection);
    map.On(
            ID_EDIT_CLEAR, [this] { DeleteSelection(); }, withSelection);
    map.On(
            ID_EDIT_PASTE, [this] { Paste(); }, [this](CCmdUI &ui) { ui.Enable(m_designMode && CanPaste()); });
    map.On(
            ID_EDIT_SELECT_ALL, [this] { SelectAll(); },
            [this](CCmdUI &ui) { ui.Enable(m_designMode && !GetForm().GetObjects().empty()); });
    map.On(
            ID_OBJECT_PROPERTIES, [this] { EditProperties(); }, [this](CCmdUI &ui) { ui.Enable(CanEditProperties()); });
    RegisterLinkCommands(*this, map);
}

CDrawEdit *CFormDesigner::SelectedValueField(int fieldType) const
{
    if (IsDesignMode() || m_selection.size() != 1)
        return nullptr;
    auto *field = dynamic_cast<CDrawEdit *>(m_selection.front());
    const CDataTable &table = GetDocument().GetTable();
    if (field == nullptr || field->GetFieldType(&table) != fieldType
        || table.GetRecord(GetHost().CurrentRecord()) == nullptr)
        return nullptr;
    return field;
}

} // namespace orvel

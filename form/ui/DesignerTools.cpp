#include "form/ui/DesignerTools.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/DrawObj.h"
#include "form/DrawOleObj.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"
#include "form/FormObjects.h"
#include "form/ui/DataFieldControl.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/FormLock.h"
#include "form/ui/FormView.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/FieldType.h"

namespace orvel {

namespace {

QRect normalised(QPoint a, QPoint b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

} // namespace

// ---- the shared behaviour ----

DesignerTool &DesignerTool::For(CFormDesigner::Tool tool)
{
    static SelectTool select;
    static ShapeTool line(CDrawRect::line);
    static ShapeTool rectangle(CDrawRect::rectangle);
    static ShapeTool roundRectangle(CDrawRect::roundRectangle);
    static ShapeTool ellipse(CDrawRect::ellipse);
    static PolygonTool polygon;
    switch (tool) {
    case CFormDesigner::Tool::Line:
        return line;
    case CFormDesigner::Tool::Rectangle:
        return rectangle;
    case CFormDesigner::Tool::RoundRectangle:
        return roundRectangle;
    case CFormDesigner::Tool::Ellipse:
        return ellipse;
    case CFormDesigner::Tool::Polygon:
        return polygon;
    default:
        return select;
    }
}

void DesignerTool::OnButtonDown(CFormDesigner &designer, QPoint point, unsigned flags)
{
    if (!designer.IsDesignMode())
        return;
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    state.captured = true;
    state.downFlags = flags;
    state.downPoint = point;
    state.lastPoint = point;
}

void DesignerTool::OnButtonUp(CFormDesigner &, QPoint, unsigned)
{
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    state.captured = false;
    state.currentTool = CFormDesigner::Tool::Select;
}

void DesignerTool::OnMouseMove(CFormDesigner &designer, QPoint point, unsigned)
{
    CFormDesigner::Tools().lastPoint = point;
    designer.SetCursorShape(HandleCursor::Arrow);
}

// ---- selection ----

void SelectTool::OnButtonDown(CFormDesigner &designer, QPoint point, unsigned flags)
{
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    const POINT formPoint = designer.ClientToForm(point);
    state.selectMode = CFormDesigner::SelectMode::None;

    // A locked form keeps its objects where they are: a press only selects.
    const bool locked = designer.IsDesignMode() && IsFormLocked(designer.GetDocument());
    // A handle of the one selected object starts sizing it.
    const auto &selection = designer.GetSelection();
    if (designer.IsDesignMode() && !locked && selection.size() == 1) {
        if (const int handle = selection.front()->HitTest(formPoint, true); handle != 0) {
            state.selectMode = CFormDesigner::SelectMode::Size;
            state.dragHandle = handle;
        }
    }
    if (state.selectMode == CFormDesigner::SelectMode::None) {
        if (CDrawObj *object = designer.ObjectAtClient(point)) {
            state.selectMode = CFormDesigner::SelectMode::Move;
            if (designer.IsDesignMode()) {
                if (!designer.IsSelected(object))
                    designer.Select(object, (flags & kMouseShift) != 0);
                if (locked) {
                    state.selectMode = CFormDesigner::SelectMode::None;
                    designer.GetHost().ShowStatusText(LoadQString(ids::kStatusFormLocked));
                }
                // Ctrl drags copies: they stay where the originals were,
                // and the originals are dragged.
                if ((flags & kMouseControl) && !locked) {
                    const std::vector<CDrawObj *> originals = designer.GetSelection();
                    for (const CDrawObj *original : originals) {
                        if (std::unique_ptr<CDrawObj> clone = original->Clone())
                            designer.GetForm().Add(std::move(clone));
                    }
                }
            } else {
                if (!designer.IsSelected(object))
                    designer.Select(object);
                // The press goes on to the field's control: the caret lands
                // where the user clicked, a button goes down.
                if (DataFieldControl *control = designer.GetEditor(); control && &control->Field() == object)
                    control->PassPress(point);
            }
        } else if (designer.IsDesignMode()) {
            if (!(flags & kMouseShift))
                designer.ClearSelection();
            state.selectMode = CFormDesigner::SelectMode::Net;
            designer.GetView().SetNetRect(QRect(point, point));
        }
    }
    state.lastFormPoint = formPoint;
    DesignerTool::OnButtonDown(designer, point, flags);
}

void SelectTool::OnDoubleClick(CFormDesigner &designer, QPoint point, unsigned flags)
{
    CDrawObj *object = designer.ObjectAtClient(point);
    if (!designer.IsDesignMode()) {
        // A picture field changes its picture, an OLE field opens its value.
        if (const auto *field = dynamic_cast<const CDrawEdit *>(object)) {
            const int type = field->GetFieldType(&designer.GetDocument().GetTable());
            if (type == FT_PICTURE)
                designer.RunCommand(CFormDesigner::kChangePicture);
            else if (type == FT_OLE)
                designer.RunCommand(CFormDesigner::kOpenObjectValue);
        } else if (dynamic_cast<const CDrawOleObj *>(object) != nullptr) {
            designer.Select(object);
            designer.RunCommand(ID_OLE_VERB_EDIT);
        }
        return;
    }
    if (object == nullptr)
        return;
    if (flags & kMouseShift)
        designer.Deselect(object);
    else if (dynamic_cast<const CDrawOleObj *>(object) != nullptr)
        designer.RunCommand(ID_OLE_VERB_EDIT); // an embedded document opens
    else
        designer.RunCommand(ID_OBJECT_PROPERTIES);
}

void SelectTool::OnButtonUp(CFormDesigner &designer, QPoint point, unsigned flags)
{
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    if (designer.IsDesignMode() && state.captured) {
        if (state.selectMode == CFormDesigner::SelectMode::Net) {
            designer.GetView().SetNetRect(QRect());
            designer.SelectWithinRect(normalised(state.downPoint, state.lastPoint), true);
        } else if (state.selectMode != CFormDesigner::SelectMode::None) {
            designer.GetDocument().UpdateAllViews(Hint::FormRepaint);
        }
    }
    DesignerTool::OnButtonUp(designer, point, flags);
}

void SelectTool::OnMouseMove(CFormDesigner &designer, QPoint point, unsigned flags)
{
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    if (!designer.IsDesignMode()) {
        DesignerTool::OnMouseMove(designer, point, flags);
        return;
    }
    // A drag on a locked form says why nothing moves.
    const bool refused = state.captured && state.selectMode == CFormDesigner::SelectMode::None
                         && designer.ObjectAtClient(state.downPoint) != nullptr && IsFormLocked(designer.GetDocument());
    designer.GetHost().ShowStatusText(refused ? LoadQString(ids::kStatusFormLocked) : QString());
    if (state.captured) {
        if (state.selectMode == CFormDesigner::SelectMode::Net) {
            const QRect net = normalised(state.downPoint, point);
            designer.GetView().SetNetRect(net);
            designer.ShowPosition(RECT{net.left(), net.top(), net.right(), net.bottom()});
            DesignerTool::OnMouseMove(designer, point, flags);
            return;
        }
        if (state.selectMode != CFormDesigner::SelectMode::None) {
            designer.DragSelection(designer.ClientToForm(point), flags);
            designer.ShowPosition(designer.SelectionBounds());
        }
        if (state.selectMode == CFormDesigner::SelectMode::Size && state.currentTool == CFormDesigner::Tool::Select
            && designer.GetSelection().size() == 1) {
            state.lastPoint = point;
            designer.SetCursorShape(designer.GetSelection().front()->GetHandleCursor(state.dragHandle));
            return;
        }
        DesignerTool::OnMouseMove(designer, point, flags);
        return;
    }
    // The handles of a locked form size nothing, so they keep the arrow.
    const auto &selection = designer.GetSelection();
    if (selection.size() == 1 && !IsFormLocked(designer.GetDocument())) {
        if (const int handle = selection.front()->HitTest(designer.ClientToForm(point), true); handle != 0) {
            state.lastPoint = point;
            designer.SetCursorShape(selection.front()->GetHandleCursor(handle));
            return;
        }
    }
    DesignerTool::OnMouseMove(designer, point, flags);
}

// ---- shapes ----

void ShapeTool::OnButtonDown(CFormDesigner &designer, QPoint point, unsigned flags)
{
    DesignerTool::OnButtonDown(designer, point, flags);
    if (!designer.IsDesignMode())
        return;
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    const POINT p = designer.ClientToForm(point);
    auto shape =
            std::make_unique<CDrawRect>(CDrawRect::Shape(m_shape), RECT{p.x, p.y, p.x, p.y}, designer.CurrentColors());
    CDrawObj *added = designer.GetForm().Add(std::move(shape));
    designer.Select(added);
    // The drag moves the first corner; the press point stays the other.
    state.selectMode = CFormDesigner::SelectMode::Size;
    state.dragHandle = 1;
    state.lastFormPoint = p;
}

void ShapeTool::OnButtonUp(CFormDesigner &designer, QPoint point, unsigned flags)
{
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    if (designer.IsDesignMode() && point == state.downPoint && designer.GetSelection().size() == 1) {
        // A click creates nothing: the new object goes, and the click
        // selects as the selection tool's would.
        CDrawObj *created = designer.GetSelection().front();
        designer.ClearSelection();
        designer.GetForm().Remove(created);
        SelectTool::OnButtonDown(designer, point, flags);
    }
    SelectTool::OnButtonUp(designer, point, flags);
}

void ShapeTool::OnMouseMove(CFormDesigner &designer, QPoint point, unsigned flags)
{
    designer.SetCrossCursor();
    SelectTool::OnMouseMove(designer, point, flags);
    designer.SetCrossCursor();
}

// ---- polygons ----

void PolygonTool::OnButtonDown(CFormDesigner &designer, QPoint point, unsigned flags)
{
    if (!designer.IsDesignMode())
        return;
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    const bool drawing = state.polygon != nullptr && state.polygonOwner == &designer;
    DesignerTool::OnButtonDown(designer, point, flags);
    const POINT p = designer.ClientToForm(point);
    if (drawing && state.polygon->GetPointCount() > 0 && state.polygon->GetPoints().front() == p) {
        // A click on the first point closes the polygon.
        designer.EndPolygon(true, true);
        return;
    }
    if (!drawing) {
        auto polygon = std::make_unique<CDrawPoly>(RECT{p.x, p.y, p.x, p.y}, designer.CurrentColors());
        state.polygon = polygon.get();
        state.polygonOwner = &designer;
        designer.GetForm().Add(std::move(polygon));
        designer.Select(state.polygon);
        state.polygon->AddPoint(p);
    }
    // A point that follows the mouse until the next click.
    const POINT follower{p.x + 1, p.y};
    state.polygon->AddPoint(follower);
    state.selectMode = CFormDesigner::SelectMode::Size;
    state.dragHandle = int(state.polygon->GetPointCount());
    state.lastFormPoint = follower;
}

void PolygonTool::OnDoubleClick(CFormDesigner &designer, QPoint, unsigned)
{
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    if (state.polygon == nullptr || state.polygonOwner != &designer)
        return;
    const auto &points = state.polygon->GetPoints();
    bool dropLast = false;
    if (points.size() > 2) {
        const POINT last = points[points.size() - 1];
        const POINT before = points[points.size() - 2];
        dropLast = last == before || (last.x == before.x + 1 && last.y == before.y);
    }
    designer.EndPolygon(dropLast);
}

void PolygonTool::OnMouseMove(CFormDesigner &designer, QPoint point, unsigned flags)
{
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    if ((flags & kMouseLeftButton) && state.polygon != nullptr && state.polygonOwner == &designer) {
        state.polygon->AddPoint(designer.ClientToForm(point));
        state.dragHandle = int(state.polygon->GetPointCount());
        state.lastPoint = point;
        designer.SetPencilCursor();
        return;
    }
    designer.SetCrossCursor();
    SelectTool::OnMouseMove(designer, point, flags);
    designer.SetCrossCursor();
}

void PolygonTool::OnCancel(CFormDesigner &designer)
{
    CFormDesigner::ToolState &state = CFormDesigner::Tools();
    if (state.polygon != nullptr && state.polygonOwner == &designer)
        designer.EndPolygon(false);
}

} // namespace orvel

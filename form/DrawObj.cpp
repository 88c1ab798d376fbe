#include "form/DrawObj.h"

#include "form/FormObjects.h"

#include <algorithm>

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawObj, CObject, 0);

CDrawObj::CDrawObj() = default;

bool DrawContext::IsSelected(const CDrawObj *object) const
{
    return selection != nullptr && std::find(selection->begin(), selection->end(), object) != selection->end();
}

CDrawObj::CDrawObj(const RECT &position_, const DrawColors &colors)
    : position(position_)
{
    pen.lopnColor = colors.line;
    brush.lbColor = colors.fill;
}

CDrawObj::~CDrawObj() = default;

void CDrawObj::Serialize(CArchive &ar)
{
    // The 32-bit flags travel as their low 16 bits; that is all the form
    // block has room for.
    if (ar.IsStoring()) {
        ar.WriteI32(position.left);
        ar.WriteI32(position.top);
        ar.WriteI32(position.right);
        ar.WriteI32(position.bottom);
        ar.WriteU16(uint16_t(hasPen));
        ar.WriteU32(pen.lopnStyle);
        ar.WriteI32(pen.lopnWidth.x);
        ar.WriteI32(pen.lopnWidth.y);
        ar.WriteU32(pen.lopnColor);
        ar.WriteU16(uint16_t(hasBrush));
        ar.WriteU32(brush.lbStyle);
        ar.WriteU32(brush.lbColor);
        ar.WriteI32(brush.lbHatch);
        ar.WriteU16(uint16_t(frame3D));
    } else {
        position.left = ar.ReadI32();
        position.top = ar.ReadI32();
        position.right = ar.ReadI32();
        position.bottom = ar.ReadI32();
        hasPen = ar.ReadU16();
        pen.lopnStyle = ar.ReadU32();
        pen.lopnWidth.x = ar.ReadI32();
        pen.lopnWidth.y = ar.ReadI32();
        pen.lopnColor = ar.ReadU32();
        hasBrush = ar.ReadU16();
        brush.lbStyle = ar.ReadU32();
        brush.lbColor = ar.ReadU32();
        brush.lbHatch = ar.ReadI32();
        frame3D = ar.ReadU16();
        document = ar.GetDocument<CFormObjects>();
    }
}

RECT CDrawObj::GetNormalizedPosition() const
{
    RECT r = position;
    NormalizeRect(r);
    return r;
}

POINT CDrawObj::GetHandle(int n) const
{
    const int32_t l = position.left;
    const int32_t t = position.top;
    const int32_t r = position.right;
    const int32_t b = position.bottom;
    // The midpoints truncate towards zero, as integer division does.
    const auto cx = int32_t(int64_t(l) + (int64_t(r) - l) / 2);
    const auto cy = int32_t(int64_t(t) + (int64_t(b) - t) / 2);
    switch (n) {
    case 1:
        return {l, t};
    case 2:
        return {cx, t};
    case 3:
        return {r, t};
    case 4:
        return {r, cy};
    case 5:
        return {r, b};
    case 6:
        return {cx, b};
    case 7:
        return {l, b};
    case 8:
        return {l, cy};
    default:
        return {l, t};
    }
}

HandleCursor CDrawObj::GetHandleCursor(int n) const
{
    switch (n) {
    case 1:
    case 5:
        return HandleCursor::SizeNorthWestSouthEast;
    case 2:
    case 6:
        return HandleCursor::SizeNorthSouth;
    case 3:
    case 7:
        return HandleCursor::SizeNorthEastSouthWest;
    case 4:
    case 8:
        return HandleCursor::SizeWestEast;
    default:
        return HandleCursor::Arrow;
    }
}

void CDrawObj::Draw(CDC &, const DrawContext &)
{
    // A plain object has nothing of its own to show.
}

void CDrawObj::DrawTracker(CDC &dc, int state) const
{
    if (state == kTrackerNormal)
        return;
    const int count = GetHandleCount();
    for (int n = 1; n <= count; ++n) {
        const POINT p = GetHandle(n);
        RECT square{p.x, p.y, p.x, p.y};
        square.left -= 3;
        square.top -= 3;
        square.right += 4;
        square.bottom += 4;
        dc.InvertRect(square);
    }
}

int CDrawObj::HitTest(POINT point, bool selected) const
{
    if (!selected)
        return PtInRect(GetNormalizedPosition(), point) ? 1 : 0;
    const int count = GetHandleCount();
    for (int n = 1; n <= count; ++n) {
        const POINT p = GetHandle(n);
        RECT square{p.x, p.y, p.x, p.y};
        InflateRect(square, 3, 3);
        if (PtInRect(square, point))
            return n;
    }
    return 0;
}

void CDrawObj::MoveHandleTo(int n, POINT point, unsigned)
{
    RECT moved = position;
    switch (n) {
    case 1:
        moved.left = point.x;
        moved.top = point.y;
        break;
    case 2:
        moved.top = point.y;
        break;
    case 3:
        moved.right = point.x;
        moved.top = point.y;
        break;
    case 4:
        moved.right = point.x;
        break;
    case 5:
        moved.right = point.x;
        moved.bottom = point.y;
        break;
    case 6:
        moved.bottom = point.y;
        break;
    case 7:
        moved.left = point.x;
        moved.bottom = point.y;
        break;
    case 8:
        moved.left = point.x;
        break;
    default:
        return;
    }
    MoveTo(moved);
}

std::unique_ptr<CDrawObj> CDrawObj::Clone() const
{
    auto clone = std::make_unique<CDrawObj>(position);
    CopyLookTo(*clone);
    return clone;
}

int CDrawObj::GetMenuIndex(const CDataTable *) const
{
    return 3; // "DrawObj"
}

void CDrawObj::SelectPenAndBrush(CDC &dc) const
{
    dc.SelectBrush(hasBrush ? brush : kNullBrush);
    dc.SelectPen(hasPen ? pen : kNullPen);
}

void CDrawObj::CopyLookTo(CDrawObj &clone) const
{
    clone.hasPen = hasPen;
    clone.pen = pen;
    clone.hasBrush = hasBrush;
    clone.brush = brush;
    clone.frame3D = frame3D;
}

bool CDrawObj::Intersects(const RECT &rect) const
{
    RECT other = rect;
    NormalizeRect(other);
    RECT common;
    return IntersectRect(common, GetNormalizedPosition(), other);
}

void CDrawObj::SetLineColor(COLORREF color)
{
    pen.lopnColor = color;
    Changed();
}

void CDrawObj::SetFillColor(COLORREF color)
{
    brush.lbColor = color;
    Changed();
}

void CDrawObj::SetLineStyle(uint32_t style)
{
    pen.lopnStyle = style;
    Changed();
}

void CDrawObj::MoveTo(const RECT &newPosition)
{
    if (newPosition == position)
        return;
    // The old area is repainted as well as the new one.
    if (document != nullptr)
        document->Invalidate(this);
    position = newPosition;
    Changed();
}

void CDrawObj::Changed()
{
    if (document == nullptr)
        return;
    document->Invalidate(this);
    document->SetModified(true);
}

} // namespace orvel

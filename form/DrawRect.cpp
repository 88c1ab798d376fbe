#include "form/DrawRect.h"

#include "form/FormObjects.h"
#include "form/ShapeRegion.h"

#include <algorithm>
#include <cstdint>

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawRect, CDrawObj, 0);

CDrawRect::CDrawRect(Shape shape_, const RECT &position_, const DrawColors &colors)
    : CDrawObj(position_, colors)
    , shape(shape_)
{}

void CDrawRect::Serialize(CArchive &ar)
{
    CDrawObj::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteU16(uint16_t(shape));
        ar.WriteI32(roundness.x);
        ar.WriteI32(roundness.y);
    } else {
        shape = ar.ReadU16();
        roundness.x = ar.ReadI32();
        roundness.y = ar.ReadI32();
    }
}

int CDrawRect::GetHandleCount() const
{
    if (shape == line)
        return 2;
    return shape == roundRectangle ? 9 : 8;
}

POINT CDrawRect::GetHandle(int n) const
{
    // A line's end point is the rectangle's bottom-right handle.
    if (shape == line && n == 2)
        n = 5;
    if (shape == roundRectangle && n == 9) {
        const RECT r = GetNormalizedPosition();
        return {int32_t(int64_t(r.right) - roundness.x / 2), int32_t(int64_t(r.bottom) - roundness.y / 2)};
    }
    return CDrawObj::GetHandle(n);
}

HandleCursor CDrawRect::GetHandleCursor(int n) const
{
    if (shape == line && n == 2)
        n = 5;
    if (shape == roundRectangle && n == 9)
        return HandleCursor::SizeAll;
    return CDrawObj::GetHandleCursor(n);
}

void CDrawRect::MoveHandleTo(int n, POINT point, unsigned keyFlags)
{
    if (shape == line && n == 2)
        n = 5;
    if (shape == roundRectangle && n == 9) {
        // The corner handle stays between the centre and the right (bottom)
        // edge; the roundness is twice its distance from that edge.
        const RECT r = GetNormalizedPosition();
        const auto cx = int32_t(int64_t(r.left) + (int64_t(r.right) - r.left) / 2);
        const auto cy = int32_t(int64_t(r.top) + (int64_t(r.bottom) - r.top) / 2);
        const int64_t x = std::clamp<int64_t>(point.x, cx, std::max<int64_t>(cx, int64_t(r.right) - 1));
        const int64_t y = std::clamp<int64_t>(point.y, cy, std::max<int64_t>(cy, int64_t(r.bottom) - 1));
        SetRoundness({int32_t(2 * (int64_t(r.right) - x)), int32_t(2 * (int64_t(r.bottom) - y))});
        return;
    }
    CDrawObj::MoveHandleTo(n, point, keyFlags);
}

void CDrawRect::SetRoundness(POINT newRoundness)
{
    if (newRoundness == roundness)
        return;
    if (document != nullptr)
        document->Invalidate(this);
    roundness = newRoundness;
    Changed();
}

void CDrawRect::Draw(CDC &dc, const DrawContext &)
{
    SelectPenAndBrush(dc);
    const RECT r = GetNormalizedPosition();
    if (frame3D != 0 && shape == rectangle) {
        dc.Rectangle(r);
        dc.Draw3DFrame(r, Edge::Raised);
        return;
    }
    switch (shape) {
    case rectangle:
        dc.Rectangle(r);
        break;
    case roundRectangle:
        dc.RoundRect(r.left, r.top, r.right, r.bottom, roundness.x, roundness.y);
        break;
    case ellipse:
        dc.Ellipse(r);
        break;
    case line: {
        // The ends move in so that a wide pen stays inside the position,
        // along the directions in which the line runs: a horizontal or
        // vertical line has no room across and keeps its direction.
        const int64_t w = position.left == position.right ? 0 : pen.lopnWidth.x;
        const int64_t h = position.top == position.bottom ? 0 : pen.lopnWidth.y;
        int64_t x0 = position.left;
        int64_t y0 = position.top;
        int64_t x1 = position.right;
        int64_t y1 = position.bottom;
        if (x1 < x0) {
            x0 -= w / 2;
            x1 += (w + 1) / 2;
        } else {
            x0 += (w + 1) / 2;
            x1 -= w / 2;
        }
        if (y1 < y0) {
            y0 -= h / 2;
            y1 += (h + 1) / 2;
        } else {
            y0 += (h + 1) / 2;
            y1 -= h / 2;
        }
        const auto clamp = [](int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
        dc.MoveTo(clamp(x0), clamp(y0));
        dc.LineTo(clamp(x1), clamp(y1));
        break;
    }
    default:
        // An unknown shape from a file is drawn as a rectangle.
        dc.Rectangle(r);
        break;
    }
}

std::unique_ptr<CDrawObj> CDrawRect::Clone() const
{
    auto clone = std::make_unique<CDrawRect>(Shape(shape), position);
    CopyLookTo(*clone);
    // The raised frame comes along too: a copy that looks different from
    // its original would be no copy.
    clone->roundness = roundness;
    return clone;
}

bool CDrawRect::Intersects(const RECT &rect) const
{
    RECT other = rect;
    NormalizeRect(other);
    const RECT bounds = GetNormalizedPosition();

    if (shape == line) {
        // The band is tested against the rectangle grown by the band, so that
        // a horizontal or vertical line, whose own rectangle is empty, can be
        // hit as well.
        const int dx = int((int64_t(pen.lopnWidth.x) + 5) / 2);
        const int dy = int((int64_t(pen.lopnWidth.y) + 5) / 2);
        RECT grown = bounds;
        InflateRect(grown, dx, dy);
        RECT common;
        if (!IntersectRect(common, grown, other))
            return false;
        return LineBandHits(POINT{position.left, position.top}, POINT{position.right, position.bottom}, dx, dy, other);
    }

    RECT common;
    if (!IntersectRect(common, bounds, other))
        return false;
    switch (shape) {
    case roundRectangle:
        return RoundRectRegionHits(bounds, roundness.x, roundness.y, other);
    case ellipse:
        return EllipseRegionHits(bounds, other);
    default:
        return true;
    }
}

} // namespace orvel

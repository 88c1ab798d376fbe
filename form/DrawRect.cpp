#include "form/DrawRect.h"

#include "form/ShapeRegion.h"

#include <algorithm>

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

#include "form/DrawPoly.h"

#include "form/FormObjects.h"

#include "form/ShapeRegion.h"

#include <algorithm>

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawPoly, CDrawObj, 0);

CDrawPoly::CDrawPoly()
{
    hasBrush = 0;
}

CDrawPoly::CDrawPoly(const RECT &position_, const DrawColors &colors)
    : CDrawObj(position_, colors)
{
    hasBrush = 0;
}

void CDrawPoly::Serialize(CArchive &ar)
{
    CDrawObj::Serialize(ar);
    if (ar.IsStoring()) {
        // AddPoint keeps both counts below the 16-bit limit; anything else
        // would be written cut short and read back as garbage.
        if (points.size() > 0xFFFF || allocatedCount > 0xFFFF)
            throw ArchiveException(ArchiveException::BadFormat, "polygon with more than 65535 points");
        ar.WriteU16(uint16_t(points.size()));
        ar.WriteU16(uint16_t(std::max<std::size_t>(allocatedCount, points.size())));
        for (const POINT &p : points) {
            ar.WriteI32(p.x);
            ar.WriteI32(p.y);
        }
    } else {
        const uint16_t pointCount = ar.ReadU16();
        const uint16_t capacity = ar.ReadU16();
        // A capacity below the number of points cannot come from a saved
        // polygon; taking it would write points past the array.
        if (capacity < pointCount)
            throw ArchiveException(ArchiveException::BadFormat, "polygon with fewer slots than points");
        ar.EnsureAvailable(pointCount, 8);
        std::vector<POINT> loaded;
        // At most 65535 points: half a megabyte.
        loaded.reserve(capacity);
        for (uint16_t i = 0; i < pointCount; ++i) {
            POINT p;
            p.x = ar.ReadI32();
            p.y = ar.ReadI32();
            loaded.push_back(p);
        }
        points = std::move(loaded);
        allocatedCount = capacity;
    }
}

bool CDrawPoly::Intersects(const RECT &rect) const
{
    // The polygon's own region (alternate filling); there is no area with
    // fewer than three points.
    return PolygonRegionHits(points, rect);
}

void CDrawPoly::MoveTo(const RECT &newPosition)
{
    if (newPosition == position)
        return;
    const int64_t dx = int64_t(newPosition.left) - position.left;
    const int64_t dy = int64_t(newPosition.top) - position.top;
    for (POINT &p : points) {
        p.x = int32_t(std::clamp<int64_t>(p.x + dx, INT32_MIN, INT32_MAX));
        p.y = int32_t(std::clamp<int64_t>(p.y + dy, INT32_MIN, INT32_MAX));
    }
    CDrawObj::MoveTo(newPosition);
}

bool CDrawPoly::AddPoint(POINT point)
{
    if (points.size() == allocatedCount) {
        if (allocatedCount + kGrowBy > kMaxPoints)
            return false;
        allocatedCount += kGrowBy;
        points.reserve(allocatedCount);
    }
    if (!points.empty() && points.back() == point)
        return true;
    points.push_back(point);
    // Repainted even when the bounds stay, so that the new edge shows.
    if (!recalcBounds() && document != nullptr)
        document->Invalidate(this);
    if (document != nullptr)
        document->SetModified(true);
    return true;
}

void CDrawPoly::MovePoint(int n, POINT point)
{
    if (n < 1 || std::size_t(n) > points.size() || points[std::size_t(n) - 1] == point)
        return;
    points[std::size_t(n) - 1] = point;
    recalcBounds();
    if (document != nullptr) {
        document->Invalidate(this);
        document->SetModified(true);
    }
}

POINT CDrawPoly::GetHandle(int n) const
{
    if (n < 1 || std::size_t(n) > points.size())
        return {position.left, position.top};
    return points[std::size_t(n) - 1];
}

void CDrawPoly::Draw(CDC &dc, const DrawContext &)
{
    SelectPenAndBrush(dc);
    dc.SetPolyFillMode(ALTERNATE);
    dc.Polygon(points);
}

std::unique_ptr<CDrawObj> CDrawPoly::Clone() const
{
    auto clone = std::make_unique<CDrawPoly>(position);
    CopyLookTo(*clone);
    clone->points = points;
    clone->allocatedCount = allocatedCount;
    return clone;
}

void CDrawPoly::RemoveLastPoint()
{
    if (points.empty())
        return;
    if (document != nullptr)
        document->Invalidate(this);
    points.pop_back();
    recalcBounds();
    if (document != nullptr)
        document->SetModified(true);
}

bool CDrawPoly::recalcBounds()
{
    if (points.empty())
        return false;
    RECT bounds{points.front().x, points.front().y, points.front().x, points.front().y};
    for (const POINT &p : points) {
        bounds.left = std::min(bounds.left, p.x);
        bounds.top = std::min(bounds.top, p.y);
        bounds.right = std::max(bounds.right, p.x);
        bounds.bottom = std::max(bounds.bottom, p.y);
    }
    if (bounds == position)
        return false;
    if (document != nullptr)
        document->Invalidate(this);
    position = bounds;
    if (document != nullptr)
        document->Invalidate(this);
    return true;
}

} // namespace orvel

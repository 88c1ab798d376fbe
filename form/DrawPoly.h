#pragma once

#include "form/DrawObj.h"

#include <vector>

namespace orvel {

// A closed polygon. Its position is the bounding box of its points. The
// point array grows by 10 at a time, and its capacity is stored with it.
class CDrawPoly : public CDrawObj
{
    ORVEL_DECLARE_CLASS(CDrawPoly);

public:
    static constexpr uint32_t kGrowBy = 10;
    // Both counts are stored in 16 bits: the largest multiple of the growth
    // step that fits.
    static constexpr uint32_t kMaxPoints = 0xFFFF / kGrowBy * kGrowBy;

    // Not filled until the user turns the fill on.
    CDrawPoly();
    explicit CDrawPoly(const RECT &position, const DrawColors &colors = {});

    void Serialize(CArchive &ar) override;

    // The handles are the points; the cursor over them is the arrow.
    int GetHandleCount() const override { return int(points.size()); }
    POINT GetHandle(int n) const override;
    HandleCursor GetHandleCursor(int) const override { return HandleCursor::Arrow; }
    void Draw(CDC &dc, const DrawContext &context) override;
    bool Intersects(const RECT &rect) const override;
    void MoveHandleTo(int n, POINT point, unsigned /*keyFlags*/) override { MovePoint(n, point); }
    std::unique_ptr<CDrawObj> Clone() const override;
    // Takes away the last point (the designer's closing click adds one too
    // many); the bounds follow.
    void RemoveLastPoint();
    // Moves every point with the position.
    void MoveTo(const RECT &newPosition) override;

    // Appends a point while the polygon is drawn; a point equal to the last
    // one is ignored. Grows the array by 10 when it is full. False when the
    // polygon cannot take more points.
    bool AddPoint(POINT point);
    // Handle n (1-based) is point n; the bounds follow.
    void MovePoint(int n, POINT point);

    const std::vector<POINT> &GetPoints() const { return points; }
    uint32_t GetPointCount() const { return uint32_t(points.size()); }
    uint32_t GetAllocatedCount() const { return allocatedCount; }

private:
    // The position becomes the smallest rectangle that holds all points.
    bool recalcBounds();

    // The used points; allocatedCount >= points.size() always.
    std::vector<POINT> points;
    uint32_t allocatedCount = 0;
};

} // namespace orvel

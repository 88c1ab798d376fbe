#pragma once

#include "form/DrawObj.h"

namespace orvel {

// Rectangles, rounded rectangles, ellipses and lines. A line runs from
// (left, top) to (right, bottom) of the stored position, so its direction
// survives storing.
class CDrawRect : public CDrawObj
{
    ORVEL_DECLARE_CLASS(CDrawRect);

public:
    enum Shape : uint32_t { rectangle = 0, roundRectangle = 1, ellipse = 2, line = 3 };

    CDrawRect() = default;
    CDrawRect(Shape shape, const RECT &position, const DrawColors &colors = {});

    void Serialize(CArchive &ar) override;
    bool Intersects(const RECT &rect) const override;
    bool Supports3DFrame() const override { return shape == rectangle; }

    // 32-bit, stored as its low 16 bits.
    uint32_t shape = rectangle;
    // Width and height of the corner ellipse of a rounded rectangle.
    POINT roundness{16, 16};
};

} // namespace orvel

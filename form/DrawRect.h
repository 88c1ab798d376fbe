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

    // A line has two handles (start and end), a rounded rectangle a ninth
    // for its corner roundness, the rest the generic eight.
    int GetHandleCount() const override;
    POINT GetHandle(int n) const override;
    HandleCursor GetHandleCursor(int n) const override;
    void Draw(CDC &dc, const DrawContext &context) override;
    bool Intersects(const RECT &rect) const override;
    void MoveHandleTo(int n, POINT point, unsigned keyFlags) override;
    std::unique_ptr<CDrawObj> Clone() const override;
    bool Supports3DFrame() const override { return shape == rectangle; }
    bool IsFillApplicable() const override { return shape != line; }
    // The corner roundness of a rounded rectangle (handle 9): marks the form
    // modified and repaints the object.
    void SetRoundness(POINT newRoundness);

    // 32-bit, stored as its low 16 bits.
    uint32_t shape = rectangle;
    // Width and height of the corner ellipse of a rounded rectangle.
    POINT roundness{16, 16};
};

} // namespace orvel

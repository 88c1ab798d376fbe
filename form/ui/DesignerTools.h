#pragma once

#include "form/ui/FormDesigner.h"

namespace orvel {

// A drawing tool of the designer: what a button press, a double click, the
// release, a mouse move, the properties command and Esc do while the tool is
// current. The base gives every tool the behaviour they share (capture on a
// press in design mode, release and back to the selection tool on the
// button's release, the arrow cursor on moves).
class DesignerTool
{
public:
    virtual ~DesignerTool() = default;

    virtual void OnButtonDown(CFormDesigner &designer, QPoint point, unsigned flags);
    virtual void OnDoubleClick(CFormDesigner &, QPoint, unsigned) {}
    virtual void OnButtonUp(CFormDesigner &designer, QPoint point, unsigned flags);
    virtual void OnMouseMove(CFormDesigner &designer, QPoint point, unsigned flags);
    virtual void OnEditProperties(CFormDesigner &) {}
    virtual void OnCancel(CFormDesigner &) {}

    // The tool object of a tool id; the selection tool for the insertion
    // tools, which work through their commands.
    static DesignerTool &For(CFormDesigner::Tool tool);
};

// Selects, moves and sizes objects, and draws the rubber band.
class SelectTool : public DesignerTool
{
public:
    void OnButtonDown(CFormDesigner &designer, QPoint point, unsigned flags) override;
    void OnDoubleClick(CFormDesigner &designer, QPoint point, unsigned flags) override;
    void OnButtonUp(CFormDesigner &designer, QPoint point, unsigned flags) override;
    void OnMouseMove(CFormDesigner &designer, QPoint point, unsigned flags) override;
};

// Lines, rectangles, rounded rectangles and ellipses: a press creates the
// shape at the point and the drag sizes it; a click that does not move
// creates nothing and selects what lies below.
class ShapeTool : public SelectTool
{
public:
    explicit ShapeTool(uint32_t shape)
        : m_shape(shape)
    {}
    void OnButtonDown(CFormDesigner &designer, QPoint point, unsigned flags) override;
    void OnDoubleClick(CFormDesigner &, QPoint, unsigned) override {}
    void OnButtonUp(CFormDesigner &designer, QPoint point, unsigned flags) override;
    void OnMouseMove(CFormDesigner &designer, QPoint point, unsigned flags) override;

private:
    uint32_t m_shape;
};

// Polygons: every click adds a point (and one that follows the mouse), a
// drag with the button down draws freehand; a click on the first point or
// a double click ends the polygon.
class PolygonTool : public SelectTool
{
public:
    void OnButtonDown(CFormDesigner &designer, QPoint point, unsigned flags) override;
    void OnDoubleClick(CFormDesigner &designer, QPoint point, unsigned flags) override;
    // The polygon keeps the mouse between its clicks.
    void OnButtonUp(CFormDesigner &, QPoint, unsigned) override {}
    void OnMouseMove(CFormDesigner &designer, QPoint point, unsigned flags) override;
    void OnCancel(CFormDesigner &designer) override;
};

} // namespace orvel

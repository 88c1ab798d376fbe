#pragma once

#include "form/DrawContext.h"
#include "platform/Archive.h"
#include "platform/Gdi.h"
#include "platform/LogFont.h"

#include <cstdint>
#include <memory>

namespace orvel {

class CDataTable;
class CFormObjects;

// The line and fill colours a new object takes: the main frame's current
// colours, or these defaults where there is no main frame.
struct DrawColors
{
    COLORREF line = kDefaultLineColor;
    COLORREF fill = kDefaultFillColor;
};

// Base of every form object: a position, an outline and a fill.
//
// The position is kept as the user drew it, possibly unnormalized (a line
// drawn up and to the left keeps right < left); whatever needs a proper
// rectangle normalizes a copy.
//
// While a form is read or written, the archive's document is the
// CFormObjects the objects belong to (or null, e.g. for data that is not
// part of a document).
class CDrawObj : public CObject
{
    ORVEL_DECLARE_CLASS(CDrawObj);

public:
    // For the archive: an empty position, the default colours.
    CDrawObj();
    explicit CDrawObj(const RECT &position, const DrawColors &colors = {});
    ~CDrawObj() override;

    CDrawObj(const CDrawObj &) = delete;
    CDrawObj &operator=(const CDrawObj &) = delete;

    void Serialize(CArchive &ar) override;

    // --- Drawing, handles and hit testing ---

    // The resize handles, numbered from 1: the generic rectangle has eight,
    // clockwise from the top-left corner (corners and edge midpoints).
    virtual int GetHandleCount() const { return 8; }
    virtual POINT GetHandle(int n) const;
    virtual HandleCursor GetHandleCursor(int n) const;
    // Draws the object in form coordinates.
    virtual void Draw(CDC &dc, const DrawContext &context);
    // The handles of a selected object, each the 7 x 7 square around its
    // point inverted (so drawing them twice removes them); state 0 draws
    // nothing.
    virtual void DrawTracker(CDC &dc, int state) const;
    // Not selected: 1 when the point lies inside the normalized position.
    // Selected: the number of the first handle whose square of +-3 around
    // its point holds the point; 0 when none does.
    int HitTest(POINT point, bool selected) const;
    // Whether the rectangle touches the object: the normalized position and
    // the normalized rectangle overlap with a non-empty intersection. Shapes
    // that do not fill their rectangle test their own area.
    virtual bool Intersects(const RECT &rect) const;
    // Drags handle n to the point: the generic rectangle moves the edges the
    // handle stands on. `keyFlags` are the mouse key flags of the drag. The
    // result goes through MoveTo.
    virtual void MoveHandleTo(int n, POINT point, unsigned keyFlags);
    // A new object of the same class at the same position with the same
    // look; null for classes that cannot be copied (data fields) or when a
    // copy cannot be made.
    virtual std::unique_ptr<CDrawObj> Clone() const;
    // The object's pop-up in the designer's and the data mode's context
    // menus; data fields choose by the type of their field in `table`.
    virtual int GetMenuIndex(const CDataTable *table) const;
    // Whether the fill page of the property sheet applies (not to lines).
    virtual bool IsFillApplicable() const { return true; }
    // Only a plain rectangle can be drawn as a raised frame.
    virtual bool Supports3DFrame() const { return false; }

    // Changes that the user makes through the designer: each marks the
    // document modified and asks the views to repaint the object.
    virtual void SetLineColor(COLORREF color);
    virtual void SetFillColor(COLORREF color);
    virtual void SetLineStyle(uint32_t style);
    // Nothing happens when the rectangle is the position already.
    virtual void MoveTo(const RECT &newPosition);

    // The position with left <= right and top <= bottom.
    RECT GetNormalizedPosition() const;

    // Marks the owning document modified and repaints the object.
    void Changed();

protected:
    // The pen and brush the object draws with: its own, or the null ones
    // where it has no outline or no fill.
    void SelectPenAndBrush(CDC &dc) const;
    // The stored look every class shares, for Clone.
    void CopyLookTo(CDrawObj &clone) const;

public:
    RECT position{};
    // Owner; set when the object is added to a form and when it is loaded.
    CFormObjects *document = nullptr;
    // 32-bit flags stored as their low 16 bits.
    uint32_t hasPen = 1;
    LOGPEN pen{PS_SOLID, {1, 1}, kDefaultLineColor};
    uint32_t hasBrush = 1;
    LOGBRUSH brush{BS_SOLID, kDefaultFillColor, 0};
    uint32_t frame3D = 0;
};

} // namespace orvel

#pragma once

#include "platform/Archive.h"
#include "platform/Gdi.h"
#include "platform/LogFont.h"

#include <cstdint>

namespace orvel {

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

    // Whether the rectangle touches the object: the normalized position and
    // the normalized rectangle overlap with a non-empty intersection. Shapes
    // that do not fill their rectangle test their own area.
    virtual bool Intersects(const RECT &rect) const;
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

    RECT position{};
    // Owner; set when the object is added to a form and when it is loaded.
    CFormObjects *document = nullptr;
    // 32-bit flags stored as their low 16 bits.
    uint32_t hasPen = 1;
    LOGPEN pen{PS_SOLID, {1, 1}, kDefaultLineColor};
    uint32_t hasBrush = 1;
    LOGBRUSH brush{BS_SOLID, kDefaultFillColor, 0};
    // Whether the property sheet offers the fill page; a line clears it. Not
    // stored.
    bool fillApplicable = true;
    uint32_t frame3D = 0;
};

} // namespace orvel

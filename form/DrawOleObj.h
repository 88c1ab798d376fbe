#pragma once

#include "form/DrawObj.h"

#include <memory>

namespace orvel {

class CDrawItem;

// A size in HIMETRIC units (0.01 mm).
struct HimetricSize
{
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const HimetricSize &, const HimetricSize &) = default;
};

// An embedded or linked document placed on the form.
class CDrawOleObj : public CDrawObj
{
    ORVEL_DECLARE_CLASS(CDrawOleObj);

public:
    CDrawOleObj();
    explicit CDrawOleObj(const RECT &position, const DrawColors &colors = {});
    ~CDrawOleObj() override;

    void Serialize(CArchive &ar) override;

    // Hands the item to this object and points it back here.
    void SetClientItem(std::unique_ptr<CDrawItem> item);

    // The document's picture when it is one, else its name and type; the
    // frame when the frame display is on (not when printing): dotted for a
    // linked document, solid otherwise, hatched while the document is open.
    void Draw(CDC &dc, const DrawContext &context) override;
    // The handles, then a one-pixel outline along the position.
    void DrawTracker(CDC &dc, int state) const override;
    // A copy with a copy of the document.
    std::unique_ptr<CDrawObj> Clone() const override;
    int GetMenuIndex(const CDataTable *) const override { return 4; } // "DrawOLE"

    // The object's document; may be absent.
    std::unique_ptr<CDrawItem> clientItem;
    // The natural size as the item last reported it; (0,0) until known.
    HimetricSize extent;
};

} // namespace orvel

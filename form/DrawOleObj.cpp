#include "form/DrawOleObj.h"

#include "form/DrawItem.h"
#include "platform/Codepage.h"

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawOleObj, CDrawObj, 0);

CDrawOleObj::CDrawOleObj() = default;

CDrawOleObj::CDrawOleObj(const RECT &position_, const DrawColors &colors)
    : CDrawObj(position_, colors)
{}

CDrawOleObj::~CDrawOleObj() = default;

void CDrawOleObj::SetClientItem(std::unique_ptr<CDrawItem> item)
{
    clientItem = std::move(item);
    if (clientItem)
        clientItem->drawObj = this;
}

void CDrawOleObj::Serialize(CArchive &ar)
{
    CDrawObj::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteI32(extent.cx);
        ar.WriteI32(extent.cy);
        ar.WriteObject(clientItem.get());
    } else {
        extent.cx = ar.ReadI32();
        extent.cy = ar.ReadI32();
        // Anything but a CDrawItem fails the load; an item that another
        // object already owns fails too (TakeObject refuses a second owner).
        SetClientItem(ar.ReadOwnedObject<CDrawItem>());
    }
}

void CDrawOleObj::Draw(CDC &dc, const DrawContext &context)
{
    const RECT r = GetNormalizedPosition();
    if (!clientItem) {
        // A document that was lost: an empty white box keeps its place.
        dc.SelectPen(kBlackPen);
        dc.SelectBrush(kWhiteBrush);
        dc.Rectangle(r);
    } else {
        clientItem->DrawInto(dc, r);
    }
    // A document open in its application is hatched even while the frames
    // are not shown: the user must see that the form waits for it.
    const bool open = clientItem && clientItem->open;
    if (context.printing || (!context.showOleFrames && !open))
        return;
    const bool linked = clientItem && clientItem->linked;
    dc.SelectBrush(open ? LOGBRUSH{BS_HATCHED, 0x000000, HS_BDIAGONAL} : kNullBrush);
    dc.SelectPen(LOGPEN{linked ? PS_DOT : PS_SOLID, {1, 1}, 0x000000});
    dc.Rectangle(r);
}

void CDrawOleObj::DrawTracker(CDC &dc, int state) const
{
    CDrawObj::DrawTracker(dc, state);
    if (state == kTrackerNormal)
        return;
    dc.SelectPen(kBlackPen);
    dc.SelectBrush(kNullBrush);
    dc.Rectangle(GetNormalizedPosition());
}

std::unique_ptr<CDrawObj> CDrawOleObj::Clone() const
{
    auto clone = std::make_unique<CDrawOleObj>(position);
    CopyLookTo(*clone);
    if (clientItem) {
        auto item = std::make_unique<CDrawItem>();
        clientItem->CopyTo(*item);
        clone->SetClientItem(std::move(item));
    }
    return clone;
}

} // namespace orvel

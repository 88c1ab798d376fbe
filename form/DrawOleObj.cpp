#include "form/DrawOleObj.h"

#include "form/DrawItem.h"

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

} // namespace orvel

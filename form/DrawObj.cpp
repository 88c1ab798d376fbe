#include "form/DrawObj.h"

#include "form/FormObjects.h"

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawObj, CObject, 0);

CDrawObj::CDrawObj() = default;

CDrawObj::CDrawObj(const RECT &position_, const DrawColors &colors)
    : position(position_)
{
    pen.lopnColor = colors.line;
    brush.lbColor = colors.fill;
}

CDrawObj::~CDrawObj() = default;

void CDrawObj::Serialize(CArchive &ar)
{
    // The 32-bit flags travel as their low 16 bits; that is all the form
    // block has room for.
    if (ar.IsStoring()) {
        ar.WriteI32(position.left);
        ar.WriteI32(position.top);
        ar.WriteI32(position.right);
        ar.WriteI32(position.bottom);
        ar.WriteU16(uint16_t(hasPen));
        ar.WriteU32(pen.lopnStyle);
        ar.WriteI32(pen.lopnWidth.x);
        ar.WriteI32(pen.lopnWidth.y);
        ar.WriteU32(pen.lopnColor);
        ar.WriteU16(uint16_t(hasBrush));
        ar.WriteU32(brush.lbStyle);
        ar.WriteU32(brush.lbColor);
        ar.WriteI32(brush.lbHatch);
        ar.WriteU16(uint16_t(frame3D));
    } else {
        position.left = ar.ReadI32();
        position.top = ar.ReadI32();
        position.right = ar.ReadI32();
        position.bottom = ar.ReadI32();
        hasPen = ar.ReadU16();
        pen.lopnStyle = ar.ReadU32();
        pen.lopnWidth.x = ar.ReadI32();
        pen.lopnWidth.y = ar.ReadI32();
        pen.lopnColor = ar.ReadU32();
        hasBrush = ar.ReadU16();
        brush.lbStyle = ar.ReadU32();
        brush.lbColor = ar.ReadU32();
        brush.lbHatch = ar.ReadI32();
        frame3D = ar.ReadU16();
        document = ar.GetDocument<CFormObjects>();
    }
}

RECT CDrawObj::GetNormalizedPosition() const
{
    RECT r = position;
    NormalizeRect(r);
    return r;
}

bool CDrawObj::Intersects(const RECT &rect) const
{
    RECT other = rect;
    NormalizeRect(other);
    RECT common;
    return IntersectRect(common, GetNormalizedPosition(), other);
}

void CDrawObj::SetLineColor(COLORREF color)
{
    pen.lopnColor = color;
    Changed();
}

void CDrawObj::SetFillColor(COLORREF color)
{
    brush.lbColor = color;
    Changed();
}

void CDrawObj::SetLineStyle(uint32_t style)
{
    pen.lopnStyle = style;
    Changed();
}

void CDrawObj::MoveTo(const RECT &newPosition)
{
    if (newPosition == position)
        return;
    // The old area is repainted as well as the new one.
    if (document != nullptr)
        document->Invalidate(this);
    position = newPosition;
    Changed();
}

void CDrawObj::Changed()
{
    if (document == nullptr)
        return;
    document->Invalidate(this);
    document->SetModified(true);
}

} // namespace orvel

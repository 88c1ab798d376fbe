#include "form/DrawEdit.h"

#include "form/DrawEditItem.h"
#include "form/DrawText.h"
#include "media/Lead.h"

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawEdit, CDrawObj, 0);

CDrawEdit::CDrawEdit()
    : CDrawEdit(0, RECT{})
{}

CDrawEdit::CDrawEdit(int fieldIndex_, const RECT &position_, const DrawColors &colors)
    : CDrawObj(position_, colors)
    , fieldIndex(fieldIndex_)
    , font(StockFont(DEFAULT_GUI_FONT))
    , textColor(colors.line)
{}

CDrawEdit::~CDrawEdit() = default;

void CDrawEdit::DiscardValueDisplay()
{
    valueItem.reset();
    shownValue.clear();
}

void CDrawEdit::Serialize(CArchive &ar)
{
    CDrawObj::Serialize(ar);
    if (ar.IsStoring()) {
        // The display item is a copy of the record's value, not part of the
        // form: it must not end up in the form's item list.
        DiscardValueDisplay();
    }
    CDrawText::SerializeTextStyle(ar, caption, font, reserved, textColor, drawFlags, alignment);
    if (ar.IsStoring()) {
        ar.WriteU16(spareFlag);
        ar.WriteU16(uint16_t(fieldIndex));
        ar.WriteU16(framed);
        ar.WriteU16(showFieldName);
        ar.WriteU16(embedded);
    } else {
        spareFlag = ar.ReadU16();
        fieldIndex = ar.ReadU16();
        framed = ar.ReadU16();
        showFieldName = ar.ReadU16();
        embedded = ar.ReadU16();
    }
}

void CDrawEdit::SetLineColor(COLORREF color)
{
    textColor = color;
    Changed();
}

} // namespace orvel

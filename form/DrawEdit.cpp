#include "form/DrawEdit.h"

#include "form/DrawEditItem.h"
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
        ar.WriteString(caption);
        const auto fontBytes = font.toBytes();
        ar.WriteBytes(fontBytes.data(), fontBytes.size());
        ar.WriteU16(reserved);
        ar.WriteU32(textColor);
        ar.WriteU16(drawFlags);
        ar.WriteU16(alignment);
        ar.WriteU16(spareFlag);
        ar.WriteU16(uint16_t(fieldIndex));
        ar.WriteU16(framed);
        ar.WriteU16(showFieldName);
        ar.WriteU16(embedded);
    } else {
        caption = ar.ReadString();
        uint8_t fontBytes[LOGFONT::kStoredSize];
        ar.ReadBytes(fontBytes, sizeof fontBytes);
        font = LOGFONT::fromBytes(fontBytes);
        reserved = ar.ReadU16();
        textColor = ar.ReadU32();
        drawFlags = ar.ReadU16();
        alignment = ar.ReadU16();
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

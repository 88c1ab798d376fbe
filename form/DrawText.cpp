#include "form/DrawText.h"

#include "form/FormObjects.h"
#include "platform/Codepage.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <algorithm>

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawText, CDrawObj, 0);

CDrawText::CDrawText()
    : CDrawText(RECT{})
{}

CDrawText::CDrawText(const RECT &position_, const DrawColors &colors)
    : CDrawObj(position_, colors)
    , text(LoadAnsiString(ids::kDefaultTextObject))
    , font(StockFont(DEFAULT_GUI_FONT))
    , textColor(colors.line)
{}

void CDrawText::SerializeTextStyle(CArchive &ar, AnsiString &text, LOGFONT &font, uint16_t &reserved,
                                   COLORREF &textColor, uint16_t &drawFlags, uint16_t &alignment)
{
    if (ar.IsStoring()) {
        ar.WriteString(text);
        const auto fontBytes = font.toBytes();
        ar.WriteBytes(fontBytes.data(), fontBytes.size());
        ar.WriteU16(reserved);
        ar.WriteU32(textColor);
        ar.WriteU16(drawFlags);
        ar.WriteU16(alignment);
    } else {
        text = ar.ReadString();
        uint8_t fontBytes[LOGFONT::kStoredSize];
        ar.ReadBytes(fontBytes, sizeof fontBytes);
        font = LOGFONT::fromBytes(fontBytes);
        reserved = ar.ReadU16();
        textColor = ar.ReadU32();
        drawFlags = ar.ReadU16();
        alignment = ar.ReadU16();
    }
}

void CDrawText::Serialize(CArchive &ar)
{
    CDrawObj::Serialize(ar);
    SerializeTextStyle(ar, text, font, reserved, textColor, drawFlags, alignment);
    if (ar.IsStoring())
        ar.WriteU16(wordWrap);
    else
        wordWrap = ar.ReadU16();
}

void CDrawText::SetLineColor(COLORREF color)
{
    textColor = color;
    Changed();
}

void CDrawText::Draw(CDC &dc, const DrawContext &)
{
    dc.SelectFont(font);
    dc.SetTextColor(textColor);
    dc.SetBkMode(TRANSPARENT);
    RECT r = GetNormalizedPosition();
    dc.DrawText(AnsiToQString(text), r, drawFlags);
}

std::unique_ptr<CDrawObj> CDrawText::Clone() const
{
    auto clone = std::make_unique<CDrawText>(position);
    CopyLookTo(*clone);
    clone->text = text;
    clone->font = font;
    clone->reserved = reserved;
    clone->textColor = textColor;
    clone->drawFlags = drawFlags;
    clone->alignment = alignment;
    clone->wordWrap = wordWrap;
    return clone;
}

RECT CDrawText::FittedPosition(CDC &dc) const
{
    dc.SelectFont(font);
    RECT measured = GetNormalizedPosition();
    dc.DrawText(AnsiToQString(text), measured, drawFlags | DT_CALCRECT);
    measured.right = std::min(measured.right, int32_t(CFormObjects::kFormWidth));
    measured.bottom = std::min(measured.bottom, int32_t(CFormObjects::kFormHeight));
    return measured;
}

} // namespace orvel

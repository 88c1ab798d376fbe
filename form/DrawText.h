#pragma once

#include "form/DrawObj.h"

namespace orvel {

// A static text in its own font and colour.
class CDrawText : public CDrawObj
{
    ORVEL_DECLARE_CLASS(CDrawText);

public:
    // For the archive: the defaults of a new text.
    CDrawText();
    explicit CDrawText(const RECT &position, const DrawColors &colors = {});

    void Serialize(CArchive &ar) override;
    // The bytes that texts and data fields share after the object part: the
    // text, the 60-byte LOGFONT, reserved, text colour, draw flags and
    // alignment.
    static void SerializeTextStyle(CArchive &ar, AnsiString &text, LOGFONT &font, uint16_t &reserved,
                                   COLORREF &textColor, uint16_t &drawFlags, uint16_t &alignment);
    // The line colour of a text is its text colour.
    void SetLineColor(COLORREF color) override;

    // The text in its font and colour, transparent, with its draw flags; no
    // outline, no fill.
    void Draw(CDC &dc, const DrawContext &context) override;
    std::unique_ptr<CDrawObj> Clone() const override;
    int GetMenuIndex(const CDataTable *) const override { return 6; } // "DrawText"
    // "Optimale Größe": the rectangle the text needs in its font with its
    // flags (measured on `dc`) from its top-left corner, right and bottom at
    // most 3000. The designer moves the text there through its form.
    RECT FittedPosition(CDC &dc) const;

    AnsiString text;
    // lfEscapement and lfOrientation hold the angle in tenths of a degree.
    LOGFONT font;
    // Carried along and stored, never interpreted.
    uint16_t reserved = 0;
    COLORREF textColor = kDefaultLineColor;
    // Text-drawing flags: alignment 0 left, 1 centred, 2 right, 0x10 word wrap.
    uint16_t drawFlags = 0x10;
    uint16_t alignment = 0;
    uint16_t wordWrap = 1;
};

} // namespace orvel

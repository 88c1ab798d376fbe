#pragma once

#include "platform/AnsiString.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace orvel {

// A font as the files and the archive keep it: the 60-byte Windows font
// description, little-endian, face name zero-terminated and zero-padded.
struct LOGFONT
{
    int32_t lfHeight = 0; // < 0: character height, > 0: cell height, in pixels
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0; // tenths of a degree
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    std::array<char, 32> lfFaceName{};

    static constexpr size_t kStoredSize = 60;
    static constexpr size_t kFaceNameMax = 31;

    // The face name up to its terminator.
    AnsiString faceName() const;
    // Keeps at most 31 bytes; the rest of the array is zeroed.
    void setFaceName(AnsiView name);

    // The 60 stored bytes and back.
    std::array<uint8_t, kStoredSize> toBytes() const;
    static LOGFONT fromBytes(const uint8_t *bytes);

    friend bool operator==(const LOGFONT &, const LOGFONT &) = default;
};

// The two stock fonts are fixed descriptions, so that files and generated
// forms are the same bytes on every machine.
constexpr int DEFAULT_GUI_FONT = 17;
constexpr int ANSI_VAR_FONT = 12;
LOGFONT StockFont(int stockId);

// The line height of generated forms and new data fields: what these fonts
// measure at 96 dots per inch.
constexpr int kGeneratedFormLineHeight = 19;

// Colours are 0x00BBGGRR.
using COLORREF = uint32_t;
constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}
constexpr int GetRValue(COLORREF c)
{
    return int(c & 0xFF);
}
constexpr int GetGValue(COLORREF c)
{
    return int((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c)
{
    return int((c >> 16) & 0xFF);
}

// Where no main frame keeps them (orvel-cli, tests), new form objects take
// these line and fill colours.
constexpr COLORREF kDefaultLineColor = 0x00000000;
constexpr COLORREF kDefaultFillColor = 0x00FFFFFF;

} // namespace orvel

#include "platform/LogFont.h"
#include "platform/ByteOrder.h"

#include <algorithm>

namespace orvel {
namespace {

void putI32(uint8_t *p, int32_t v)
{
    WriteLe32(p, static_cast<uint32_t>(v));
}

int32_t getI32(const uint8_t *p)
{
    return static_cast<int32_t>(ReadLe32(p));
}

} // namespace

AnsiString LOGFONT::faceName() const
{
    const auto end = std::find(lfFaceName.begin(), lfFaceName.end(), '\0');
    return AnsiString(lfFaceName.begin(), end);
}

void LOGFONT::setFaceName(AnsiView name)
{
    lfFaceName.fill('\0');
    std::copy_n(name.begin(), std::min(name.size(), kFaceNameMax), lfFaceName.begin());
}

std::array<uint8_t, LOGFONT::kStoredSize> LOGFONT::toBytes() const
{
    std::array<uint8_t, kStoredSize> bytes{};
    putI32(&bytes[0], lfHeight);
    putI32(&bytes[4], lfWidth);
    putI32(&bytes[8], lfEscapement);
    putI32(&bytes[12], lfOrientation);
    putI32(&bytes[16], lfWeight);
    bytes[20] = lfItalic;
    bytes[21] = lfUnderline;
    bytes[22] = lfStrikeOut;
    bytes[23] = lfCharSet;
    bytes[24] = lfOutPrecision;
    bytes[25] = lfClipPrecision;
    bytes[26] = lfQuality;
    bytes[27] = lfPitchAndFamily;
    std::memcpy(&bytes[28], lfFaceName.data(), 32);
    return bytes;
}

LOGFONT LOGFONT::fromBytes(const uint8_t *bytes)
{
    LOGFONT font;
    font.lfHeight = getI32(&bytes[0]);
    font.lfWidth = getI32(&bytes[4]);
    font.lfEscapement = getI32(&bytes[8]);
    font.lfOrientation = getI32(&bytes[12]);
    font.lfWeight = getI32(&bytes[16]);
    font.lfItalic = bytes[20];
    font.lfUnderline = bytes[21];
    font.lfStrikeOut = bytes[22];
    font.lfCharSet = bytes[23];
    font.lfOutPrecision = bytes[24];
    font.lfClipPrecision = bytes[25];
    font.lfQuality = bytes[26];
    font.lfPitchAndFamily = bytes[27];
    std::memcpy(font.lfFaceName.data(), &bytes[28], 32);
    return font;
}

LOGFONT StockFont(int stockId)
{
    LOGFONT font;
    font.lfHeight = stockId == DEFAULT_GUI_FONT ? -11 : 12;
    font.lfWeight = 400;
    font.lfCharSet = 0;
    font.lfPitchAndFamily = 34;
    font.setFaceName("MS Sans Serif");
    return font;
}

} // namespace orvel

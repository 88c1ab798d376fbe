#include "document/DatabaseHeader.h"
#include "platform/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace orvel {

namespace {

using namespace dbfile;

void putI16(uint8_t *p, int32_t v)
{
    // The file keeps the low 16 bits of 32-bit values.
    WriteLe16(p, uint16_t(uint32_t(v) & 0xFFFFu));
}

int16_t getI16(const uint8_t *p)
{
    return int16_t(ReadLe16(p));
}

// A zero-terminated text in a fixed field; the field's last byte always
// stays zero, so a reader of the original layout finds its terminator.
void putText(uint8_t *p, std::size_t fieldSize, AnsiView text)
{
    const std::size_t n = std::min(text.size(), fieldSize - 1);
    std::memcpy(p, text.data(), n);
}

AnsiString getText(const uint8_t *p, std::size_t fieldSize)
{
    const auto *end = static_cast<const uint8_t *>(std::memchr(p, 0, fieldSize));
    return AnsiString(reinterpret_cast<const char *>(p), end ? std::size_t(end - p) : fieldSize);
}

} // namespace

void DatabaseHeader::Encode(uint8_t (&block)[kHeaderSize]) const
{
    std::memset(block, 0, sizeof block);
    uint8_t *b = block;
    WriteLe32(b + header::kRecordCount, recordCount);
    WriteLe16(b + header::kFieldCount, fieldCount);
    for (std::size_t k = 0; k < kMaxHeaderFields; ++k) {
        WriteLe16(b + header::kWidths + 2 * k, widths[k]);
        WriteLe16(b + header::kTypes + 2 * k, types[k]);
        WriteLe16(b + header::kFormats + 2 * k, formats[k]);
    }
    putI16(b + header::kOrientation, page.orientation);
    putI16(b + header::kPaperSource, page.paperSource);
    putI16(b + header::kPaperSize, page.paperSize);
    WriteLe32(b + header::kPrintMask, printMask);

    const LOGFONT &f = page.printFont;
    putI16(b + header::kFontValues + 0, f.lfHeight);
    putI16(b + header::kFontValues + 2, f.lfWidth);
    putI16(b + header::kFontValues + 4, f.lfEscapement);
    putI16(b + header::kFontValues + 6, f.lfOrientation);
    putI16(b + header::kFontValues + 8, f.lfWeight);
    const uint8_t fontBytes[8] = {f.lfItalic,       f.lfUnderline,     f.lfStrikeOut, f.lfCharSet,
                                  f.lfOutPrecision, f.lfClipPrecision, f.lfQuality,   f.lfPitchAndFamily};
    std::memcpy(b + header::kFontBytes, fontBytes, sizeof fontBytes);
    putText(b + header::kFontFace, kFaceNameSize, f.faceName());

    putI16(b + header::kLineStyle, page.lineStyle);
    putI16(b + header::kPrintNames, page.printFieldNames);
    putI16(b + header::kNumberRecords, page.numberRecords);
    putI16(b + header::kFitWidths, page.determineWidths);
    putI16(b + header::kMarginRight, page.marginRight);
    putI16(b + header::kMarginLeft, page.marginLeft);
    putI16(b + header::kMarginTop, page.marginTop);
    putI16(b + header::kMarginBottom, page.marginBottom);
    putI16(b + header::kAlignment, page.alignment);
    putText(b + header::kPageHeader, kPageTextSize, page.pageHeader);
    putText(b + header::kPageFooter, kPageTextSize, page.pageFooter);
    WriteLe16(b + header::kBlockSize, blockSize);
    for (std::size_t i = 0; i < kMaxBlockPositions; ++i)
        WriteLe32(b + header::kBlockPositions + 4 * i, blockPositions[i]);
}

DatabaseHeader DatabaseHeader::Decode(const uint8_t *b, bool withPaper)
{
    DatabaseHeader h;
    h.recordCount = ReadLe32(b + header::kRecordCount);
    h.fieldCount = ReadLe16(b + header::kFieldCount);
    for (std::size_t k = 0; k < kMaxHeaderFields; ++k) {
        h.widths[k] = ReadLe16(b + header::kWidths + 2 * k);
        h.types[k] = ReadLe16(b + header::kTypes + 2 * k);
        h.formats[k] = ReadLe16(b + header::kFormats + 2 * k);
    }
    if (withPaper) {
        h.page.orientation = getI16(b + header::kOrientation);
        h.page.paperSource = getI16(b + header::kPaperSource);
        h.page.paperSize = getI16(b + header::kPaperSize);
    }
    h.printMask = ReadLe32(b + header::kPrintMask);

    LOGFONT f;
    f.lfHeight = getI16(b + header::kFontValues + 0);
    f.lfWidth = getI16(b + header::kFontValues + 2);
    f.lfEscapement = getI16(b + header::kFontValues + 4);
    f.lfOrientation = getI16(b + header::kFontValues + 6);
    f.lfWeight = getI16(b + header::kFontValues + 8);
    const uint8_t *fb = b + header::kFontBytes;
    f.lfItalic = fb[0];
    f.lfUnderline = fb[1];
    f.lfStrikeOut = fb[2];
    f.lfCharSet = fb[3];
    f.lfOutPrecision = fb[4];
    f.lfClipPrecision = fb[5];
    f.lfQuality = fb[6];
    f.lfPitchAndFamily = fb[7];
    f.setFaceName(getText(b + header::kFontFace, kFaceNameSize));
    h.page.printFont = f;

    h.page.lineStyle = getI16(b + header::kLineStyle);
    h.page.printFieldNames = getI16(b + header::kPrintNames);
    h.page.numberRecords = getI16(b + header::kNumberRecords);
    h.page.determineWidths = getI16(b + header::kFitWidths);
    h.page.marginRight = getI16(b + header::kMarginRight);
    h.page.marginLeft = getI16(b + header::kMarginLeft);
    h.page.marginTop = getI16(b + header::kMarginTop);
    h.page.marginBottom = getI16(b + header::kMarginBottom);
    h.page.alignment = getI16(b + header::kAlignment);
    h.page.pageHeader = getText(b + header::kPageHeader, kPageTextSize);
    h.page.pageFooter = getText(b + header::kPageFooter, kPageTextSize);
    h.blockSize = ReadLe16(b + header::kBlockSize);
    for (std::size_t i = 0; i < kMaxBlockPositions; ++i)
        h.blockPositions[i] = ReadLe32(b + header::kBlockPositions + 4 * i);
    return h;
}

} // namespace orvel

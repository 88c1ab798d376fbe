#include "media/PictureFormat.h"

#include <cstdint>
#include <cstring>

namespace orvel {

QString PictureFormatName(int code)
{
    switch (code) {
    case kPictureFormatPcx:
        return QStringLiteral("ZSoft PCX");
    case kPictureFormatGif:
        return QStringLiteral("CompuServe GIF");
    case kPictureFormatTiff:
        return QStringLiteral("Tagged Image File Format");
    case kPictureFormatTarga:
        return QStringLiteral("TARGA");
    case kPictureFormatWindowsBmp:
        return QStringLiteral("Windows BMP");
    case kPictureFormatJfif:
        return QStringLiteral("JPEG File Interchange Format");
    case kPictureFormatTiffJpeg:
        return QStringLiteral("Tagged Image File (JPEG)");
    case kPictureFormatOs2Bmp1:
        return QStringLiteral("OS/2 BMP Version 1.x");
    case kPictureFormatWmf:
        return QStringLiteral("Windows Meta File");
    case kPictureFormatEps:
        return QStringLiteral("Encapsulated PostScript");
    case kPictureFormatCals:
        return QStringLiteral("CALS Raster");
    case kPictureFormatMacPaint:
        return QStringLiteral("MacPaint");
    case kPictureFormatGemImage:
        return QStringLiteral("GEM Image");
    case kPictureFormatMsPaint:
        return QStringLiteral("Microsoft Paint");
    case kPictureFormatWordPerfect:
        return QStringLiteral("WordPerfect");
    case kPictureFormatSunRaster:
        return QStringLiteral("Sun Raster");
    case kPictureFormatPict:
        return QStringLiteral("Macintosh Pict");
    case kPictureFormatPhotoCd:
        return QStringLiteral("Kodak PhotoCD");
    case kPictureFormatEpsTiff:
        return QStringLiteral("Encapsulated PostScript & Embedded TIFF");
    case 66:
    case 67:
    case 68:
        return QStringLiteral("Raw FAX");
    case 69:
    case 70:
        return QStringLiteral("WinFax");
    case 71:
    case 72:
    case 73:
        return QStringLiteral("IOCA");
    case kPictureFormatOs2Bmp2:
        return QStringLiteral("OS/2 BMP Version 2.x");
    case kPictureFormatPng:
        return QStringLiteral("Portable Network Graphics");
    case kPictureFormatPhotoshop:
        return QStringLiteral("Adobe Photoshop 3.0");
    default:
        return QStringLiteral("??");
    }
}

namespace {

class Head
{
public:
    explicit Head(QByteArrayView bytes)
        : m_bytes(bytes)
    {}
    qsizetype size() const { return m_bytes.size(); }
    bool startsWith(const char *magic, qsizetype at = 0) const
    {
        const auto length = static_cast<qsizetype>(std::strlen(magic));
        return at >= 0 && at <= size() - length && std::memcmp(m_bytes.data() + at, magic, size_t(length)) == 0;
    }
    bool has(qsizetype at, qsizetype length) const { return at >= 0 && length >= 0 && at <= size() - length; }
    unsigned u8(qsizetype at) const { return has(at, 1) ? static_cast<unsigned char>(m_bytes[at]) : 0u; }
    std::uint32_t u16(qsizetype at, bool little) const
    {
        return little ? u8(at) | u8(at + 1) << 8 : u8(at) << 8 | u8(at + 1);
    }
    std::uint32_t u32(qsizetype at, bool little) const
    {
        return little ? u16(at, true) | u16(at + 2, true) << 16 : u16(at, false) << 16 | u16(at + 2, false);
    }

private:
    QByteArrayView m_bytes;
};

// A bitmap file tells by the size of its information header which of the
// three bitmap variants it is.
int BitmapVariant(const Head &head)
{
    if (head.startsWith("BA"))
        return kPictureFormatOs2Bmp2; // bitmap array: only OS/2 2.x writes them
    if (!head.has(14, 4))
        return kPictureFormatWindowsBmp;
    switch (head.u32(14, true)) {
    case 12:
        return kPictureFormatOs2Bmp1;
    case 16:
    case 64:
        return kPictureFormatOs2Bmp2;
    default:
        return kPictureFormatWindowsBmp;
    }
}

// A TIFF whose first picture is JPEG-compressed (compression 6 or 7) has a
// name of its own. Looks only at the first directory and only inside the head.
int TiffVariant(const Head &head)
{
    const bool little = head.startsWith("II");
    const std::uint32_t ifd = head.u32(4, little);
    if (ifd > static_cast<std::uint32_t>(head.size()) || !head.has(qsizetype(ifd), 2))
        return kPictureFormatTiff;
    const std::uint32_t count = head.u16(qsizetype(ifd), little);
    for (std::uint32_t i = 0; i < count; ++i) {
        const qsizetype entry = qsizetype(ifd) + 2 + qsizetype(i) * 12;
        if (!head.has(entry, 12))
            break;
        if (head.u16(entry, little) == 259) { // compression
            const std::uint32_t compression = head.u16(entry + 8, little);
            return compression == 6 || compression == 7 ? kPictureFormatTiffJpeg : kPictureFormatTiff;
        }
    }
    return kPictureFormatTiff;
}

// The 18-byte TARGA header: a colour map type of 0 or 1, one of the six
// image types (colour-mapped, true-colour, grey; each plain or run-length
// encoded), a colour map that the image type needs and whose entries have a
// known size, a size, and a known pixel depth.
bool IsTargaHeader(const Head &head)
{
    if (!head.has(0, 18))
        return false;
    const unsigned mapType = head.u8(1);
    const unsigned imageType = head.u8(2);
    const std::uint32_t mapLength = head.u16(5, true);
    const unsigned mapEntryBits = head.u8(7);
    const std::uint32_t width = head.u16(12, true);
    const std::uint32_t height = head.u16(14, true);
    const unsigned depth = head.u8(16);
    if (mapType > 1 || width == 0 || height == 0)
        return false;
    const unsigned baseType = imageType & ~8u;
    if (imageType > 11 || baseType < 1 || baseType > 3)
        return false;
    if (baseType == 1 && (mapType != 1 || depth != 8))
        return false;
    if (mapType == 1
        && (mapLength == 0 || (mapEntryBits != 15 && mapEntryBits != 16 && mapEntryBits != 24 && mapEntryBits != 32)))
        return false;
    return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

// A MacPaint file as the Macintosh leaves it has no signature of its own:
// its header starts with the version 0, 2 or 3 (big-endian) and is 512
// bytes long, before at least one packed row.
bool IsMacPaintHeader(const Head &head)
{
    if (!head.has(0, 513))
        return false;
    const std::uint32_t version = head.u32(0, false);
    return version == 0 || version == 2 || version == 3;
}

} // namespace

bool HasMacBinaryHeader(QByteArrayView bytes)
{
    // Version 0, a name of 1 to 63 bytes, the file type "PNTG", the two
    // bytes that must be zero, and a data fork long enough for the header.
    const Head head(bytes);
    return head.u8(0) == 0 && head.u8(1) >= 1 && head.u8(1) <= 63 && head.startsWith("PNTG", 65) && head.u8(74) == 0
           && head.u8(82) == 0 && head.u32(83, false) > 512 && head.has(0, 128 + 513);
}

int RecognisePictureFile(QByteArrayView bytes, QStringView extension)
{
    const int bySignature = DetectPictureFormat(bytes);
    if (bySignature != kPictureFormatUnknown)
        return bySignature;
    const Head head(bytes);
    if (extension.compare(u"tga", Qt::CaseInsensitive) == 0 && IsTargaHeader(head))
        return kPictureFormatTarga;
    if (extension.compare(u"mac", Qt::CaseInsensitive) == 0 && IsMacPaintHeader(head))
        return kPictureFormatMacPaint;
    return kPictureFormatUnknown;
}

int DetectPictureFormat(QByteArrayView bytes, QByteArrayView decoderFormat)
{
    const Head head(bytes);
    if (head.startsWith("BM") || head.startsWith("BA"))
        return BitmapVariant(head);
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return kPictureFormatGif;
    if (head.startsWith("II*") && head.u8(3) == 0)
        return TiffVariant(head);
    if (head.startsWith("MM") && head.u8(2) == 0 && head.u8(3) == 42)
        return TiffVariant(head);
    if (head.startsWith("\xFF\xD8\xFF"))
        return kPictureFormatJfif;
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return kPictureFormatPng;
    if (head.startsWith("8BPS"))
        return kPictureFormatPhotoshop;
    if (head.startsWith("\xC5\xD0\xD3\xC6"))
        return kPictureFormatEpsTiff;
    if (head.startsWith("%!PS-Adobe") && bytes.first(qMin<qsizetype>(bytes.size(), 80)).contains("EPSF"))
        return kPictureFormatEps;
    if (head.startsWith("\xD7\xCD\xC6\x9A"))
        return kPictureFormatWmf; // placeable metafile
    if ((head.u16(0, true) == 1 || head.u16(0, true) == 2) && head.u16(2, true) == 9
        && (head.u16(4, true) == 0x100 || head.u16(4, true) == 0x300))
        return kPictureFormatWmf;
    if (head.startsWith("\x59\xA6\x6A\x95"))
        return kPictureFormatSunRaster;
    if (head.startsWith("DanM") || head.startsWith("LinS"))
        return kPictureFormatMsPaint;
    if (head.startsWith("\xFFWPC"))
        return kPictureFormatWordPerfect;
    if (head.startsWith("PCD_IPI", 2048))
        return kPictureFormatPhotoCd;
    if (HasMacBinaryHeader(bytes))
        return kPictureFormatMacPaint;
    if (head.startsWith("srcdocid:") || head.startsWith("rorient:") || head.startsWith("rtype:"))
        return kPictureFormatCals;
    // PCX: manufacturer 10, a known version, run-length encoding 0 or 1.
    if (head.u8(0) == 0x0A && head.has(0, 128)) {
        const unsigned version = head.u8(1);
        if ((version <= 5 && version != 1) && head.u8(2) <= 1)
            return kPictureFormatPcx;
    }

    // Formats without a signature are named by the decoder that read them.
    if (decoderFormat == "tga")
        return kPictureFormatTarga;
    if (decoderFormat == "pcx")
        return kPictureFormatPcx;
    if (decoderFormat == "pict" || decoderFormat == "pct")
        return kPictureFormatPict;
    if (decoderFormat == "mac")
        return kPictureFormatMacPaint;
    if (decoderFormat == "img")
        return kPictureFormatGemImage;
    return kPictureFormatUnknown;
}

} // namespace orvel

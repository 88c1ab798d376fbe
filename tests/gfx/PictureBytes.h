#pragma once

// Picture files built byte by byte, for the formats no library here writes
// and for headers that lie.
#include <QByteArray>
#include <QByteArrayView>
#include <QColor>

#include <initializer_list>

#include <cstdint>

namespace orvel::test {

class PictureBytes
{
public:
    PictureBytes &u8(unsigned v)
    {
        m_bytes += char(v & 0xFF);
        return *this;
    }
    PictureBytes &le16(unsigned v) { return u8(v).u8(v >> 8); }
    PictureBytes &le32(std::uint32_t v) { return le16(v & 0xFFFF).le16(v >> 16); }
    PictureBytes &be16(unsigned v) { return u8(v >> 8).u8(v); }
    PictureBytes &be32(std::uint32_t v) { return be16(v >> 16).be16(v & 0xFFFF); }
    PictureBytes &raw(QByteArrayView bytes)
    {
        m_bytes += bytes;
        return *this;
    }
    PictureBytes &zeros(qsizetype count) { return raw(QByteArray(count, '\0')); }

    qsizetype size() const { return m_bytes.size(); }
    const QByteArray &bytes() const { return m_bytes; }
    operator const QByteArray &() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// The CRC of PNG chunks.
inline std::uint32_t Crc32(QByteArrayView bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= std::uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

// A PNG file that stops after its header chunk.
inline QByteArray PngHeader(std::uint32_t width, std::uint32_t height)
{
    PictureBytes chunk;
    chunk.raw("IHDR").be32(width).be32(height).u8(8).u8(2).u8(0).u8(0).u8(0);
    PictureBytes file;
    file.raw("\x89PNG\r\n\x1A\n").be32(13).raw(chunk.bytes()).be32(Crc32(chunk.bytes()));
    return file;
}

// The 18-byte header of a TARGA file.
inline PictureBytes TargaHeader(unsigned mapType, unsigned imageType, unsigned mapLength, unsigned mapBits,
                                unsigned width, unsigned height, unsigned depth)
{
    PictureBytes b;
    b.u8(0).u8(mapType).u8(imageType).le16(0).le16(mapLength).u8(mapBits);
    b.le16(0).le16(0).le16(width).le16(height).u8(depth).u8(0x20); // top-down rows
    return b;
}

// The MacBinary header a Macintosh puts before a MacPaint file.
inline QByteArray MacBinaryHeader(const char *type, std::uint32_t dataLength)
{
    QByteArray b(128, '\0');
    b[1] = 5;
    b.replace(2, 5, "Paint");
    b.replace(65, 4, type);
    b.replace(69, 4, "MPNT");
    for (int i = 0; i < 4; ++i)
        b[83 + i] = char(dataLength >> (24 - 8 * i));
    return b;
}

// Six colours that no conversion mixes up; the sample picture of 6 × 4
// pixels has colour (x + y) % 6 at (x, y).
inline const QRgb kSampleColours[6] = {qRgb(255, 0, 0),  qRgb(0, 255, 0),     qRgb(0, 0, 255),
                                       qRgb(10, 20, 30), qRgb(255, 255, 255), qRgb(0, 0, 0)};

// A placeable metafile of 1 × 0.5 inches (1440 units an inch) filled with a
// red rectangle.
inline QByteArray Metafile(unsigned width = 1440, unsigned height = 720, unsigned unitsPerInch = 1440)
{
    PictureBytes records;
    const auto record = [&records](unsigned function, std::initializer_list<unsigned> parameters) {
        records.le32(std::uint32_t(3 + parameters.size())).le16(function);
        for (unsigned p : parameters)
            records.le16(p);
    };
    record(0x020B, {0, 0});                 // SetWindowOrg
    record(0x020C, {height, width});        // SetWindowExt
    record(0x02FC, {0, 0x00FF, 0x0000, 0}); // CreateBrushIndirect: solid red
    record(0x012D, {0});                    // SelectObject
    record(0x041B, {height, width, 0, 0});  // Rectangle
    record(0x0000, {});                     // end
    PictureBytes placeable;
    placeable.le32(0x9AC6CDD7).le16(0).le16(0).le16(0).le16(width).le16(height).le16(unitsPerInch).le32(0);
    unsigned checksum = 0;
    for (int i = 0; i < 20; i += 2)
        checksum ^= quint8(placeable.bytes()[i]) | quint8(placeable.bytes()[i + 1]) << 8;
    placeable.le16(checksum);
    PictureBytes header;
    header.le16(1).le16(9).le16(0x300).le32(std::uint32_t(9 + records.size() / 2)).le16(1).le32(7).le16(0);
    return placeable.bytes() + header.bytes() + records.bytes();
}

// A WordPerfect graphic (level 1) with the sample picture as an 8-bit
// bitmap and the sample colours as its palette.
inline QByteArray WordPerfectGraphic(unsigned width = 6, unsigned height = 4)
{
    PictureBytes b;
    b.raw("\xFFWPC").le32(16).u8(1).u8(0x16).u8(1).u8(0).le16(0).le16(0);
    b.u8(0x0F).u8(6).u8(1).u8(0).le16(width).le16(height); // start of the graphic
    b.u8(0x0E).u8(4 + 3 * 6).le16(0).le16(6);
    for (QRgb c : kSampleColours)
        b.u8(unsigned(qRed(c))).u8(unsigned(qGreen(c))).u8(unsigned(qBlue(c)));
    PictureBytes rows;
    for (unsigned y = 0; y < 4; ++y) {
        rows.u8(6); // six bytes as they are
        for (unsigned x = 0; x < 6; ++x)
            rows.u8((x + y) % 6);
    }
    b.u8(0x0B).u8(unsigned(10 + rows.size())).le16(width).le16(height).le16(8).le16(0).le16(0).raw(rows.bytes());
    b.u8(0x10).u8(0);
    return b;
}

// A colour-mapped, run-length encoded TARGA file of the sample picture.
inline QByteArray ColourMappedTarga(unsigned width = 6, unsigned height = 4)
{
    PictureBytes b = TargaHeader(1, 9, 6, 24, width, height, 8);
    for (QRgb c : kSampleColours)
        b.u8(unsigned(qBlue(c))).u8(unsigned(qGreen(c))).u8(unsigned(qRed(c)));
    for (unsigned y = 0; y < 4; ++y) {
        b.u8(5); // a raw packet of six pixels
        for (unsigned x = 0; x < 6; ++x)
            b.u8((x + y) % 6);
    }
    return b;
}

// A MacPaint picture: black above the middle, white below, except the first
// row, which starts with four white pixels.
inline QByteArray MacPaintRows()
{
    PictureBytes rows;
    rows.u8(0).u8(0x0F).u8(0xBA).u8(0xFF); // one byte as it is, then 71 black bytes
    for (int y = 1; y < 720; ++y)
        rows.u8(0xB9).u8(y < 360 ? 0xFF : 0x00); // 72 equal bytes
    return rows;
}

inline QByteArray PlainMacPaint()
{
    return PictureBytes().be32(2).zeros(508).raw(MacPaintRows()).bytes();
}

inline QByteArray MacBinaryMacPaint()
{
    const QByteArray data = PlainMacPaint();
    return MacBinaryHeader("PNTG", std::uint32_t(data.size())) + data;
}

} // namespace orvel::test

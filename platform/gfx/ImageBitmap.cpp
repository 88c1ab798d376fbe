#include "platform/gfx/ImageBitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace orvel {

namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint64_t kInfoHeaderSize = 40;
constexpr int kPaletteEntries = 256;

class LittleEndianWriter
{
public:
    explicit LittleEndianWriter(char *data)
        : m_data(data)
    {}
    void u16(std::uint32_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    void i32(std::int32_t v) { put(static_cast<std::uint32_t>(v), 4); }
    void bytes(const char *s, std::size_t n)
    {
        std::memcpy(m_data, s, n);
        m_data += n;
    }

private:
    void put(std::uint32_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            *m_data++ = static_cast<char>(static_cast<unsigned char>(v >> (8 * i)));
    }
    char *m_data;
};

// A bitmap file has no transparency: lay the picture on white, as it would
// look on a white page. Done by hand, so that saving needs no paint engine
// (orvel-cli runs without a display).
QImage Opaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage flat = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < flat.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(flat.scanLine(y));
        for (int x = 0; x < flat.width(); ++x) {
            const int a = qAlpha(line[x]);
            const auto blend = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            line[x] = qRgb(blend(qRed(line[x])), blend(qGreen(line[x])), blend(qBlue(line[x])));
        }
    }
    return flat.convertToFormat(QImage::Format_RGB32);
}

} // namespace

ImageBitmap::ImageBitmap(QImage image, short bitsPerPixel)
    : m_image(std::move(image))
    , m_bits(bitsPerPixel != 0 ? bitsPerPixel : BitsOf(m_image.format(), m_image.colorCount()))
{}

BitmapPtr ImageBitmap::Make(QImage image, short bitsPerPixel)
{
    if (image.isNull())
        return nullptr;
    return std::make_shared<const ImageBitmap>(std::move(image), bitsPerPixel);
}

const QImage &ImageBitmap::scaled(QSize size) const
{
    if (size == m_image.size() || size.isEmpty())
        return m_image;
    if (m_scaled.size() != size)
        m_scaled = m_image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return m_scaled;
}

QImage ImageBitmap::ImageOf(const Bitmap &bitmap)
{
    const auto *image = dynamic_cast<const ImageBitmap *>(&bitmap);
    return image ? image->m_image : QImage();
}

short ImageBitmap::BitsOf(QImage::Format format, int colorCount)
{
    switch (format) {
    case QImage::Format_Invalid:
        return 0;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return 1;
    case QImage::Format_Indexed8:
        if (colorCount > 0 && colorCount <= 2)
            return 1;
        if (colorCount > 0 && colorCount <= 16)
            return 4;
        return 8;
    case QImage::Format_Grayscale8:
    case QImage::Format_Alpha8:
        return 8;
    case QImage::Format_RGB16:
    case QImage::Format_RGB555:
    case QImage::Format_RGB444:
        return 16;
    case QImage::Format_RGB32:
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGB666:
        return 24;
    default:
        return 32;
    }
}

BitmapPtr ImageBitmap::converted(short bitsPerPixel) const
{
    switch (bitsPerPixel) {
    case 8:
        return Make(m_image.format() == QImage::Format_Indexed8 ? m_image
                                                                : m_image.convertToFormat(QImage::Format_Indexed8));
    case 24:
        return Make(m_image.convertToFormat(QImage::Format_RGB32), 24);
    case 32:
        return Make(m_image.convertToFormat(QImage::Format_ARGB32), 32);
    default:
        return nullptr;
    }
}

std::optional<QByteArray> ImageBitmap::windowsBmp(short bitsPerPixel) const
{
    return EncodeWindowsBmp(m_image, bitsPerPixel);
}

std::optional<QByteArray> EncodeWindowsBmp(const QImage &source, int bitsPerPixel)
{
    if (source.isNull() || (bitsPerPixel != 8 && bitsPerPixel != 24))
        return std::nullopt;
    QImage image = Opaque(source);
    if (bitsPerPixel == 8) {
        if (image.format() != QImage::Format_Indexed8)
            image = image.convertToFormat(QImage::Format_Indexed8);
    } else if (image.format() != QImage::Format_RGB32) {
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    if (image.isNull())
        return std::nullopt;

    const auto width = static_cast<std::uint64_t>(image.width());
    const auto height = static_cast<std::uint64_t>(image.height());
    const std::uint64_t stride = (width * std::uint64_t(bitsPerPixel) + 31) / 32 * 4;
    const std::uint64_t paletteSize = bitsPerPixel == 8 ? kPaletteEntries * 4 : 0;
    const std::uint64_t offBits = kFileHeaderSize + kInfoHeaderSize + paletteSize;
    const std::uint64_t imageSize = stride * height;
    const std::uint64_t fileSize = offBits + imageSize;
    if (fileSize > 0xFFFFFFFFu || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return std::nullopt;

    QByteArray bytes(static_cast<qsizetype>(fileSize), '\0');
    LittleEndianWriter out(bytes.data());
    out.bytes("BM", 2);
    out.u32(static_cast<std::uint32_t>(fileSize));
    out.u32(0); // two reserved words
    out.u32(static_cast<std::uint32_t>(offBits));
    out.u32(static_cast<std::uint32_t>(kInfoHeaderSize));
    out.i32(static_cast<std::int32_t>(width));
    out.i32(static_cast<std::int32_t>(height)); // positive: rows bottom-up
    out.u16(1);                                 // planes
    out.u16(static_cast<std::uint32_t>(bitsPerPixel));
    out.u32(0); // no compression
    out.u32(static_cast<std::uint32_t>(imageSize));
    out.i32(std::max(0, image.dotsPerMeterX()));
    out.i32(std::max(0, image.dotsPerMeterY()));
    out.u32(bitsPerPixel == 8 ? kPaletteEntries : 0); // colours used
    out.u32(0);                                       // all colours important

    char *pixels = bytes.data() + offBits;
    if (bitsPerPixel == 8) {
        // The full 256 entries, so that every index a row may hold is
        // defined; unused entries are black.
        const QList<QRgb> table = image.colorTable();
        char *palette = bytes.data() + kFileHeaderSize + kInfoHeaderSize;
        for (int i = 0; i < kPaletteEntries && i < table.size(); ++i) {
            palette[4 * i] = static_cast<char>(qBlue(table[i]));
            palette[4 * i + 1] = static_cast<char>(qGreen(table[i]));
            palette[4 * i + 2] = static_cast<char>(qRed(table[i]));
        }
        for (std::uint64_t y = 0; y < height; ++y)
            std::memcpy(pixels + (height - 1 - y) * stride, image.constScanLine(int(y)), width);
    } else {
        for (std::uint64_t y = 0; y < height; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(int(y)));
            char *row = pixels + (height - 1 - y) * stride;
            for (std::uint64_t x = 0; x < width; ++x) {
                row[3 * x] = static_cast<char>(qBlue(line[x]));
                row[3 * x + 1] = static_cast<char>(qGreen(line[x]));
                row[3 * x + 2] = static_cast<char>(qRed(line[x]));
            }
        }
    }
    return bytes;
}

} // namespace orvel

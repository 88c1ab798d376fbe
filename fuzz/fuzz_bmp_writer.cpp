// Writes pictures made from arbitrary bytes as Windows bitmaps, as saving a
// picture or a scan does: size (up to 64 × 64), pixel format, colour table,
// resolution and pixels all come from the input. Every picture must give a
// file whose header adds up and that Qt reads back at the same size; a
// 24-bit file must hold exactly the picture laid on white, and an 8-bit file
// of a colour-mapped picture exactly its colours.
#include "platform/gfx/ImageBitmap.h"

#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

constexpr QImage::Format kFormats[] = {
        QImage::Format_Mono,        QImage::Format_MonoLSB,
        QImage::Format_Indexed8,    QImage::Format_RGB32,
        QImage::Format_ARGB32,      QImage::Format_ARGB32_Premultiplied,
        QImage::Format_RGB16,       QImage::Format_RGB888,
        QImage::Format_Grayscale8,  QImage::Format_RGBA8888,
        QImage::Format_Grayscale16, QImage::Format_RGBX64,
        QImage::Format_RGB555,      QImage::Format_ARGB4444_Premultiplied,
        QImage::Format_BGR888,      QImage::Format_Alpha8,
};

class Input
{
public:
    Input(const uint8_t *data, size_t size)
        : m_data(data)
        , m_left(size)
    {}
    // The next byte; 0 once the input is used up.
    uint8_t byte()
    {
        if (m_left == 0)
            return 0;
        --m_left;
        return *m_data++;
    }

private:
    const uint8_t *m_data;
    size_t m_left;
};

uint32_t le(const QByteArray &b, int at, int size)
{
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | uint8_t(b[at + i]);
    return v;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QImage makePicture(Input &in)
{
    const int width = 1 + in.byte() % 64;
    const int height = 1 + in.byte() % 64;
    const QImage::Format format = kFormats[in.byte() % std::size(kFormats)];
    QImage image(width, height, format);
    if (format == QImage::Format_Mono || format == QImage::Format_MonoLSB || format == QImage::Format_Indexed8) {
        // Any number of colours, also fewer than the pixels use.
        const int colours = (in.byte() | in.byte() << 8) % 257;
        image.setColorCount(colours);
        for (int i = 0; i < colours; ++i) {
            const uint8_t r = in.byte(), g = in.byte(), b = in.byte(), a = in.byte();
            image.setColor(i, qRgba(r, g, b, a));
        }
    }
    image.setDotsPerMeterX(in.byte() * 100);
    image.setDotsPerMeterY(in.byte() * 100);
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (qsizetype x = 0; x < image.bytesPerLine(); ++x)
            line[x] = in.byte();
    }
    return image;
}

// The picture as a bitmap file shows it: laid on white.
QRgb onWhite(QRgb pixel)
{
    const int a = qAlpha(pixel);
    const auto blend = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
    return qRgb(blend(qRed(pixel)), blend(qGreen(pixel)), blend(qBlue(pixel)));
}

bool usesOnlyItsOpaqueColours(const QImage &image)
{
    if (image.format() != QImage::Format_Indexed8)
        return false;
    for (QRgb colour : image.colorTable()) {
        if (qAlpha(colour) != 255)
            return false;
    }
    for (int y = 0; y < image.height(); ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] >= image.colorCount())
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const int bits = in.byte() & 1 ? 24 : 8;
    const QImage picture = makePicture(in);
    const std::optional<QByteArray> file = orvel::EncodeWindowsBmp(picture, bits);
    check(file.has_value());
    const QByteArray &b = *file;

    const uint32_t stride = (uint32_t(picture.width()) * uint32_t(bits) + 31) / 32 * 4;
    const uint32_t offBits = 14 + 40 + (bits == 8 ? 1024 : 0);
    check(b.size() == qsizetype(offBits + stride * uint32_t(picture.height())));
    check(b.startsWith("BM") && le(b, 2, 4) == uint32_t(b.size()) && le(b, 10, 4) == offBits);
    check(le(b, 14, 4) == 40 && le(b, 18, 4) == uint32_t(picture.width())
          && le(b, 22, 4) == uint32_t(picture.height()));
    check(le(b, 26, 2) == 1 && le(b, 28, 2) == uint32_t(bits) && le(b, 30, 4) == 0);

    const QImage back = QImage::fromData(b, "BMP");
    check(!back.isNull() && back.size() == picture.size());
    if (bits == 24) {
        const QImage source = picture.hasAlphaChannel() ? picture.convertToFormat(QImage::Format_ARGB32)
                                                        : picture.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x)
                check(back.pixel(x, y) == onWhite(source.pixel(x, y)));
        }
    } else if (usesOnlyItsOpaqueColours(picture)) {
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x)
                check(back.pixel(x, y) == picture.pixel(x, y));
        }
    }
    return 0;
}

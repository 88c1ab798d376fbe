#pragma once

#include "platform/Bitmap.h"

#include <QImage>

namespace orvel {

// A Bitmap whose pixels are a QImage: what the graphics layer's decoders
// make and what its device context stretches.
class ImageBitmap final : public Bitmap
{
public:
    // `bitsPerPixel` 0: taken from the image's format and palette.
    explicit ImageBitmap(QImage image, short bitsPerPixel = 0);

    static BitmapPtr Make(QImage image, short bitsPerPixel = 0);
    // The image of a bitmap made by this layer; a null image for any other.
    static QImage ImageOf(const Bitmap &bitmap);
    // The depth a file had, told by the format Qt read it into and the size of
    // its palette (Qt widens 1- and 4-bit palettes to 8 bits).
    static short BitsOf(QImage::Format format, int colorCount);

    const QImage &image() const { return m_image; }
    // The whole picture smoothly scaled to `size` device pixels. The last
    // size asked for is kept, so that a picture on a form is scaled once
    // and not at every repaint.
    const QImage &scaled(QSize size) const;

    int width() const override { return m_image.width(); }
    int height() const override { return m_image.height(); }
    short bitsPerPixel() const override { return m_bits; }
    int dotsPerMeterX() const override { return m_image.dotsPerMeterX(); }
    int dotsPerMeterY() const override { return m_image.dotsPerMeterY(); }
    BitmapPtr converted(short bitsPerPixel) const override;
    std::optional<QByteArray> windowsBmp(short bitsPerPixel) const override;

private:
    QImage m_image;
    short m_bits;
    mutable QImage m_scaled;
};

// The bytes of a Windows bitmap file (file header, 40-byte information
// header, palette, rows bottom-up padded to four bytes, uncompressed) of
// `image` with 8 bits per pixel (palette of at most 256 colours, taken from
// the picture) or 24. Transparent parts are laid on white, since a bitmap
// file has no transparency. Nothing for another depth, a null image, or a
// picture whose file would not fit the format's 32-bit sizes.
std::optional<QByteArray> EncodeWindowsBmp(const QImage &image, int bitsPerPixel);

} // namespace orvel

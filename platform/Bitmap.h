#pragma once

#include <QByteArray>

#include <memory>
#include <optional>

namespace orvel {

class Bitmap;
using BitmapPtr = std::shared_ptr<const Bitmap>;

// A decoded picture, as the imaging control holds it. Its pixels stay with
// the graphics layer that decoded it; the core asks only for its facts, a
// copy in another depth and its bytes as a Windows bitmap file. A Bitmap
// never changes, so one instance may hand it to another cheaply.
class Bitmap
{
public:
    virtual ~Bitmap() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    // 1, 4, 8, 16, 24 or 32, as the file had it.
    virtual short bitsPerPixel() const = 0;
    // Dots per meter as the file stated them; 0 when it stated none.
    virtual int dotsPerMeterX() const = 0;
    virtual int dotsPerMeterY() const = 0;

    // A copy with 8 (palette), 24 or 32 bits per pixel; null for another
    // depth.
    virtual BitmapPtr converted(short bitsPerPixel) const = 0;

    // The bytes of a Windows bitmap file with 8 bits per pixel (a palette of
    // at most 256 colours taken from the picture) or 24; transparent parts
    // are laid on white. Nothing for another depth, or a picture whose file
    // would not fit the format's 32-bit sizes.
    virtual std::optional<QByteArray> windowsBmp(short bitsPerPixel) const = 0;
};

} // namespace orvel

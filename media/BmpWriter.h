#pragma once

#include <QByteArray>
#include <QImage>

#include <optional>

namespace orvel {

// The bytes of a Windows bitmap file (file header, 40-byte information
// header, palette, rows bottom-up padded to four bytes, uncompressed) of
// `image` with 8 bits per pixel (palette of at most 256 colours, taken from
// the picture) or 24. Transparent parts are laid on white, since a bitmap
// file has no transparency. Nothing for another depth, a null image, or a
// picture whose file would not fit the format's 32-bit sizes.
std::optional<QByteArray> EncodeWindowsBmp(const QImage &image, int bitsPerPixel);

} // namespace orvel

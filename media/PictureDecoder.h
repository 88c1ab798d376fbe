#pragma once

#include <QImage>
#include <QString>

namespace orvel {

// A second decoder for formats Qt's image plugins do not read. The program's
// media layer registers one at start-up (legacy formats); the core itself
// links none. It fills *image and returns true when it decoded the file, and
// may set *formatCode to the picture format code it recognised (left alone
// otherwise). It must not throw.
using PictureDecoder = bool (*)(const QString &path, QImage *image, int *formatCode);

// Adds a decoder after those registered before; adding one twice has no
// effect. Not thread-safe: register before pictures are loaded.
void RegisterPictureDecoder(PictureDecoder decoder);
// Removes a decoder (tests, shutdown of the layer that registered it).
void UnregisterPictureDecoder(PictureDecoder decoder);

// Decodes a picture file: Qt's image readers first (the format found from the
// file's contents, not its name), then every registered decoder in order.
// On success returns true, *image holds the picture and *formatCode the
// file's format code (kPictureFormatUnknown when nobody could name it).
bool DecodePicture(const QString &path, QImage *image, int *formatCode);

} // namespace orvel

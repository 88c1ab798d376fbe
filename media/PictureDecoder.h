#pragma once

#include "platform/Bitmap.h"

#include <QString>

namespace orvel {

// What a decoder can tell of a picture file from its header alone.
struct PictureFacts
{
    int formatCode = 0; // see PictureFormat.h
    int width = 0;
    int height = 0;
    short bitsPerPixel = 0;
};

// A picture decoder of the graphics layer. The core decodes nothing itself:
// the program (and the tests) register Qt's image readers first at start and
// the decoder of legacy formats after them; orvel-cli registers none, since
// it never shows a picture.
struct PictureDecoder
{
    // Decodes the file; sets *formatCode where the decoder can name the
    // format (left alone otherwise). Null when it cannot read the file. It
    // must not throw.
    BitmapPtr (*decode)(const QString &path, int *formatCode) = nullptr;
    // The facts from the header without decoding; false when this decoder
    // cannot tell them that way (may be null).
    bool (*examine)(const QString &path, PictureFacts *facts) = nullptr;
};

// Adds a decoder after those registered before; adding one twice has no
// effect. Not thread-safe: register before pictures are loaded.
void RegisterPictureDecoder(const PictureDecoder &decoder);
// Removes a decoder (tests, shutdown of the layer that registered it).
void UnregisterPictureDecoder(const PictureDecoder &decoder);

// Decodes a picture file with the registered decoders in order. The format
// code is the first decoder's that names one, else what the file's first
// bytes say (kPictureFormatUnknown when nobody can name it). Null when no
// decoder reads the file.
BitmapPtr DecodePicture(const QString &path, int *formatCode);
// The facts of a picture file: from a decoder that can tell them from the
// header, else by decoding it. False when no decoder reads the file.
bool ExaminePicture(const QString &path, PictureFacts *facts);

} // namespace orvel

#pragma once

namespace orvel {

// ImageMagick (Magick++) as the second picture decoder, after Qt's: it reads
// the older formats of the picture filter that Qt has no reader for (PCX,
// Sun raster, TARGA variants, Photoshop, Photo CD, MacPaint, WordPerfect
// graphics, Windows metafiles) and the TARGA variants Qt's reader refuses.
//
// ImageMagick is never left to guess a file's format: the format is
// recognised first by our own header checks (RecognisePictureFile), and
// only the coder of that format is used. A file we cannot recognise is not
// handed to ImageMagick at all, since some of its coders are small script
// languages that read other files. Registering also restricts ImageMagick
// to these coders (a security policy, so that a coder that nests pictures
// cannot reach another one) and sets its resource limits, so that a damaged
// or enormous picture fails to load instead of exhausting the machine.
//
// Returns false, registering nothing, when ImageMagick refuses that policy.
// Repeated calls do nothing more.
bool RegisterMagickPictureDecoder();
void UnregisterMagickPictureDecoder();

// The ImageMagick coder that reads pictures of a format code
// (media/PictureFormat.h); null for a format it is not used for.
const char *MagickCoderFor(int formatCode);

} // namespace orvel

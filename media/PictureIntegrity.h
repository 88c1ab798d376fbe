#pragma once

#include <QByteArrayView>

namespace orvel {

// Whether a picture file holds everything its own structure announces, for
// the formats whose decoders stop quietly where the data ends and return
// what they have (a picture cut short would otherwise show as if it were
// whole, or as an empty one):
// - MacPaint (format code 51): 720 rows of 72 bytes, packed, after the
//   512-byte header (and the MacBinary header, when there is one);
// - WordPerfect graphics (54): every record inside the file, and at least
//   one bitmap among them.
// True for every other format. Reads only inside `file`.
bool HoldsWholePicture(QByteArrayView file, int formatCode);

} // namespace orvel

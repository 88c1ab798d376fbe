#pragma once

#include "platform/Bitmap.h"

#include <QString>

namespace orvel {

// The icon of a kind of document, `size` pixels square: the desktop theme's
// icon for the MIME type (or for its generic kind), else a plain sheet of
// paper drawn here. Kept per type and size once made.
BitmapPtr DocumentIconBitmap(const QString &mimeType, int size);

// Installs DocumentIconBitmap as the icon of embedded documents that are
// no pictures.
void RegisterDocumentIcons();

} // namespace orvel

#pragma once

#include "platform/LogFont.h"

#include <QFont>

namespace orvel {

// Registers the installed stand-ins for the Windows face names the files name
// ("MS Sans Serif", "System", "Arial", "Times New Roman", "Courier New", "Book
// Antiqua", ...). Called once at start; LogFontToQFont calls it as well, and
// repeated calls do nothing.
void InstallFontSubstitutions();

// The font a stored description asks for. lfHeight < 0 is the character (em)
// height, so the pixel size is -lfHeight; lfHeight > 0 is the cell height
// (ascent + descent), met by the largest pixel size whose height still fits;
// lfHeight 0 takes the size of the stock GUI font at logicalDpiY. Sizes are
// pixel sizes: fonts only come in whole pixels, and pixels are what the
// description counts. The face name keeps its Windows spelling; the
// substitutions pick the installed family. lfWeight 0 is normal, others go
// to the same 1-1000 scale. Kerning is off, as text has always been laid out.
//
// The text angle (lfEscapement, tenths of a degree counter-clockwise) is not
// part of a QFont: callers rotate the painter by -lfEscapement / 10 degrees
// around the text origin before drawing.
QFont LogFontToQFont(const LOGFONT &font, int logicalDpiY);

// The description of a font, for fonts chosen in a font dialog: the height is
// always the negative em height in pixels (a point size is converted at
// logicalDpiY), the face name is the family as given. Escapement,
// orientation, character set and precision are 0.
LOGFONT QFontToLogFont(const QFont &font, int logicalDpiY);

} // namespace orvel

#pragma once

// The values the property sheets of form objects show and edit, taken from
// the objects and written back to them, and the texts of the read-only
// pages. The pages themselves (form/ui) only show these values.

#include "platform/AnsiString.h"
#include "platform/Gdi.h"
#include "platform/LogFont.h"

#include <QString>

#include <cstdint>

namespace orvel {

class CDrawObj;
class CDrawPicture;
class CDrawText;
class CEmbeddedItem;
class CFormObjects;

// --- Line and fill (drawn shapes) --------------------------------------------

// The line kinds of the line page, in the order of its buttons. Kinds 1 to 4
// are the pen styles of the same numbers.
enum LineKind : int {
    kLineSolid = 0,
    kLineDashed = 1,
    kLineDotted = 2,
    kLineDashDot = 3,
    kLineDashDotDot = 4,
    kLine3D = 5,
};
inline constexpr int kMinLineWidth = 0;
inline constexpr int kMaxLineWidth = 10;

struct LineFillValues
{
    // 0: no outline.
    int width = 1;
    COLORREF lineColor = kDefaultLineColor;
    int kind = kLineSolid;
    bool fill = true;
    COLORREF fillColor = kDefaultFillColor;

    friend bool operator==(const LineFillValues &, const LineFillValues &) = default;
};

// Width = the pen's width when the object has an outline, else 0; kind 5
// when the object is drawn as a raised frame, else the pen style 1 to 4, else
// solid.
LineFillValues LineFillValuesOf(const CDrawObj &object);
// The pen style a kind is drawn with: 1 to 4 as they are, solid inside the
// frame for the solid line and the 3-D frame.
uint32_t PenStyleForKind(int kind);
// Only a line of width 1 can be dashed, dotted or raised: any wider line is
// solid.
int EffectiveLineKind(int width, int kind);
// Writes the line values (outline, width, raised frame, style, colour) and,
// with `withFill`, the fill values to the object through the form's change
// operations; each marks the form modified and repaints the object. Without
// `withFill` (objects without a fill page) the fill stays as it was.
void ApplyLineFillValues(CFormObjects &form, CDrawObj &object, const LineFillValues &values, bool withFill);

// --- Texts ---------------------------------------------------------------------

struct TextValues
{
    AnsiString text;
    bool wordWrap = true;
    // Degrees, counter-clockwise.
    int angle = 0;
    // The font as the sheet shows it: escapement and orientation 0, so that
    // the sample is upright.
    LOGFONT font;
    COLORREF color = kDefaultLineColor;
    int alignment = 0; // 0 left, 1 centred, 2 right
};

TextValues TextValuesOf(const CDrawText &text);
// The text-drawing flags of an alignment: 0, 1 or 2, plus 0x10 with word wrap.
uint16_t TextDrawFlags(int alignment, bool wordWrap);
// Writes the values to the text through the form (one change). The angle
// becomes escapement and orientation (tenths of a degree); an angle that was
// not changed keeps the text's escapement and orientation exactly as they
// were, tenths included.
void ApplyTextValues(CFormObjects &form, CDrawText &text, const TextValues &values);

// The point size of a font as its description shows it: the cell height less
// the internal leading (the em height), in points at `dpiY` dots per inch,
// rounded to the nearest point.
int FontPointSize(int cellHeight, int internalLeading, int dpiY);
// The point size of a font chosen in the font dialog, which reports tenths.
int FontPointSizeFromTenths(int tenths);
// "Face, 12 Punkte", or "- Keine ausgewählt -" for a font without a face name.
QString FontDescription(const LOGFONT &font, int pointSize);

// --- Pictures --------------------------------------------------------------------

// What the picture page tells of a picture object.
struct PictureInfo
{
    AnsiString path;
    bool embedded = false;
    bool loadFailed = false;
    // The object's size on the form.
    int width = 0;
    int height = 0;
    // The bitmap's.
    int bitmapWidth = 0;
    int bitmapHeight = 0;
    int dpiX = 0;
    int dpiY = 0;
    int bitsPerPixel = 0;
    // See media/PictureFormat.h.
    int formatCode = 0;
};

// The name a scanned picture carries instead of a path.
inline constexpr char kScannedPicturePath[] = "#Scan#";

// Asks the picture's imaging control (decoding the picture if it has not
// been yet). The format is that of the file the control last read, or, for a
// bitmap handed over from the insert-picture dialog, of the picture's file.
PictureInfo PictureInfoOf(CDrawPicture &picture);

struct PicturePageTexts
{
    QString fileName;
    QString fileType;
    QString size;
    QString originalSize;
    QString resolution;
    QString colors;
    QString status;
};

// "FEHLER" as the type of a picture that could not be loaded, "-" for its
// original size, resolution and colours, and for the type of a scan.
PicturePageTexts PicturePageTextsOf(const PictureInfo &info);
// 2 to the power of the bits per pixel; true colour (24 and 32 bits) is
// "16 Mill.".
QString ColorCountText(int bitsPerPixel);

// --- Embedded documents ------------------------------------------------------------

struct EmbeddedDocumentTexts
{
    QString name;
    QString type;
    QString size;
    QString status;
    // The linked file, "-" for an embedded document.
    QString location;
};

// The texts of the document's page; "-" everywhere for an object that lost
// its document (null).
EmbeddedDocumentTexts EmbeddedDocumentTextsOf(const CEmbeddedItem *item);

} // namespace orvel

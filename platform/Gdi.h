#pragma once

// The old device-context vocabulary: points and rectangles that exclude their
// right and bottom edges, pens, brushes and the text flags, and CDC, the
// device context the grid, the form objects and printing draw on. Nothing
// here draws: the QPainter implementation (CPainterDC) lives with the
// graphics layer, and tests record what a drawing asked for with a DC of
// their own.

#include "platform/LogFont.h"

#include <QRect>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <span>

namespace orvel {

class Bitmap;

struct POINT
{
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const POINT &, const POINT &) = default;
};

struct SIZE
{
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const SIZE &, const SIZE &) = default;
};

// {left, top, right, bottom}: the pixels from left to right - 1 and from top
// to bottom - 1.
struct RECT
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const RECT &, const RECT &) = default;
};

// Rectangle arithmetic saturates at the int32 limits: positions come from
// files and must not overflow.
void NormalizeRect(RECT &rect); // swaps left/right and top/bottom where reversed
void InflateRect(RECT &rect, int dx, int dy);
void OffsetRect(RECT &rect, int dx, int dy);
// False and an all-zero dst when the two do not overlap.
bool IntersectRect(RECT &dst, const RECT &a, const RECT &b);
// Empty rectangles do not count; false and all zero when both are empty.
bool UnionRect(RECT &dst, const RECT &a, const RECT &b);
bool PtInRect(const RECT &rect, POINT p); // left <= x < right, top <= y < bottom
bool IsRectEmpty(const RECT &rect);       // right <= left or bottom <= top
QRect RectToQRect(const RECT &rect);      // same pixels: width = right - left
RECT QRectToRect(const QRect &rect);

// Pens
constexpr uint32_t PS_SOLID = 0;
constexpr uint32_t PS_DASH = 1;
constexpr uint32_t PS_DOT = 2;
constexpr uint32_t PS_DASHDOT = 3;
constexpr uint32_t PS_DASHDOTDOT = 4;
constexpr uint32_t PS_NULL = 5;
constexpr uint32_t PS_INSIDEFRAME = 6;

// Brushes
constexpr uint32_t BS_SOLID = 0;
constexpr uint32_t BS_NULL = 1;
constexpr uint32_t BS_HOLLOW = BS_NULL;
constexpr uint32_t BS_HATCHED = 2;

constexpr int32_t HS_HORIZONTAL = 0; // -----
constexpr int32_t HS_VERTICAL = 1;   // |||||
constexpr int32_t HS_FDIAGONAL = 2;  // \\\\\ (downwards, left to right)
constexpr int32_t HS_BDIAGONAL = 3;  // ///// (upwards, left to right)
constexpr int32_t HS_CROSS = 4;      // +++++
constexpr int32_t HS_DIAGCROSS = 5;  // xxxxx

// Background modes and polygon fill modes
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Only lopnWidth.x counts as the width; 0 and 1 both mean one pixel.
struct LOGPEN
{
    uint32_t lopnStyle = PS_SOLID;
    POINT lopnWidth{};
    COLORREF lopnColor = 0;
    friend bool operator==(const LOGPEN &, const LOGPEN &) = default;
};

struct LOGBRUSH
{
    uint32_t lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    int32_t lbHatch = 0;
    friend bool operator==(const LOGBRUSH &, const LOGBRUSH &) = default;
};

constexpr LOGPEN kNullPen{PS_NULL, {0, 0}, 0};
constexpr LOGPEN kBlackPen{PS_SOLID, {0, 0}, 0x000000};
constexpr LOGBRUSH kNullBrush{BS_NULL, 0, 0};
constexpr LOGBRUSH kWhiteBrush{BS_SOLID, 0xFFFFFF, 0};

// Three-dimensional frames: raised or sunken.
enum class Edge { Raised, Sunken };

// The system colours that 3-D frames and button faces are drawn in.
struct SysColors
{
    COLORREF face = 0xC0C0C0;       // button face
    COLORREF highlight = 0xFFFFFF;  // the lit edge
    COLORREF light = 0xC0C0C0;      // between face and highlight
    COLORREF shadow = 0x808080;     // the shaded edge
    COLORREF darkShadow = 0x000000; // the outer shaded edge
    COLORREF window = 0xFFFFFF;
    COLORREF windowText = 0x000000;
    friend bool operator==(const SysColors &, const SysColors &) = default;
};

// The classic grey look, for the grid and for reproducible pictures.
constexpr SysColors kClassicColors{};

// DrawText flags
constexpr uint32_t DT_TOP = 0x0;
constexpr uint32_t DT_LEFT = 0x0;
constexpr uint32_t DT_CENTER = 0x1;
constexpr uint32_t DT_RIGHT = 0x2;
constexpr uint32_t DT_VCENTER = 0x4;
constexpr uint32_t DT_BOTTOM = 0x8;
constexpr uint32_t DT_WORDBREAK = 0x10;
constexpr uint32_t DT_SINGLELINE = 0x20;
constexpr uint32_t DT_NOCLIP = 0x100;
constexpr uint32_t DT_EXTERNALLEADING = 0x200;
constexpr uint32_t DT_CALCRECT = 0x400;
constexpr uint32_t DT_NOPREFIX = 0x800;
constexpr uint32_t DT_EDITCONTROL = 0x2000;
constexpr uint32_t DT_END_ELLIPSIS = 0x8000;

// Raster operations of PatBlt
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;

// A device context: the selected pen, brush and font, text and background
// colours, background mode, polygon fill mode and the current position, and
// the drawing calls with their old rules.
//
// - Rectangles, rounded rectangles and ellipses exclude the right and bottom
//   edges of their bounding rectangle; reversed corners are put in order
//   first. A null pen makes a filled shape one pixel smaller; a wide
//   PS_INSIDEFRAME pen stays within the bounding rectangle.
// - LineTo draws up to, not including, its end point and moves there.
// - Polygons fill by the polygon fill mode.
// - DrawText: see the flags above. DT_SINGLELINE keeps everything on one
//   line; only then do DT_VCENTER and DT_BOTTOM apply. Otherwise CR LF, LF and
//   CR break lines (a final break adds no empty line) and DT_WORDBREAK breaks
//   at spaces; a word wider than the rectangle stays whole and is clipped,
//   unless DT_EDITCONTROL, which breaks it between characters and also leaves
//   out a partly visible last line. Without DT_NOPREFIX "&x" draws x
//   underlined and "&&" a single "&". DT_END_ELLIPSIS shortens a line that is
//   too wide and appends "...". Without DT_NOCLIP drawing is clipped to the
//   rectangle. DT_CALCRECT draws nothing and sets right and bottom to bound
//   the text. Returns the height of the text (with DT_SINGLELINE and
//   DT_VCENTER or DT_BOTTOM the distance from the top to the text's bottom).
//   In the opaque background mode each line's box is filled first.
// - Draw3DFrame draws the two-pixel frame of form objects: both rings run
//   through the given corners, so the frame covers the pixels from left to
//   right and top to bottom inclusive; raised = light outside and highlight
//   inside along the top and left, dark shadow outside and shadow inside
//   along the right and bottom; sunken swaps highlight with dark shadow and
//   light with shadow.
class CDC
{
public:
    virtual ~CDC() = default;

    // Each returns what was selected or set before.
    virtual LOGPEN SelectPen(const LOGPEN &pen) = 0;
    virtual LOGBRUSH SelectBrush(const LOGBRUSH &brush) = 0;
    virtual LOGFONT SelectFont(const LOGFONT &font) = 0;
    virtual COLORREF SetTextColor(COLORREF color) = 0;
    virtual COLORREF SetBkColor(COLORREF color) = 0;
    virtual int SetBkMode(int mode) = 0;
    virtual int SetPolyFillMode(int mode) = 0;

    virtual POINT MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    virtual void Polyline(std::span<const POINT> points) = 0;
    virtual void Polygon(std::span<const POINT> points) = 0;
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    virtual void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) = 0;
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    // PATCOPY and PATINVERT use the selected brush; a negative width or
    // height extends left or up from (x, y).
    virtual void PatBlt(int x, int y, int width, int height, uint32_t rop) = 0;

    virtual int DrawText(const QString &text, RECT &rect, uint32_t flags) = 0;
    // The extent of a single line of text in the selected font.
    virtual SIZE GetTextExtent(const QString &text) = 0;

    virtual void FillRect(const RECT &rect, COLORREF color) = 0;
    virtual void FillRect(const RECT &rect, const LOGBRUSH &brush) = 0;
    // The one-pixel border just inside the rectangle.
    virtual void FrameRect(const RECT &rect, COLORREF color) = 0;
    // Inverts the colours of the pixels; inverting twice restores them.
    virtual void InvertRect(const RECT &rect) = 0;
    // Top and left edges in one colour, right and bottom edges in the other;
    // the top-right and bottom-left corner pixels belong to the right and
    // bottom.
    virtual void Draw3DRect(const RECT &rect, COLORREF topLeft, COLORREF bottomRight) = 0;
    virtual void Draw3DFrame(const RECT &rect, Edge edge) = 0;

    // Stretches the `source` part of the bitmap (in bitmap pixels; an empty
    // rectangle means all of it) into `target`.
    virtual void StretchBitmap(const Bitmap &bitmap, const RECT &target, const QRectF &source) = 0;

    // True while the drawing goes to a printer (or its preview).
    virtual bool IsPrinting() const = 0;

    void Rectangle(const RECT &rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    void Ellipse(const RECT &rect) { Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
};

} // namespace orvel

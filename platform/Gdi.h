#pragma once

// Drawing with the old device-context rules on top of QPainter, so that the
// grid and the form objects can be painted step by step as they always were:
// rectangles exclude their right and bottom edges, lines leave out their end
// point, a null pen makes a filled shape one pixel smaller, wide inside-frame
// pens stay within the bounding rectangle, and text goes through DrawText
// with its flags.
//
// Shapes are never antialiased (GdiContext switches it off while it lives);
// text keeps the painter's text antialiasing.

#include "platform/LogFont.h"

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QRect>
#include <QString>

#include <cstdint>
#include <span>

class QFontMetrics;
class QPainter;
class QPalette;

namespace orvel {

struct POINT
{
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const POINT &, const POINT &) = default;
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

QColor ColorRefToQColor(COLORREF color); // the high byte is ignored
COLORREF QColorToColorRef(const QColor &color);

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

// The Qt equivalents. A pen of width 0 or 1 is one cosmetic pixel with a flat
// cap (the end point of a line is not drawn) and keeps its dash style; a wider
// pen is always solid with round caps and joins, as wide pens have always
// been. Unknown styles count as solid, unknown hatches as horizontal.
QPen ToQPen(const LOGPEN &pen);
QBrush ToQBrush(const LOGBRUSH &brush);

// Fills with a brush (hatches follow the painter's background mode).
void FillRect(QPainter &painter, const RECT &rect, const QBrush &brush);
void FillRect(QPainter &painter, const RECT &rect, COLORREF color);
// The one-pixel border just inside the rectangle.
void FrameRect(QPainter &painter, const RECT &rect, const QBrush &brush);
void FrameRect(QPainter &painter, const RECT &rect, COLORREF color);
// Inverts the colours of the pixels; inverting twice restores them.
void InvertRect(QPainter &painter, const RECT &rect);

// Top and left edges in one colour, right and bottom edges in the other; the
// top-right and bottom-left corner pixels belong to the right and bottom.
void Draw3DRect(QPainter &painter, const RECT &rect, COLORREF topLeft, COLORREF bottomRight);

// Three-dimensional frames take their colours from palette roles:
//   button face  QPalette::Button     highlight    QPalette::Light
//   light        QPalette::Midlight   shadow       QPalette::Dark
//   dark shadow  QPalette::Shadow
enum class Edge { Raised, Sunken };

// The palette of the classic grey look (face 0xC0C0C0, highlight white,
// light 0xC0C0C0, shadow 0x808080, dark shadow black, window white, window
// text black), for the grid and for reproducible pictures.
QPalette ClassicPalette();

// The two-pixel frame of form objects and data fields. Both rings run through
// the given corners, so this frame covers the pixels from left to right and
// top to bottom inclusive (one more than the rectangle's own pixels):
// raised = light outside and highlight inside along the top and left, dark
// shadow outside and shadow inside along the right and bottom; sunken swaps
// highlight with dark shadow and light with shadow.
void Draw3DFrame(QPainter &painter, const RECT &rect, Edge edge, const QPalette &palette);

// A header cell of the grid: a rectangle with a dark-shadow border and a
// button-face fill, with a one-pixel bevel inside the border (raised:
// highlight along the top and left, shadow along the right and bottom;
// sunken: the two swapped).
void DrawBevelCell(QPainter &painter, const RECT &rect, Edge edge, const QPalette &palette);

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

// Draws text with the painter's font and pen colour; in the painter's opaque
// background mode each line's box is filled with its background first.
//
// - DT_SINGLELINE keeps everything on one line; only then do DT_VCENTER and
//   DT_BOTTOM apply. Otherwise CR LF, LF and CR break lines (a final break
//   adds no empty line) and DT_WORDBREAK breaks at spaces; a word wider than
//   the rectangle stays whole and is clipped, unless DT_EDITCONTROL, which
//   breaks it between characters and also leaves out a partly visible last
//   line.
// - Without DT_NOPREFIX "&x" draws x underlined and "&&" a single "&".
// - DT_END_ELLIPSIS shortens a line that is too wide and appends "...".
// - Without DT_NOCLIP drawing is clipped to the rectangle.
// - DT_CALCRECT draws nothing and sets right and bottom to bound the text
//   (left and top stay).
// Returns the height of the text, or with DT_SINGLELINE and DT_VCENTER or
// DT_BOTTOM the distance from the rectangle's top to the text's bottom.
// Line height: the font's height, plus its leading with DT_EXTERNALLEADING.
// Empty text is no line at all, except with DT_SINGLELINE.
int DrawText(QPainter &painter, const QString &text, RECT &rect, uint32_t flags);
// The same with metrics the caller keeps for the painter's font, for callers
// that draw many texts in one font.
int DrawText(QPainter &painter, const QFontMetrics &metrics, const QString &text, RECT &rect, uint32_t flags);

// Raster operations of PatBlt
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;

// The state of a device context over a painter: selected pen and brush, text
// and background colour, background mode, polygon fill mode and the current
// position. Every call sets up the painter for itself, so plain QPainter
// calls may be mixed in between.
class GdiContext
{
public:
    explicit GdiContext(QPainter &painter);
    ~GdiContext();
    GdiContext(const GdiContext &) = delete;
    GdiContext &operator=(const GdiContext &) = delete;

    QPainter &painter() { return m_painter; }

    // Each returns what was selected or set before.
    LOGPEN SelectPen(const LOGPEN &pen);
    LOGBRUSH SelectBrush(const LOGBRUSH &brush);
    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    int SetBkMode(int mode);
    int SetPolyFillMode(int mode);

    const LOGPEN &pen() const { return m_pen; }
    const LOGBRUSH &brush() const { return m_brush; }
    COLORREF textColor() const { return m_textColor; }
    COLORREF bkColor() const { return m_bkColor; }
    int bkMode() const { return m_bkMode; }
    POINT currentPosition() const { return m_position; }

    POINT MoveTo(int x, int y);
    void LineTo(int x, int y); // up to, not including, (x, y); moves there
    void Polyline(std::span<const POINT> points);
    void Polygon(std::span<const POINT> points);

    // The bounding rectangle excludes its right and bottom edges. Reversed
    // corners are put in order first.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const RECT &rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
    void Ellipse(int left, int top, int right, int bottom);
    void Ellipse(const RECT &rect) { Ellipse(rect.left, rect.top, rect.right, rect.bottom); }

    // PATCOPY and PATINVERT use the selected brush; a negative width or
    // height extends left or up from (x, y).
    void PatBlt(int x, int y, int width, int height, uint32_t rop);

    // Text colour and background mode from this context, font and metrics
    // from the painter.
    int DrawText(const QString &text, RECT &rect, uint32_t flags);

private:
    enum class Shape { Rectangle, RoundRect, Ellipse };
    void drawShape(Shape shape, int left, int top, int right, int bottom, int ellipseWidth = 0, int ellipseHeight = 0);
    void applyBackground();
    int penWidth() const;

    QPainter &m_painter;
    bool m_wasAntialiased = false;
    LOGPEN m_pen = kBlackPen;
    LOGBRUSH m_brush = kWhiteBrush;
    QPen m_qpen;
    QBrush m_qbrush;
    COLORREF m_textColor = 0x000000;
    COLORREF m_bkColor = 0xFFFFFF;
    int m_bkMode = OPAQUE;
    int m_polyFillMode = ALTERNATE;
    POINT m_position;
};

} // namespace orvel

#pragma once

// The device-context rules on top of QPainter, so that the grid, the form
// objects and printing are painted step by step as they always were:
// rectangles exclude their right and bottom edges, lines leave out their end
// point, a null pen makes a filled shape one pixel smaller, wide inside-frame
// pens stay within the bounding rectangle, and text goes through DrawText
// with its flags (platform/Gdi.h describes them).
//
// Shapes are never antialiased (CPainterDC switches it off while it lives);
// text keeps the painter's text antialiasing.

#include "platform/Gdi.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QString>

#include <cstdint>
#include <span>

class QFontMetrics;
class QPainter;
class QPalette;

namespace orvel {

QColor ColorRefToQColor(COLORREF color); // the high byte is ignored
COLORREF QColorToColorRef(const QColor &color);

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

// The system colours in palette roles:
//   button face  QPalette::Button     highlight    QPalette::Light
//   light        QPalette::Midlight   shadow       QPalette::Dark
//   dark shadow  QPalette::Shadow     window, text QPalette::Base, Text
SysColors SysColorsOf(const QPalette &palette);
// The palette of the classic grey look (kClassicColors), for the grid and for
// reproducible pictures.
QPalette ClassicPalette();

// The two-pixel frame of form objects and data fields (see CDC::Draw3DFrame).
void Draw3DFrame(QPainter &painter, const RECT &rect, Edge edge, const QPalette &palette);

// A header cell of the grid: a rectangle with a dark-shadow border and a
// button-face fill, with a one-pixel bevel inside the border (raised:
// highlight along the top and left, shadow along the right and bottom;
// sunken: the two swapped).
void DrawBevelCell(QPainter &painter, const RECT &rect, Edge edge, const QPalette &palette);

// Draws text with the painter's font and pen colour by the DrawText rules of
// platform/Gdi.h; in the painter's opaque background mode each line's box is
// filled with its background first. Line height: the font's height, plus its
// leading with DT_EXTERNALLEADING. Empty text is no line at all, except with
// DT_SINGLELINE.
int DrawText(QPainter &painter, const QString &text, RECT &rect, uint32_t flags);
// The same with metrics the caller keeps for the painter's font, for callers
// that draw many texts in one font.
int DrawText(QPainter &painter, const QFontMetrics &metrics, const QString &text, RECT &rect, uint32_t flags);

// A device context over a painter. Every call sets up the painter for
// itself, so plain QPainter calls may be mixed in between. Fonts are
// selected as descriptions and drawn at `logicalDpiY`; 3-D frames take the
// system colours given.
class CPainterDC final : public CDC
{
public:
    explicit CPainterDC(QPainter &painter, const SysColors &colors = kClassicColors, bool printing = false);
    ~CPainterDC() override;
    CPainterDC(const CPainterDC &) = delete;
    CPainterDC &operator=(const CPainterDC &) = delete;

    QPainter &painter() { return m_painter; }

    LOGPEN SelectPen(const LOGPEN &pen) override;
    LOGBRUSH SelectBrush(const LOGBRUSH &brush) override;
    LOGFONT SelectFont(const LOGFONT &font) override;
    COLORREF SetTextColor(COLORREF color) override;
    COLORREF SetBkColor(COLORREF color) override;
    int SetBkMode(int mode) override;
    int SetPolyFillMode(int mode) override;

    const LOGPEN &pen() const { return m_pen; }
    const LOGBRUSH &brush() const { return m_brush; }
    COLORREF textColor() const { return m_textColor; }
    COLORREF bkColor() const { return m_bkColor; }
    int bkMode() const { return m_bkMode; }
    POINT currentPosition() const { return m_position; }

    POINT MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Polyline(std::span<const POINT> points) override;
    void Polygon(std::span<const POINT> points) override;
    using CDC::Ellipse;
    using CDC::Rectangle;
    void Rectangle(int left, int top, int right, int bottom) override;
    void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void PatBlt(int x, int y, int width, int height, uint32_t rop) override;

    // Text colour and background mode from this context, font and metrics
    // from the painter (a font selected here is set on the painter).
    int DrawText(const QString &text, RECT &rect, uint32_t flags) override;
    SIZE GetTextExtent(const QString &text) override;

    void FillRect(const RECT &rect, COLORREF color) override;
    void FillRect(const RECT &rect, const LOGBRUSH &brush) override;
    void FrameRect(const RECT &rect, COLORREF color) override;
    void InvertRect(const RECT &rect) override;
    void Draw3DRect(const RECT &rect, COLORREF topLeft, COLORREF bottomRight) override;
    void Draw3DFrame(const RECT &rect, Edge edge) override;
    void StretchBitmap(const Bitmap &bitmap, const RECT &target, const QRectF &source) override;
    bool IsPrinting() const override { return m_printing; }

private:
    enum class Shape { Rectangle, RoundRect, Ellipse };
    void drawShape(Shape shape, int left, int top, int right, int bottom, int ellipseWidth = 0, int ellipseHeight = 0);
    void applyBackground();
    int penWidth() const;

    QPainter &m_painter;
    SysColors m_colors;
    bool m_printing = false;
    bool m_wasAntialiased = false;
    LOGPEN m_pen = kBlackPen;
    LOGBRUSH m_brush = kWhiteBrush;
    LOGFONT m_font{};
    QPen m_qpen;
    QBrush m_qbrush;
    COLORREF m_textColor = 0x000000;
    COLORREF m_bkColor = 0xFFFFFF;
    int m_bkMode = OPAQUE;
    int m_polyFillMode = ALTERNATE;
    POINT m_position;
};

} // namespace orvel

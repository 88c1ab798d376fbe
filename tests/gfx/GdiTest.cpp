#include "platform/gfx/PainterGdi.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPalette>

#include <array>
#include <limits>

using namespace orvel;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kGrey(128, 128, 128);

QImage canvas(int width = 24, int height = 20)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

QColor at(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

// The smallest rectangle around every pixel that is not white.
QRect ink(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != kWhite)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

template<typename Draw>
QImage paint(Draw draw, int width = 24, int height = 20)
{
    QImage image = canvas(width, height);
    QPainter painter(&image);
    CPainterDC dc(painter);
    draw(dc);
    return image;
}

LOGPEN pen(uint32_t style, int width, COLORREF color = 0)
{
    return LOGPEN{style, {width, 0}, color};
}

} // namespace

TEST(GdiRect, QRectConversionKeepsTheExclusiveEdges)
{
    const RECT rect{2, 3, 10, 7};
    const QRect q = RectToQRect(rect);
    EXPECT_EQ(q, QRect(2, 3, 8, 4));
    EXPECT_EQ(q.right(), 9);
    EXPECT_EQ(QRectToRect(q), rect);
    EXPECT_TRUE(RectToQRect(RECT{5, 5, 5, 9}).isEmpty());
    EXPECT_TRUE(RectToQRect(RECT{9, 5, 5, 9}).isEmpty()); // reversed: nothing, not a negative width

    EXPECT_TRUE(PtInRect(rect, {2, 3}));
    EXPECT_TRUE(PtInRect(rect, {9, 6}));
    EXPECT_FALSE(PtInRect(rect, {10, 6}));
    EXPECT_FALSE(PtInRect(rect, {9, 7}));
    EXPECT_TRUE(IsRectEmpty(RECT{4, 4, 4, 8}));
    EXPECT_TRUE(IsRectEmpty(RECT{4, 8, 9, 2}));
}

TEST(GdiRect, Arithmetic)
{
    RECT dst{1, 1, 1, 1};
    EXPECT_FALSE(IntersectRect(dst, RECT{0, 0, 10, 10}, RECT{10, 0, 20, 10})); // touching edges share no pixel
    EXPECT_EQ(dst, RECT{});
    EXPECT_TRUE(IntersectRect(dst, RECT{0, 0, 10, 10}, RECT{5, -5, 20, 8}));
    EXPECT_EQ(dst, (RECT{5, 0, 10, 8}));

    EXPECT_TRUE(UnionRect(dst, RECT{0, 0, 4, 4}, RECT{9, 9, 9, 20})); // the empty one does not count
    EXPECT_EQ(dst, (RECT{0, 0, 4, 4}));
    EXPECT_TRUE(UnionRect(dst, RECT{0, 0, 4, 4}, RECT{2, -3, 6, 1}));
    EXPECT_EQ(dst, (RECT{0, -3, 6, 4}));

    RECT r{10, 20, 5, 8};
    NormalizeRect(r);
    EXPECT_EQ(r, (RECT{5, 8, 10, 20}));
    InflateRect(r, 2, -1);
    EXPECT_EQ(r, (RECT{3, 9, 12, 19}));
    OffsetRect(r, -3, 1);
    EXPECT_EQ(r, (RECT{0, 10, 9, 20}));

    // Positions from damaged files must not overflow.
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    RECT huge{kMin, kMin, kMax, kMax};
    InflateRect(huge, 5, 5);
    EXPECT_EQ(huge, (RECT{kMin, kMin, kMax, kMax}));
    OffsetRect(huge, kMax, 0);
    EXPECT_EQ(huge.right, kMax);
    EXPECT_EQ(RectToQRect(RECT{kMin, 0, kMax, 1}).left(), kMin);
}

TEST(GdiColor, ColorRefIsBlueGreenRed)
{
    EXPECT_EQ(ColorRefToQColor(0x000000FF), QColor(255, 0, 0));
    EXPECT_EQ(ColorRefToQColor(RGB(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(ColorRefToQColor(0x02808000), QColor(0, 128, 128)); // palette flag byte ignored
    for (COLORREF c : {0x00000000u, 0x00FFFFFFu, 0x00123456u, 0x00C0C0C0u, 0x00008080u})
        EXPECT_EQ(QColorToColorRef(ColorRefToQColor(c)), c);
    EXPECT_EQ(QColorToColorRef(QColor::fromHsv(0, 255, 255)), RGB(255, 0, 0));
}

TEST(GdiShapes, RectangleCoversLeftToRightMinusOne)
{
    const QImage image = paint([](CPainterDC &dc) {
        dc.SelectBrush(LOGBRUSH{BS_SOLID, RGB(128, 128, 128), 0});
        dc.Rectangle(2, 3, 10, 9);
    });
    EXPECT_EQ(ink(image), QRect(2, 3, 8, 6));
    EXPECT_EQ(at(image, 9, 5), kBlack); // right edge drawn at right - 1
    EXPECT_EQ(at(image, 5, 8), kBlack);
    EXPECT_EQ(at(image, 3, 4), kGrey);
    EXPECT_EQ(at(image, 8, 7), kGrey);

    // A null pen makes the filled shape one pixel smaller each way.
    const QImage filled = paint([](CPainterDC &dc) {
        dc.SelectPen(kNullPen);
        dc.SelectBrush(LOGBRUSH{BS_SOLID, RGB(128, 128, 128), 0});
        dc.Rectangle(10, 9, 2, 3); // reversed corners are put in order
    });
    EXPECT_EQ(ink(filled), QRect(2, 3, 7, 5));
}

TEST(GdiShapes, WideInsideFramePenStaysInside)
{
    const RECT box{4, 4, 18, 15};
    const QImage inside = paint([&](CPainterDC &dc) {
        dc.SelectPen(pen(PS_INSIDEFRAME, 4));
        dc.SelectBrush(LOGBRUSH{BS_SOLID, RGB(128, 128, 128), 0});
        dc.Rectangle(box);
    });
    EXPECT_EQ(ink(inside), RectToQRect(box));
    for (int x = 4; x < 8; ++x)
        EXPECT_EQ(at(inside, x, 9), kBlack) << x;
    EXPECT_EQ(at(inside, 8, 9), kGrey);
    for (int y = 11; y < 15; ++y)
        EXPECT_EQ(at(inside, 10, y), kBlack) << y;

    const QImage ellipse = paint([&](CPainterDC &dc) {
        dc.SelectPen(pen(PS_INSIDEFRAME, 3));
        dc.Ellipse(box);
    });
    EXPECT_TRUE(RectToQRect(box).contains(ink(ellipse)));

    // An ordinary wide pen is centred on the outline and reaches outside.
    const QImage centred = paint([&](CPainterDC &dc) {
        dc.SelectPen(pen(PS_SOLID, 4));
        dc.Rectangle(box);
    });
    EXPECT_TRUE(ink(centred).contains(RectToQRect(box)));
    EXPECT_NE(ink(centred), RectToQRect(box));

    // A frame wider than the shape fills it with the pen colour.
    const QImage full = paint([](CPainterDC &dc) {
        dc.SelectPen(pen(PS_INSIDEFRAME, 6, RGB(128, 128, 128)));
        dc.Rectangle(2, 2, 7, 20);
    });
    EXPECT_EQ(ink(full), QRect(2, 2, 5, 18));
    EXPECT_EQ(at(full, 4, 10), kGrey);
}

TEST(GdiShapes, EllipsesRoundRectsAndPolygonsKeepToTheBoundingRectangle)
{
    const QImage ellipse = paint([](CPainterDC &dc) { dc.Ellipse(2, 2, 14, 10); });
    EXPECT_EQ(ink(ellipse), QRect(2, 2, 12, 8));
    EXPECT_EQ(at(ellipse, 2, 2), kWhite);

    const QImage round = paint([](CPainterDC &dc) { dc.RoundRect(2, 2, 20, 16, 8, 8); });
    EXPECT_EQ(ink(round), QRect(2, 2, 18, 14));
    EXPECT_EQ(at(round, 2, 2), kWhite); // rounded corner
    EXPECT_EQ(at(round, 10, 2), kBlack);

    const std::array<POINT, 4> square{{{2, 2}, {9, 2}, {9, 9}, {2, 9}}};
    const QImage outlined = paint([&](CPainterDC &dc) { dc.Polygon(square); });
    EXPECT_EQ(ink(outlined), QRect(2, 2, 8, 8));
    const QImage filled = paint([&](CPainterDC &dc) {
        dc.SelectPen(kNullPen);
        dc.SelectBrush(LOGBRUSH{BS_SOLID, 0, 0});
        dc.Polygon(square);
    });
    EXPECT_EQ(ink(filled), QRect(2, 2, 7, 7));
}

TEST(GdiShapes, LinesLeaveOutTheirEndPoint)
{
    const QImage image = paint([](CPainterDC &dc) {
        dc.MoveTo(1, 1);
        dc.LineTo(7, 1);
        EXPECT_EQ(dc.currentPosition(), (POINT{7, 1}));
        dc.LineTo(7, 5);
        dc.MoveTo(10, 10);
        dc.LineTo(5, 15);
    });
    EXPECT_EQ(at(image, 1, 1), kBlack);
    EXPECT_EQ(at(image, 6, 1), kBlack);
    EXPECT_EQ(at(image, 7, 1), kBlack); // start of the second line
    EXPECT_EQ(at(image, 7, 4), kBlack);
    EXPECT_EQ(at(image, 7, 5), kWhite);
    EXPECT_EQ(at(image, 10, 10), kBlack);
    EXPECT_EQ(at(image, 6, 14), kBlack);
    EXPECT_EQ(at(image, 5, 15), kWhite);

    const std::array<POINT, 3> corner{{{2, 18}, {12, 18}, {12, 8}}};
    const QImage poly = paint([&](CPainterDC &dc) { dc.Polyline(corner); });
    EXPECT_EQ(ink(poly), QRect(2, 9, 11, 10));
}

TEST(GdiShapes, StyledPensAreDashedOnlyWhenThin)
{
    auto gaps = [](const QImage &image, int y) {
        int count = 0;
        for (int x = 0; x < 60; ++x)
            count += at(image, x, y) == kWhite;
        return count;
    };
    auto line = [](const LOGPEN &p, int mode) {
        return paint(
                [&](CPainterDC &dc) {
                    dc.SelectPen(p);
                    dc.SetBkMode(mode);
                    dc.SetBkColor(RGB(128, 128, 128));
                    dc.MoveTo(0, 5);
                    dc.LineTo(60, 5);
                },
                60, 10);
    };
    for (uint32_t style : {PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT}) {
        EXPECT_GT(gaps(line(pen(style, 1), TRANSPARENT), 5), 0) << style;
        EXPECT_EQ(gaps(line(pen(style, 3), TRANSPARENT), 5), 0) << style;
        // Opaque mode fills the gaps with the background colour.
        const QImage opaque = line(pen(style, 0), OPAQUE);
        EXPECT_EQ(gaps(opaque, 5), 0) << style;
        EXPECT_TRUE(opaque.pixelColor(20, 5) == kGrey || opaque.pixelColor(21, 5) == kGrey) << style;
    }
    EXPECT_EQ(gaps(line(pen(PS_SOLID, 1), TRANSPARENT), 5), 0);
    EXPECT_EQ(ink(line(kNullPen, OPAQUE)), QRect());
}

TEST(GdiShapes, HatchedBrushes)
{
    auto hatch = [](int32_t style, int mode) {
        return paint([&](CPainterDC &dc) {
            dc.SelectPen(kNullPen);
            dc.SelectBrush(LOGBRUSH{BS_HATCHED, 0, style});
            dc.SetBkMode(mode);
            dc.SetBkColor(RGB(128, 128, 128));
            dc.Rectangle(0, 0, 17, 17);
        });
    };
    auto row = [](const QImage &image, int y, const QColor &color) {
        for (int x = 0; x < 16; ++x)
            if (at(image, x, y) != color)
                return false;
        return true;
    };
    const QImage horizontal = hatch(HS_HORIZONTAL, TRANSPARENT);
    int blackRows = 0;
    for (int y = 0; y < 16; ++y)
        blackRows += row(horizontal, y, kBlack);
    EXPECT_EQ(blackRows, 2);
    EXPECT_EQ(at(horizontal, 20, 18), kWhite);

    const QImage vertical = hatch(HS_VERTICAL, TRANSPARENT);
    EXPECT_EQ(ink(vertical).height(), 16);
    EXPECT_LT(ink(vertical).width(), 16);

    // Forward diagonals run down to the right, backward ones up to the right.
    auto runsDownRight = [](const QImage &image) {
        for (int y = 0; y + 1 < 16; ++y)
            for (int x = 0; x + 1 < 16; ++x)
                if (at(image, x, y) == kBlack)
                    return at(image, x + 1, y + 1) == kBlack;
        return false;
    };
    EXPECT_TRUE(runsDownRight(hatch(HS_FDIAGONAL, TRANSPARENT)));
    EXPECT_FALSE(runsDownRight(hatch(HS_BDIAGONAL, TRANSPARENT)));

    const QImage opaque = hatch(HS_CROSS, OPAQUE);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_NE(at(opaque, x, y), kWhite) << x << "," << y;
}

TEST(GdiFrames, FrameRectAndInvertRect)
{
    QImage image = canvas();
    QPainter painter(&image);
    FrameRect(painter, RECT{3, 4, 11, 9}, RGB(0, 0, 0));
    EXPECT_EQ(ink(image), QRect(3, 4, 8, 5));
    EXPECT_EQ(at(image, 3, 6), kBlack);
    EXPECT_EQ(at(image, 10, 6), kBlack);
    EXPECT_EQ(at(image, 6, 8), kBlack);
    EXPECT_EQ(at(image, 4, 5), kWhite); // inside untouched

    // Handles are inverted squares: inverting again restores every pixel.
    painter.fillRect(QRect(0, 12, 24, 8), QColor(10, 200, 30));
    const QImage before = image.copy();
    const RECT handle{5, 2, 12, 16};
    InvertRect(painter, handle);
    EXPECT_EQ(at(image, 5, 2), kBlack);
    EXPECT_EQ(at(image, 6, 4), kWhite); // the frame pixel turned white
    EXPECT_EQ(at(image, 8, 14), QColor(245, 55, 225));
    EXPECT_EQ(at(image, 12, 14), QColor(10, 200, 30)); // right edge excluded
    InvertRect(painter, handle);
    painter.end();
    EXPECT_EQ(image, before);
}

TEST(GdiFrames, PatBlt)
{
    QImage image = canvas();
    QPainter painter(&image);
    CPainterDC dc(painter);
    painter.fillRect(QRect(0, 0, 12, 20), QColor(10, 20, 30));
    const QImage before = image.copy();
    dc.PatBlt(8, 2, -4, 10, DSTINVERT); // negative width reaches left of x
    EXPECT_EQ(at(image, 4, 2), QColor(245, 235, 225));
    EXPECT_EQ(at(image, 8, 2), QColor(10, 20, 30));
    dc.PatBlt(4, 2, 4, 10, DSTINVERT);
    EXPECT_EQ(image, before);

    dc.SelectBrush(LOGBRUSH{BS_SOLID, RGB(255, 255, 255), 0});
    dc.PatBlt(0, 0, 2, 2, PATINVERT);
    EXPECT_EQ(at(image, 1, 1), QColor(245, 235, 225));
    dc.PatBlt(14, 0, 2, 2, BLACKNESS);
    EXPECT_EQ(at(image, 15, 1), kBlack);
}

TEST(GdiFrames, Draw3DRectColoursTheEdges)
{
    const QColor top(255, 0, 0);
    const QColor bottom(0, 0, 255);
    QImage image = canvas();
    QPainter painter(&image);
    Draw3DRect(painter, RECT{2, 2, 10, 8}, QColorToColorRef(top), QColorToColorRef(bottom));
    EXPECT_EQ(ink(image), QRect(2, 2, 8, 6));
    EXPECT_EQ(at(image, 2, 2), top);
    EXPECT_EQ(at(image, 8, 2), top);
    EXPECT_EQ(at(image, 9, 2), bottom); // top-right corner belongs to the right edge
    EXPECT_EQ(at(image, 2, 6), top);
    EXPECT_EQ(at(image, 2, 7), bottom); // bottom-left corner belongs to the bottom edge
    EXPECT_EQ(at(image, 9, 5), bottom);
    EXPECT_EQ(at(image, 5, 7), bottom);
    EXPECT_EQ(at(image, 5, 5), kWhite);
}

namespace {

// Every role in its own colour, so that a swapped role shows.
QPalette distinctPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 1, 1));
    palette.setColor(QPalette::Light, QColor(2, 2, 2));
    palette.setColor(QPalette::Midlight, QColor(3, 3, 3));
    palette.setColor(QPalette::Dark, QColor(4, 4, 4));
    palette.setColor(QPalette::Shadow, QColor(5, 5, 5));
    return palette;
}

} // namespace

TEST(GdiFrames, ThreeDimensionalFramesFromPaletteRoles)
{
    const QPalette palette = distinctPalette();
    auto frame = [&](Edge edge) {
        QImage image = canvas();
        QPainter painter(&image);
        Draw3DFrame(painter, RECT{2, 3, 15, 12}, edge, palette);
        return image;
    };
    const QColor highlight = palette.color(QPalette::Light);
    const QColor light = palette.color(QPalette::Midlight);
    const QColor shadow = palette.color(QPalette::Dark);
    const QColor darkShadow = palette.color(QPalette::Shadow);

    const QImage raised = frame(Edge::Raised);
    EXPECT_EQ(ink(raised), QRect(2, 3, 14, 10)); // both rings run through the corners
    EXPECT_EQ(at(raised, 2, 7), light);
    EXPECT_EQ(at(raised, 3, 7), highlight);
    EXPECT_EQ(at(raised, 8, 3), light);
    EXPECT_EQ(at(raised, 8, 4), highlight);
    EXPECT_EQ(at(raised, 15, 7), darkShadow);
    EXPECT_EQ(at(raised, 14, 7), shadow);
    EXPECT_EQ(at(raised, 8, 12), darkShadow);
    EXPECT_EQ(at(raised, 8, 11), shadow);
    EXPECT_EQ(at(raised, 15, 3), darkShadow);
    EXPECT_EQ(at(raised, 2, 12), light);
    EXPECT_EQ(at(raised, 8, 7), kWhite);

    const QImage sunken = frame(Edge::Sunken);
    EXPECT_EQ(at(sunken, 2, 7), shadow);
    EXPECT_EQ(at(sunken, 3, 7), darkShadow);
    EXPECT_EQ(at(sunken, 15, 7), highlight);
    EXPECT_EQ(at(sunken, 14, 7), light);
    EXPECT_EQ(at(sunken, 8, 12), highlight);
    EXPECT_EQ(at(sunken, 8, 11), light);
}

TEST(GdiFrames, BevelCell)
{
    const QPalette palette = distinctPalette();
    QImage image = canvas();
    QPainter painter(&image);
    const RECT cell{1, 1, 12, 9};
    DrawBevelCell(painter, cell, Edge::Raised, palette);
    EXPECT_EQ(ink(image), RectToQRect(cell));
    const QColor border = palette.color(QPalette::Shadow);
    const QColor highlight = palette.color(QPalette::Light);
    const QColor shadow = palette.color(QPalette::Dark);
    EXPECT_EQ(at(image, 1, 4), border);
    EXPECT_EQ(at(image, 11, 4), border);
    EXPECT_EQ(at(image, 5, 8), border);
    EXPECT_EQ(at(image, 2, 4), highlight);
    EXPECT_EQ(at(image, 5, 2), highlight);
    EXPECT_EQ(at(image, 2, 7), highlight); // the bevel starts at the bottom-left
    EXPECT_EQ(at(image, 10, 2), shadow);   // and turns at the top-right
    EXPECT_EQ(at(image, 10, 5), shadow);
    EXPECT_EQ(at(image, 5, 7), shadow);
    EXPECT_EQ(at(image, 5, 4), palette.color(QPalette::Button));

    DrawBevelCell(painter, cell, Edge::Sunken, palette);
    EXPECT_EQ(at(image, 2, 4), shadow);
    EXPECT_EQ(at(image, 10, 5), highlight);

    const QPalette classic = ClassicPalette();
    EXPECT_EQ(classic.color(QPalette::Button), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(classic.color(QPalette::Light), kWhite);
    EXPECT_EQ(classic.color(QPalette::Dark), kGrey);
    EXPECT_EQ(classic.color(QPalette::Shadow), kBlack);
}

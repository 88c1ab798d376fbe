// Form objects painted into pictures: the pixels follow from the geometry
// rules, not from what the painter happens to do.
#include "form/DrawPicture.h"
#include "form/DrawRect.h"
#include "form/FormObjects.h"
#include "media/gfx/QtPictureDecoder.h"
#include "platform/Codepage.h"
#include "platform/gfx/PainterGdi.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using namespace orvel;

namespace {

const QColor kWhite(255, 255, 255);

QImage paint(CDrawObj &object, int state = kTrackerNormal, int width = 80, int height = 60)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    CPainterDC dc(painter, kClassicColors);
    object.Draw(dc, DrawContext{});
    object.DrawTracker(dc, state);
    return image;
}

QColor at(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

TEST(FormPaintTest, RaisedFrameRingsInTheSystemColours)
{
    CDrawRect rect(CDrawRect::rectangle, {10, 10, 50, 40}, DrawColors{0x000000, 0x00FFFF});
    rect.frame3D = 1;
    const QImage image = paint(rect);
    const SysColors &c = kClassicColors;
    // Outer ring: light along the left and top, dark shadow along the right
    // and bottom, both through the corners given.
    EXPECT_EQ(at(image, 10, 20), ColorRefToQColor(c.light));
    EXPECT_EQ(at(image, 30, 10), ColorRefToQColor(c.light));
    EXPECT_EQ(at(image, 50, 20), ColorRefToQColor(c.darkShadow));
    EXPECT_EQ(at(image, 30, 40), ColorRefToQColor(c.darkShadow));
    // Inner ring: highlight and shadow.
    EXPECT_EQ(at(image, 11, 20), ColorRefToQColor(c.highlight));
    EXPECT_EQ(at(image, 30, 11), ColorRefToQColor(c.highlight));
    EXPECT_EQ(at(image, 49, 20), ColorRefToQColor(c.shadow));
    EXPECT_EQ(at(image, 30, 39), ColorRefToQColor(c.shadow));
    // The fill inside, nothing outside.
    EXPECT_EQ(at(image, 30, 25), QColor(255, 255, 0));
    EXPECT_EQ(at(image, 51, 20), kWhite);
    EXPECT_EQ(at(image, 30, 41), kWhite);
}

TEST(FormPaintTest, InsideFramePenStaysWithinThePosition)
{
    CDrawRect rect(CDrawRect::rectangle, {10, 10, 50, 40}, DrawColors{0x0000FF, 0xFFFFFF});
    // Solid inside the frame, five wide: as the line page sets it.
    rect.pen = LOGPEN{6, {5, 5}, 0x0000FF};
    const QImage image = paint(rect);
    const QColor red(255, 0, 0);
    // Along the edges (the corners are round, as wide pens join).
    EXPECT_EQ(at(image, 10, 25), red);
    EXPECT_EQ(at(image, 14, 25), red);
    EXPECT_EQ(at(image, 30, 10), red);
    EXPECT_EQ(at(image, 30, 39), red);
    EXPECT_EQ(at(image, 30, 40), kWhite);
    EXPECT_EQ(at(image, 15, 25), kWhite);
    EXPECT_EQ(at(image, 49, 25), red);
    EXPECT_EQ(at(image, 45, 25), red);
    EXPECT_EQ(at(image, 44, 25), kWhite);
    EXPECT_EQ(at(image, 9, 25), kWhite);
    EXPECT_EQ(at(image, 50, 25), kWhite);
}

TEST(FormPaintTest, WideLinesEndInsideTheirPosition)
{
    CDrawRect line(CDrawRect::line, {10, 30, 70, 30});
    line.pen = LOGPEN{PS_SOLID, {6, 6}, 0x000000};
    const QImage image = paint(line);
    // The ends moved in by three: ink from x = 13 on, none beyond 57 + 3.
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (at(image, x, 30) != kWhite) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    EXPECT_GE(first, 10);
    EXPECT_LE(last, 69);
    EXPECT_NE(at(image, 40, 30), kWhite);
    // Still horizontal: as thick at its start as at its end.
    EXPECT_EQ(at(image, 15, 28) == kWhite, at(image, 55, 28) == kWhite);
}

TEST(FormPaintTest, HandlesInvertTheirSquares)
{
    CDrawRect rect(CDrawRect::rectangle, {20, 20, 60, 50});
    rect.hasPen = 0;
    rect.brush = LOGBRUSH{BS_SOLID, 0xFFFFFF, 0};
    const QImage image = paint(rect, kTrackerSelected);
    const QColor black(0, 0, 0);
    // Handle 1 at (20, 20): the square from (17, 17) to (23, 23).
    EXPECT_EQ(at(image, 17, 17), black);
    EXPECT_EQ(at(image, 23, 23), black);
    EXPECT_EQ(at(image, 24, 24), kWhite);
    EXPECT_EQ(at(image, 16, 16), kWhite);
    // Handle 5 at (60, 50), handle 2 at (40, 20).
    EXPECT_EQ(at(image, 60, 50), black);
    EXPECT_EQ(at(image, 40, 20), black);
    EXPECT_EQ(at(image, 40, 35), kWhite);
}

class FormPicturePaintTest : public testing::Test
{
protected:
    void SetUp() override
    {
        RegisterQtPictureDecoder();
        dir = test::MakeScratchDir();
        // 200 x 100, the left half red, the right half blue.
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(QColor(255, 0, 0));
        QPainter(&image).fillRect(100, 0, 100, 100, QColor(0, 0, 255));
        file = dir + QStringLiteral("/bild.png");
        ASSERT_TRUE(image.save(file));
    }
    std::unique_ptr<CDrawPicture> picture(const RECT &position)
    {
        auto object = std::make_unique<CDrawPicture>(position);
        object->path = QStringToAnsi(file);
        object->viewer.SetFileName(file);
        return object;
    }
    QString dir;
    QString file;
};

TEST_F(FormPicturePaintTest, PicturesAreStretchedOntoTheirPosition)
{
    const auto object = picture({10, 10, 70, 40});
    const QImage image = paint(*object);
    EXPECT_EQ(at(image, 12, 25), QColor(255, 0, 0));
    EXPECT_EQ(at(image, 67, 25), QColor(0, 0, 255));
    EXPECT_EQ(at(image, 71, 25), kWhite);
}

TEST_F(FormPicturePaintTest, ShiftDragOfACornerKeepsThePicturesProportions)
{
    struct Case
    {
        int handle;
        POINT drag;
        unsigned flags;
        RECT expected;
    };
    const unsigned shift = kMouseLeftButton | kMouseShift;
    const Case cases[] = {
            // Too tall for the width: the height follows the width.
            {5, {110, 110}, shift, {10, 10, 110, 60}},
            // Too wide for the height: the width follows the height.
            {5, {300, 30}, shift, {10, 10, 50, 30}},
            {3, {110, -90}, shift, {10, 60, 110, 110}},
            {1, {-90, 0}, shift, {-90, 10, 110, 110}},
            // Edges and other keys size freely.
            {4, {300, 30}, shift, {10, 10, 300, 110}},
            {5, {110, 110}, kMouseLeftButton, {10, 10, 110, 110}},
            {5, {110, 110}, shift | kMouseControl, {10, 10, 110, 110}},
    };
    for (const Case &c : cases) {
        const auto object = picture({10, 10, 110, 110});
        object->LoadFailed();
        object->MoveHandleTo(c.handle, c.drag, c.flags);
        EXPECT_EQ(object->position, c.expected) << c.handle << " " << c.drag.x << "," << c.drag.y;
    }
}

} // namespace

// The painted caption, pixel by pixel: the fade into the caption colour,
// and the colour of the title after the program's name.
#include "platform/gfx/CaptionPainter.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

using namespace orvel;

namespace {

// The colour the fade gives column x of a caption `width` wide, worked out
// from the rule rather than from the code: bands a sixty-fourth of the fade
// wide, counted from the fade's right end.
QColor ExpectedFade(int x, int width, QColor caption)
{
    const int span = width * 5 / 6;
    if (x >= span)
        return caption;
    const int band = std::max(1, span / 64);
    const int bands = (span - band) / band + ((span - band) % band != 0 ? 1 : 0);
    // The bands stop where fewer than a band's width (or exactly one) is left.
    int left = span;
    for (int i = 0; i < bands && left > band; ++i)
        left -= band;
    if (x < left)
        return Qt::black;
    const int bandStart = span - ((span - x + band - 1) / band) * band;
    const long long d = span - bandStart;
    const auto f = [&](int c) { return c - int(c * d * d / (static_cast<long long>(span) * span)); };
    return QColor(f(caption.red()), f(caption.green()), f(caption.blue()));
}

CaptionLook Look(QColor caption, QColor text)
{
    CaptionLook look;
    look.activeCaption = caption;
    look.inactiveCaption = QColor(128, 128, 128);
    look.activeText = text;
    look.inactiveText = QColor(192, 192, 192);
    look.buttonFace = QColor(192, 192, 192);
    look.buttonLight = Qt::white;
    look.buttonShadow = QColor(128, 128, 128);
    look.buttonText = Qt::black;
    look.captionFont = QFont(QStringLiteral("DejaVu Sans"));
    look.captionFont.setPixelSize(12);
    look.captionFont.setBold(true);
    look.captionFont.setStyleStrategy(QFont::NoAntialias);
    look.title = QStringLiteral("Orvel 97 - [Adressen.ovd]");
    return look;
}

// Whether a pixel of exactly this colour lies in the columns [from, to).
bool HasColor(const QImage &image, int from, int to, QColor color)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = from; x < to; ++x) {
            if (image.pixelColor(x, y) == color)
                return true;
        }
    }
    return false;
}

} // namespace

TEST(CaptionPainter, TheFadeRunsFromBlackIntoTheCaptionColourInBands)
{
    for (int width : {1, 6, 77, 384, 640, 1921}) {
        SCOPED_TRACE(width);
        for (QColor caption : {QColor(0, 0, 128), QColor(255, 255, 0), QColor(10, 200, 255)}) {
            QImage image(width, 3, QImage::Format_RGB32);
            image.fill(Qt::magenta);
            PaintCaptionFade(image, caption);
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(image.pixelColor(x, 1), ExpectedFade(x, width, caption)) << x;
                ASSERT_EQ(image.pixelColor(x, 0), image.pixelColor(x, 2));
            }
        }
    }
    // The first column of a wide caption is black, the right sixth is plain.
    QImage image(640, 1, QImage::Format_RGB32);
    PaintCaptionFade(image, QColor(0, 0, 128));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(533, 0), QColor(0, 0, 128));
    EXPECT_EQ(image.pixelColor(639, 0), QColor(0, 0, 128));
}

TEST(CaptionPainter, DarkActiveCaptionsTurnTheTitleWhite)
{
    EXPECT_EQ(CaptionLightness(QColor(255, 255, 0)), 120);
    EXPECT_EQ(CaptionLightness(QColor(0, 0, 128)), 60);
    EXPECT_EQ(CaptionLightness(Qt::white), 240);
    EXPECT_EQ(CaptionLightness(Qt::black), 0);

    struct Case
    {
        QColor caption;
        QColor text;
        bool active;
        QColor expected;
    } cases[] = {
            {QColor(255, 255, 0), Qt::black, true, Qt::black},            // light: its own text colour
            {QColor(0, 0, 128), Qt::black, true, Qt::white},              // dark: white
            {QColor(0, 0, 128), QColor(255, 255, 0), true, Qt::white},    // whatever the text colour
            {QColor(0, 0, 128), Qt::black, false, QColor(192, 192, 192)}, // inactive: its own colour
    };
    for (const Case &c : cases) {
        CaptionLook look = Look(c.caption, c.text);
        look.active = c.active;
        EXPECT_EQ(CaptionRestColor(look), c.expected);
    }
}

TEST(CaptionPainter, TheCaptionShowsNameAndRestInTheirColoursAndStopsAtTheButtons)
{
    const QSize size(480, 22);
    const CaptionLayout layout = LayoutCaption(size);
    EXPECT_LT(layout.minimize.right(), layout.maximize.left());
    EXPECT_LT(layout.maximize.right(), layout.close.left());
    EXPECT_EQ(layout.close.right(), size.width() - 3);
    EXPECT_EQ(layout.icon.left(), 2);
    EXPECT_EQ(layout.ButtonAt(layout.close.center()), CaptionButton::Close);
    EXPECT_EQ(layout.ButtonAt(QPoint(layout.textLeft, 5)), CaptionButton::None);

    // Active, dark blue with black text: the rest is white (as the name).
    CaptionLook look = Look(QColor(0, 0, 128), Qt::black);
    QImage dark = PaintCaption(size, look);
    const int restFrom = layout.textLeft + 90; // beyond "Orvel 97"
    EXPECT_TRUE(HasColor(dark, restFrom, layout.textRight, Qt::white));
    EXPECT_FALSE(HasColor(dark, restFrom, layout.textRight, Qt::black));

    // Active, yellow: the rest keeps its black text; the inactive caption
    // draws it in the inactive text colour on grey.
    look = Look(QColor(255, 255, 0), Qt::black);
    QImage light = PaintCaption(size, look);
    EXPECT_TRUE(HasColor(light, restFrom, layout.textRight, Qt::black));
    look.active = false;
    QImage inactive = PaintCaption(size, look);
    EXPECT_TRUE(HasColor(inactive, restFrom, layout.textRight, QColor(192, 192, 192)));
    EXPECT_EQ(inactive.pixelColor(layout.textRight - 1, 0), QColor(128, 128, 128));

    // A caption too narrow for the name draws no rest.
    look.active = true;
    const QSize narrow(layout.textLeft + 90, 22);
    const CaptionLayout small = LayoutCaption(narrow);
    QImage cut = PaintCaption(narrow, look);
    EXPECT_FALSE(HasColor(cut, small.textLeft, small.textRight, Qt::black));
    EXPECT_TRUE(HasColor(cut, small.textLeft, small.textRight, Qt::white));
}

// The preview of an embedded picture: the new, empty picture of "Objekt
// einfügen" decodes, and new bytes make a new preview.
#include "form/DrawItem.h"
#include "form/OleValue.h"
#include "media/gfx/DocumentIcons.h"
#include "media/gfx/QtPictureDecoder.h"
#include "platform/gfx/ImageBitmap.h"
#include "platform/gfx/PainterGdi.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>

using namespace orvel;

TEST(EmbeddedPreviewTest, TheNewPictureIsWhiteAndNewBytesGiveANewPreview)
{
    RegisterQtPictureDecoder();
    CDrawItem item;
    MakeNewEmbeddedItem(item, NewDocumentKind::Picture);
    BitmapPtr preview = item.Preview();
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->width(), 320);
    EXPECT_EQ(preview->height(), 200);
    EXPECT_EQ(ImageBitmap::ImageOf(*preview).pixel(160, 100), qRgb(255, 255, 255));

    QImage red(4, 3, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && red.save(&buffer, "PNG"));
    item.ReplaceBytes(png);
    preview = item.Preview();
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->width(), 4);
    EXPECT_EQ(ImageBitmap::ImageOf(*preview).pixel(0, 0), qRgb(255, 0, 0));

    // A text is no picture: it shows its name instead.
    MakeNewEmbeddedItem(item, NewDocumentKind::PlainText);
    EXPECT_FALSE(item.Preview());
}

// A document that is no picture shows the icon of its type above its name
// and type, where the box has room for it.
TEST(EmbeddedPreviewTest, OtherDocumentsShowTheIconOfTheirType)
{
    RegisterQtPictureDecoder();
    CDrawItem item;
    MakeNewEmbeddedItem(item, NewDocumentKind::PlainText);
    const auto paint = [&](int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        CPainterDC dc(painter, kClassicColors);
        item.DrawInto(dc, RECT{0, 0, width, height});
        return image;
    };
    // Coloured pixels in the icon's square, in the middle below the top
    // edge (the name and type are drawn in black).
    const auto inkInIcon = [](const QImage &image) {
        int ink = 0;
        for (int y = 4; y < 36; ++y)
            for (int x = image.width() / 2 - 16; x < image.width() / 2 + 16; ++x)
                ink += image.pixelColor(x, y).hsvSaturation() > 40;
        return ink;
    };
    SetDocumentIconSource(nullptr);
    const int without = inkInIcon(paint(160, 100));
    RegisterDocumentIcons();
    const int with = inkInIcon(paint(160, 100));
    EXPECT_EQ(without, 0);
    EXPECT_GT(with, 20);
    // Too low a box: the name and type alone, as without an icon.
    const QImage lowWith = paint(160, 60);
    SetDocumentIconSource(nullptr);
    EXPECT_EQ(lowWith, paint(160, 60));

    const BitmapPtr icon = DocumentIconBitmap(QStringLiteral("application/x-unbekannt"), 32);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width(), 32);
    EXPECT_EQ(icon->height(), 32);
    EXPECT_EQ(DocumentIconBitmap(QStringLiteral("application/x-unbekannt"), 32), icon);
    EXPECT_FALSE(DocumentIconBitmap(QStringLiteral("text/plain"), 0));
}

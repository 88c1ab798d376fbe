// The preview of an embedded picture: the new, empty picture of "Objekt
// einfügen" decodes, and new bytes make a new preview.
#include "form/DrawItem.h"
#include "form/OleValue.h"
#include "media/gfx/QtPictureDecoder.h"
#include "platform/gfx/ImageBitmap.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

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

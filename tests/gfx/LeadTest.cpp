#include "media/Lead.h"
#include "media/gfx/QtPictureDecoder.h"
#include "platform/gfx/ImageBitmap.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

using namespace orvel;

namespace {

quint32 Le(const QByteArray &b, int at, int size)
{
    quint32 v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | quint8(b[at + i]);
    return v;
}

// A 3 × 2 picture with six distinct colours and 300 dpi.
QImage SamplePicture()
{
    QImage image(3, 2, QImage::Format_RGB32);
    const QRgb colours[6] = {qRgb(255, 0, 0),  qRgb(0, 255, 0),     qRgb(0, 0, 255),
                             qRgb(10, 20, 30), qRgb(250, 240, 230), qRgb(128, 128, 0)};
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, colours[i]);
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    return image;
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

BitmapPtr SampleBitmap()
{
    return ImageBitmap::Make(SamplePicture());
}

QRgb PixelOf(const BitmapPtr &bitmap, int x, int y)
{
    return bitmap ? ImageBitmap::ImageOf(*bitmap).pixel(x, y) : 0;
}

class LeadTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dir = test::MakeScratchDir();
        RegisterQtPictureDecoder();
    }
    QString path(const char *name) const { return dir + u'/' + QLatin1String(name); }
    QString dir;
};

} // namespace

TEST_F(LeadTest, LoadsLazilyAndReportsWhatTheFileHolds)
{
    // The name says BMP, the bytes are PNG: the contents decide.
    const QString file = path("picture.bmp");
    ASSERT_TRUE(SamplePicture().save(file, "PNG"));

    CLead lead;
    lead.SetFileName(file);
    EXPECT_TRUE(lead.IsLoadPending());
    EXPECT_EQ(lead.GetBitmapWidth(), 3.0f); // the first question decodes
    EXPECT_FALSE(lead.IsLoadPending());
    EXPECT_EQ(lead.GetLoadResult(), LeadOk);
    EXPECT_EQ(lead.GetBitmapHeight(), 2.0f);
    EXPECT_EQ(lead.GetBitsPerPixel(), 24);
    EXPECT_EQ(lead.GetXResolution(), 300);
    EXPECT_EQ(lead.GetInfoFormat(), kPictureFormatPng);

    // Handing the bitmap on, and clearing it.
    CLead receiver;
    receiver.SetBitmap(lead.GetBitmap());
    EXPECT_EQ(PixelOf(receiver.GetBitmap(), 2, 1), qRgb(128, 128, 0));
    receiver.ClearBitmap();
    EXPECT_FALSE(receiver.HasBitmap());

    // Examining a file does not decode it into the bitmap.
    ASSERT_TRUE(SamplePicture().save(path("p.jpg"), "JPEG"));
    EXPECT_EQ(receiver.GetFileInfo(path("p.jpg")), LeadOk);
    EXPECT_EQ(receiver.GetInfoFormat(), kPictureFormatJfif);
    EXPECT_EQ(receiver.GetInfoWidth(), 3);
    EXPECT_FALSE(receiver.HasBitmap());
}

TEST_F(LeadTest, FailedLoadsReportNonZeroAndClearTheBitmap)
{
    CLead lead;
    lead.SetBitmap(SampleBitmap());
    EXPECT_NE(lead.Load(path("missing.png")), LeadOk);
    EXPECT_FALSE(lead.HasBitmap());

    WriteBytes(path("junk.png"), QByteArray("\x89PNG\r\n\x1A\n but then nothing sensible", 35));
    lead.SetFileName(path("junk.png"));
    EXPECT_FALSE(lead.HasBitmap());
    EXPECT_NE(lead.GetLoadResult(), LeadOk);
    EXPECT_EQ(lead.GetBitmapWidth(), 0.0f);
    EXPECT_NE(lead.GetFileInfo(path("missing.png")), LeadOk);
    EXPECT_NE(lead.Load(dir), LeadOk); // a folder
}

TEST_F(LeadTest, SavesAnEightBitPalettisedWindowsBitmap)
{
    CLead lead;
    lead.SetBitmap(SampleBitmap());
    const QString file = path("saved.bmp");
    ASSERT_EQ(lead.Save(file, kPictureFormatWindowsBmp, 8, 1, false), LeadOk);

    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray b = in.readAll();
    const int stride = 4; // 3 bytes padded to 4
    ASSERT_EQ(b.size(), 14 + 40 + 1024 + 2 * stride);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(Le(b, 2, 4), quint32(b.size()));
    EXPECT_EQ(Le(b, 10, 4), 14u + 40u + 1024u); // pixels after the palette
    EXPECT_EQ(Le(b, 14, 4), 40u);
    EXPECT_EQ(Le(b, 18, 4), 3u);
    EXPECT_EQ(Le(b, 22, 4), 2u); // positive: bottom-up
    EXPECT_EQ(Le(b, 26, 2), 1u);
    EXPECT_EQ(Le(b, 28, 2), 8u);
    EXPECT_EQ(Le(b, 30, 4), 0u); // uncompressed
    EXPECT_EQ(Le(b, 38, 4), 11811u);
    EXPECT_EQ(Le(b, 46, 4), 256u);

    // The bottom row comes first; its first pixel is (0,1) = rgb(10,20,30).
    const int index = quint8(b[14 + 40 + 1024]);
    EXPECT_EQ(quint8(b[54 + 4 * index]), 30); // palette entries are blue, green, red
    EXPECT_EQ(quint8(b[54 + 4 * index + 1]), 20);
    EXPECT_EQ(quint8(b[54 + 4 * index + 2]), 10);

    CLead back;
    ASSERT_EQ(back.Load(file), LeadOk);
    EXPECT_EQ(back.GetInfoFormat(), kPictureFormatWindowsBmp);
    EXPECT_EQ(back.GetBitsPerPixel(), 8);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(PixelOf(back.GetBitmap(), i % 3, i / 3), SamplePicture().pixel(i % 3, i / 3)) << i;
}

TEST_F(LeadTest, SavingRefusesWhatItCannotWriteAndKeepsTheOldFile)
{
    CLead lead;
    EXPECT_EQ(lead.Save(path("none.bmp"), kPictureFormatWindowsBmp, 8), LeadNoBitmap);

    // Transparency is laid on white.
    QImage clear(1, 1, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    lead.SetBitmap(ImageBitmap::Make(clear));
    ASSERT_EQ(lead.Save(path("white.bmp"), kPictureFormatWindowsBmp, 24), LeadOk);
    EXPECT_EQ(QImage(path("white.bmp")).pixel(0, 0), qRgb(255, 255, 255));

    EXPECT_EQ(lead.Save(path("x.png"), kPictureFormatPng, 8), LeadUnsupported);
    EXPECT_EQ(lead.Save(path("x.bmp"), kPictureFormatWindowsBmp, 4), LeadUnsupported);
    EXPECT_EQ(lead.Save(path("no/such/folder.bmp"), kPictureFormatWindowsBmp, 8), LeadWriteFailed);
}

namespace {

int g_decoderCalls = 0;

// Stands in for the media layer's decoder of legacy formats: reads files
// starting with "XYZ" as a 4 × 4 picture of Sun raster format.
BitmapPtr FakeDecoder(const QString &path, int *formatCode)
{
    ++g_decoderCalls;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.read(3).startsWith("XYZ"))
        return nullptr;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::green);
    *formatCode = kPictureFormatSunRaster;
    return ImageBitmap::Make(image);
}

constexpr PictureDecoder kFakeDecoder{&FakeDecoder, nullptr};

} // namespace

TEST_F(LeadTest, RegisteredDecodersReadWhatQtCannot)
{
    WriteBytes(path("legacy.ras"), "XYZ legacy bytes");
    ASSERT_TRUE(SamplePicture().save(path("modern.png"), "PNG"));
    CLead lead;
    EXPECT_NE(lead.Load(path("legacy.ras")), LeadOk);

    RegisterPictureDecoder(kFakeDecoder);
    RegisterPictureDecoder(kFakeDecoder); // once only
    g_decoderCalls = 0;
    EXPECT_EQ(lead.Load(path("legacy.ras")), LeadOk);
    EXPECT_EQ(lead.GetBitmapWidth(), 4.0f);
    EXPECT_EQ(lead.GetInfoFormat(), kPictureFormatSunRaster);
    EXPECT_EQ(g_decoderCalls, 1);
    EXPECT_EQ(lead.Load(path("modern.png")), LeadOk);
    EXPECT_EQ(g_decoderCalls, 1); // Qt read it first
    UnregisterPictureDecoder(kFakeDecoder);
    EXPECT_NE(lead.Load(path("legacy.ras")), LeadOk);
}

TEST_F(LeadTest, FormatCodesAndNames)
{
    auto bytes = [](std::initializer_list<int> list) {
        QByteArray b;
        for (int v : list)
            b += char(v);
        return b;
    };
    QByteArray os2 = "BM" + QByteArray(12, '\0') + bytes({12, 0, 0, 0});
    EXPECT_EQ(DetectPictureFormat(os2), kPictureFormatOs2Bmp1);
    os2[14] = 64;
    EXPECT_EQ(DetectPictureFormat(os2), kPictureFormatOs2Bmp2);
    // A little-endian TIFF whose first directory says JPEG compression (7).
    const QByteArray tiffJpeg = "II*" + bytes({0, 8, 0, 0, 0, 1, 0, 3, 1, 3, 0, 1, 0, 0, 0, 7, 0, 0, 0});
    EXPECT_EQ(DetectPictureFormat(tiffJpeg), kPictureFormatTiffJpeg);
    // Directory offsets and counts past the end are not followed.
    EXPECT_EQ(DetectPictureFormat("II*" + bytes({0, 0xFF, 0xFF, 0xFF, 0x7F})), kPictureFormatTiff);
    EXPECT_EQ(DetectPictureFormat("MM" + bytes({0, 42, 0, 0, 0, 8, 0xFF, 0xFF})), kPictureFormatTiff);
    EXPECT_EQ(DetectPictureFormat(QByteArray(2048, '\0') + "PCD_IPI"), kPictureFormatPhotoCd);
    EXPECT_EQ(DetectPictureFormat("anything", "tga"), kPictureFormatTarga);
    EXPECT_EQ(DetectPictureFormat(""), kPictureFormatUnknown);

    EXPECT_EQ(PictureFormatName(6), QStringLiteral("Windows BMP"));
    EXPECT_EQ(PictureFormatName(67), QStringLiteral("Raw FAX"));
    EXPECT_EQ(PictureFormatName(70), QStringLiteral("WinFax"));
    EXPECT_EQ(PictureFormatName(63), QStringLiteral("Encapsulated PostScript & Embedded TIFF"));
    EXPECT_EQ(PictureFormatName(0), QStringLiteral("??"));
    EXPECT_EQ(PictureFormatName(77), QStringLiteral("??"));
}

TEST_F(LeadTest, ScanningGoesThroughTheInstalledScannerLayer)
{
    CLead lead;
    lead.SetBitmap(SampleBitmap());
    EXPECT_EQ(lead.SelectSource(), LeadNoScanner);
    EXPECT_EQ(lead.Acquire(), LeadNoScanner);
    EXPECT_FALSE(lead.HasBitmap()); // a failed acquisition clears the bitmap

    LeadScanner fake;
    fake.prepare = [] { return short(LeadOk); };
    fake.acquire = [](BitmapPtr *bitmap) {
        *bitmap = SampleBitmap();
        return short(LeadOk);
    };
    const LeadScanner previous = SetLeadScanner(fake);
    EXPECT_EQ(lead.SelectSource(), LeadOk);
    EXPECT_EQ(lead.Acquire(), LeadOk);
    EXPECT_EQ(lead.GetBitmapWidth(), 3.0f);
    SetLeadScanner(previous);
}

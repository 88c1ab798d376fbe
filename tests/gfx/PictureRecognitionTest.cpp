// Recognising a picture file before a decoder that must be told its format
// sees it, and the limits of Qt's readers on headers that claim enormous
// pictures.
#include "gfx/PictureBytes.h"
#include "media/Lead.h"
#include "media/PictureFormat.h"
#include "media/PictureIntegrity.h"
#include "media/gfx/QtPictureDecoder.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>

using namespace orvel;
using namespace orvel::test;

namespace {

QByteArray TrueColourTarga()
{
    return TargaHeader(0, 2, 0, 0, 4, 3, 24).zeros(36);
}

QByteArray MacPaintHeader(std::uint32_t version = 2)
{
    return PictureBytes().be32(version).zeros(600);
}

struct RecognitionCase
{
    const char *what;
    QByteArray head;
    const char *extension;
    int expected;
};

} // namespace

TEST(PictureRecognitionTest, SignaturesDecideAndOnlyFittingHeadersTakeTheirFormatFromTheExtension)
{
    const QByteArray pcx = PictureBytes().u8(0x0A).u8(5).u8(1).u8(8).zeros(124);
    const QByteArray script = "push graphic-context\nviewbox 0 0 10 10\nimage over 0,0 0,0 'bild.png'\n"
                              "pop graphic-context\n";
    const RecognitionCase cases[] = {
            {"TARGA by its extension", TrueColourTarga(), "tga", kPictureFormatTarga},
            {"extension in upper case", TrueColourTarga(), "TGA", kPictureFormatTarga},
            {"TARGA header under another extension", TrueColourTarga(), "bmp", kPictureFormatUnknown},
            {"colour map type 2", TargaHeader(2, 2, 0, 0, 4, 3, 24).zeros(36), "tga", kPictureFormatUnknown},
            {"colour-mapped without a map", TargaHeader(0, 1, 0, 0, 4, 3, 8).zeros(12), "tga", kPictureFormatUnknown},
            {"colour map of 12-bit entries", TargaHeader(1, 9, 2, 12, 4, 3, 8).zeros(12), "tga", kPictureFormatUnknown},
            {"run-length colour-mapped", TargaHeader(1, 9, 2, 24, 4, 3, 8).zeros(12), "tga", kPictureFormatTarga},
            {"depth 12", TargaHeader(0, 2, 0, 0, 4, 3, 12).zeros(36), "tga", kPictureFormatUnknown},
            {"no width", TargaHeader(0, 3, 0, 0, 0, 3, 8).zeros(12), "tga", kPictureFormatUnknown},
            {"header cut short", TrueColourTarga().first(17), "tga", kPictureFormatUnknown},
            {"drawing script named TARGA", script, "tga", kPictureFormatUnknown},
            {"drawing script named MacPaint", script + QByteArray(600, ' '), "mac", kPictureFormatUnknown},
            {"MacPaint by its extension", MacPaintHeader(), "mac", kPictureFormatMacPaint},
            {"MacPaint version 0", MacPaintHeader(0), "MAC", kPictureFormatMacPaint},
            {"MacPaint header under another extension", MacPaintHeader(), "pcx", kPictureFormatUnknown},
            {"MacPaint version 7", MacPaintHeader(7), "mac", kPictureFormatUnknown},
            {"MacPaint without rows", MacPaintHeader().first(512), "mac", kPictureFormatUnknown},
            {"MacBinary MacPaint under any name", MacBinaryHeader("PNTG", 600) + MacPaintHeader(), "tmp",
             kPictureFormatMacPaint},
            {"MacBinary text file", MacBinaryHeader("TEXT", 600) + MacPaintHeader(), "mac", kPictureFormatUnknown},
            {"signature beats the extension", pcx, "tga", kPictureFormatPcx},
            {"PNG named MacPaint", PngHeader(1, 1), "mac", kPictureFormatPng},
            {"Sun raster", PictureBytes().be32(0x59A66A95).zeros(28), "", kPictureFormatSunRaster},
            {"WordPerfect graphic", PictureBytes().raw("\xFFWPC").le32(16).u8(1).u8(0x16).u8(1).u8(0).zeros(4), "",
             kPictureFormatWordPerfect},
            {"Photoshop", PictureBytes().raw("8BPS").be16(1).zeros(20), "", kPictureFormatPhotoshop},
            {"Photo CD", QByteArray(2048, '\0') + "PCD_IPI", "", kPictureFormatPhotoCd},
            {"nothing", QByteArray(), "tga", kPictureFormatUnknown},
    };
    for (const RecognitionCase &c : cases) {
        EXPECT_EQ(RecognisePictureFile(c.head, QString::fromLatin1(c.extension)), c.expected) << c.what;
        EXPECT_NE(PictureFormatName(c.expected), QString()) << c.what;
    }
    EXPECT_EQ(DetectPictureFormat(MacBinaryHeader("PNTG", 600) + MacPaintHeader()), kPictureFormatMacPaint);
    EXPECT_FALSE(HasMacBinaryHeader(MacPaintHeader()));
}

TEST(PictureRecognitionTest, HeadersClaimingEnormousPicturesFailToLoad)
{
    RegisterQtPictureDecoder();
    EXPECT_EQ(QImageReader::allocationLimit(), kQtPictureAllocationLimitMB);
    const QString dir = MakeScratchDir();
    struct Claim
    {
        const char *file;
        QByteArray bytes;
    };
    const Claim claims[] = {
            {"huge.png", PngHeader(100000, 100000)},
            {"huge.bmp", PictureBytes()
                                 .raw("BM")
                                 .le32(70)
                                 .le32(0)
                                 .le32(54)
                                 .le32(40)
                                 .le32(100000)
                                 .le32(100000)
                                 .le16(1)
                                 .le16(24)
                                 .zeros(24)
                                 .zeros(16)},
            {"huge.gif", PictureBytes()
                                 .raw("GIF89a")
                                 .le16(65535)
                                 .le16(65535)
                                 .u8(0)
                                 .u8(0)
                                 .u8(0)
                                 .raw(",")
                                 .zeros(4)
                                 .le16(65535)
                                 .le16(65535)
                                 .u8(0)
                                 .u8(8)},
            // A TARGA file that Qt's reader would take as a whole picture.
            {"huge.tga", TargaHeader(0, 2, 0, 0, 65535, 65535, 32).zeros(64)},
    };
    for (const Claim &claim : claims) {
        const QString path = dir + u'/' + QLatin1String(claim.file);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(claim.bytes);
        file.close();
        CLead lead;
        EXPECT_NE(lead.Load(path), LeadOk) << claim.file;
        EXPECT_FALSE(lead.HasBitmap()) << claim.file;
    }
}

TEST(PictureRecognitionTest, FilesCutShortAreToldFromWholeOnesWhereDecodersWouldNotNotice)
{
    const QByteArray mac = PlainMacPaint();
    const QByteArray wpg = WordPerfectGraphic();
    // The same graphic without its bitmap record: header, start, palette, end.
    const QByteArray noBitmap = wpg.first(48) + QByteArray("\x10\x00", 2);
    QByteArray hugeRecord = wpg.first(48);
    hugeRecord += PictureBytes().u8(0x0B).u8(0xFF).le16(0x8001).le16(0x0000).zeros(20).bytes();
    const struct
    {
        const char *what;
        QByteArray file;
        int format;
        bool whole;
    } cases[] = {
            {"MacPaint", mac, kPictureFormatMacPaint, true},
            {"MacPaint with MacBinary header", MacBinaryMacPaint(), kPictureFormatMacPaint, true},
            {"MacPaint without its last byte", mac.first(mac.size() - 1), kPictureFormatMacPaint, false},
            {"MacPaint cut in its rows", mac.first(mac.size() / 2), kPictureFormatMacPaint, false},
            {"MacPaint header only", mac.first(512), kPictureFormatMacPaint, false},
            {"MacPaint of one long run", PictureBytes().be32(2).zeros(508).raw(QByteArray(402, '\x81')).bytes(),
             kPictureFormatMacPaint, false},
            {"WordPerfect graphic", wpg, kPictureFormatWordPerfect, true},
            {"WordPerfect graphic without end record", wpg.first(wpg.size() - 2), kPictureFormatWordPerfect, true},
            {"WordPerfect graphic cut in its bitmap", wpg.first(wpg.size() - 5), kPictureFormatWordPerfect, false},
            {"WordPerfect graphic cut in its palette", wpg.first(40), kPictureFormatWordPerfect, false},
            {"WordPerfect graphic without bitmap", noBitmap, kPictureFormatWordPerfect, false},
            {"WordPerfect record longer than the file", hugeRecord, kPictureFormatWordPerfect, false},
            {"WordPerfect header only", wpg.first(16), kPictureFormatWordPerfect, false},
            {"other formats are not judged", mac.first(10), kPictureFormatPcx, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HoldsWholePicture(c.file, c.format), c.whole) << c.what;
}

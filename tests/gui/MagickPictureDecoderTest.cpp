// Pictures of every format of the picture filter, read through the imaging
// control with Qt's readers and ImageMagick registered, and files that must
// fail to load without harm: cut short, lying about their size, random
// bytes, and drawing scripts under a picture's name.
#include "gui/PictureTestSupport.h"
#include "media/Lead.h"
#include "media/PictureFormat.h"
#include "media/gfx/QtPictureDecoder.h"
#include "platform/gfx/ImageBitmap.h"

#include <QBuffer>
#include <QDir>

#include <cstdlib>
#include <functional>

using namespace orvel;
using namespace orvel::test;

namespace {

enum class Reader { Qt, Magick, None };

QImage SolidPicture(QRgb colour)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// At the size of a Photo CD's base picture, which ImageMagick writes
// without scaling.
QImage HalfRedHalfGrey()
{
    QImage image(768, 512, QImage::Format_RGB32);
    image.fill(qRgb(128, 128, 128));
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 384; ++x)
            image.setPixel(x, y, qRgb(200, 60, 40));
    return image;
}

QByteArray WrittenByQt(const QImage &picture, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

bool Near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

void ExpectSampleColours(const QImage &image)
{
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(image.pixel(x, y), kSampleColours[(x + y) % 6]) << x << "," << y;
}

void ExpectMacPaintRows(const QImage &image)
{
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(3, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(4, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(575, 359), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(0, 360), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(575, 719), qRgb(255, 255, 255));
}

struct FormatCase
{
    const char *file;
    std::function<QByteArray()> bytes;
    Reader reader;
    int format;
    const char *formatName;
    QSize size;
    std::function<void(const QImage &)> check;
};

const std::vector<FormatCase> &FormatCases()
{
    static const std::vector<FormatCase> cases = {
            {"bild.bmp",
             [] { return WrittenByQt(SamplePicture(), "BMP"); },
             Reader::Qt,
             kPictureFormatWindowsBmp,
             "Windows BMP",
             {6, 4},
             ExpectSampleColours},
            {"bild.png",
             [] { return WrittenByQt(SamplePicture(), "PNG"); },
             Reader::Qt,
             kPictureFormatPng,
             "Portable Network Graphics",
             {6, 4},
             ExpectSampleColours},
            {"bild.jpg",
             [] { return WrittenByQt(SolidPicture(qRgb(200, 60, 40)), "JPEG"); },
             Reader::Qt,
             kPictureFormatJfif,
             "JPEG File Interchange Format",
             {64, 48},
             [](const QImage &image) { EXPECT_TRUE(Near(image.pixel(32, 24), qRgb(200, 60, 40), 8)); }},
            {"bild.tif",
             [] { return WrittenByQt(SamplePicture(), "TIFF"); },
             Reader::Qt,
             kPictureFormatTiff,
             "Tagged Image File Format",
             {6, 4},
             ExpectSampleColours},
            {"bild.pcx",
             [] { return WrittenByMagick(SamplePicture(), "PCX"); },
             Reader::Magick,
             kPictureFormatPcx,
             "ZSoft PCX",
             {6, 4},
             ExpectSampleColours},
            {"bild.ras",
             [] { return WrittenByMagick(SamplePicture(), "SUN"); },
             Reader::Magick,
             kPictureFormatSunRaster,
             "Sun Raster",
             {6, 4},
             ExpectSampleColours},
            {"bild.psd",
             [] { return WrittenByMagick(SamplePicture(), "PSD"); },
             Reader::Magick,
             kPictureFormatPhotoshop,
             "Adobe Photoshop 3.0",
             {6, 4},
             ExpectSampleColours},
            {"bild.tga",
             [] { return ColourMappedTarga(); },
             Reader::Magick,
             kPictureFormatTarga,
             "TARGA",
             {6, 4},
             ExpectSampleColours},
            // Photo CD keeps its base picture of 768 × 512 in luminance and
            // chrominance of its own; ImageMagick does not write them back
            // exactly, so the colours are only near: red on the left, grey on
            // the right.
            {"bild.pcd",
             [] { return WrittenByMagick(HalfRedHalfGrey(), "PCD"); },
             Reader::Magick,
             kPictureFormatPhotoCd,
             "Kodak PhotoCD",
             {768, 512},
             [](const QImage &image) {
                 const QRgb left = image.pixel(192, 256);
                 EXPECT_TRUE(qRed(left) > qGreen(left) + 100 && qRed(left) > qBlue(left) + 100) << std::hex << left;
                 EXPECT_TRUE(Near(image.pixel(576, 256), qRgb(128, 128, 128), 16)) << std::hex << image.pixel(576, 256);
             }},
            {"bild.mac",
             PlainMacPaint,
             Reader::Magick,
             kPictureFormatMacPaint,
             "MacPaint",
             {576, 720},
             ExpectMacPaintRows},
            // With its MacBinary header it is recognised under any name.
            {"kopie.tmp",
             MacBinaryMacPaint,
             Reader::Magick,
             kPictureFormatMacPaint,
             "MacPaint",
             {576, 720},
             ExpectMacPaintRows},
            {"bild.wpg",
             [] { return WordPerfectGraphic(); },
             Reader::Magick,
             kPictureFormatWordPerfect,
             "WordPerfect",
             {6, 4},
             ExpectSampleColours},
            // Drawn at 96 dots per inch.
            {"bild.wmf",
             [] { return Metafile(); },
             Reader::Magick,
             kPictureFormatWmf,
             "Windows Meta File",
             {96, 48},
             [](const QImage &image) { EXPECT_TRUE(Near(image.pixel(48, 24), qRgb(255, 0, 0), 0)); }},
            {"bild.img",
             [] {
                 return PictureBytes()
                         .be16(1)
                         .be16(8)
                         .be16(1)
                         .be16(2)
                         .be16(85)
                         .be16(85)
                         .be16(6)
                         .be16(4)
                         .zeros(16)
                         .bytes();
             },
             Reader::None,
             0,
             "",
             {},
             nullptr},
            {"bild.msp",
             [] { return PictureBytes().raw("LinS").le16(6).le16(4).zeros(24).bytes(); },
             Reader::None,
             0,
             "",
             {},
             nullptr},
            {"bild.cmp",
             [] { return PictureBytes().raw("LEAD").le16(6).le16(4).zeros(120).bytes(); },
             Reader::None,
             0,
             "",
             {},
             nullptr},
    };
    return cases;
}

class MagickPictureDecoderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        RegisterQtPictureDecoder();
        ASSERT_TRUE(RegisterMagickPictureDecoder());
    }
    void TearDown() override { UnregisterMagickPictureDecoder(); }

    QString write(const char *name, const QByteArray &bytes)
    {
        const QString path = dir + u'/' + QString::fromLatin1(name);
        WriteFile(path, bytes);
        return path;
    }

    QString dir;
};

} // namespace

TEST_F(MagickPictureDecoderTest, EveryFormatOfThePictureFilterLoadsThroughItsReader)
{
    for (const FormatCase &c : FormatCases()) {
        SCOPED_TRACE(c.file);
        const QString path = write(c.file, c.bytes());
        CLead lead;
        if (c.reader == Reader::None) {
            EXPECT_EQ(lead.Load(path), LeadBadFormat);
            continue;
        }
        ASSERT_EQ(lead.Load(path), LeadOk);
        EXPECT_EQ(lead.GetBitmapWidth(), float(c.size.width()));
        EXPECT_EQ(lead.GetBitmapHeight(), float(c.size.height()));
        EXPECT_EQ(lead.GetInfoFormat(), c.format);
        EXPECT_EQ(PictureFormatName(lead.GetInfoFormat()), QString::fromLatin1(c.formatName));
        const QImage image = ImageBitmap::ImageOf(*lead.GetBitmap()).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(image.size(), c.size);
        c.check(image);

        // Examining the file tells the same facts.
        CLead examiner;
        EXPECT_EQ(examiner.GetFileInfo(path), LeadOk);
        EXPECT_EQ(examiner.GetInfoFormat(), c.format);
        EXPECT_EQ(examiner.GetInfoWidth(), c.size.width());

        // Without ImageMagick only Qt's formats load.
        UnregisterMagickPictureDecoder();
        EXPECT_EQ(lead.Load(path) == LeadOk, c.reader == Reader::Qt);
        RegisterMagickPictureDecoder();
    }
}

TEST_F(MagickPictureDecoderTest, DepthAndResolutionAreThoseOfTheFile)
{
    CLead lead;
    ASSERT_EQ(lead.Load(write("bild.mac", PlainMacPaint())), LeadOk);
    EXPECT_EQ(lead.GetBitsPerPixel(), 1);
    EXPECT_EQ(lead.GetXResolution(), 96); // MacPaint states none

    // Colour-mapped pictures count the bits their colours need, as Qt's do.
    ASSERT_EQ(lead.Load(write("bild.tga", ColourMappedTarga())), LeadOk);
    EXPECT_EQ(lead.GetBitsPerPixel(), 4);

    // Resolutions come as the file states them.
    ASSERT_EQ(lead.Load(write("bild.psd", WrittenByMagick(SamplePicture(), "PSD", 300))), LeadOk);
    EXPECT_EQ(lead.GetBitsPerPixel(), 24);
    EXPECT_EQ(lead.GetXResolution(), 300);
    EXPECT_EQ(lead.GetYResolution(), 300);

    // A saved copy of a legacy picture is an ordinary Windows bitmap.
    ASSERT_EQ(lead.Load(write("bild.pcx", WrittenByMagick(SamplePicture(), "PCX"))), LeadOk);
    ASSERT_EQ(lead.Save(dir + QStringLiteral("/kopie.bmp"), kPictureFormatWindowsBmp, 8), LeadOk);
    EXPECT_EQ(QImage(dir + QStringLiteral("/kopie.bmp")).convertToFormat(QImage::Format_RGB32).pixel(3, 0),
              kSampleColours[3]);
}

TEST_F(MagickPictureDecoderTest, DamagedFilesFailToLoad)
{
    struct Damaged
    {
        const char *file;
        QByteArray bytes;
    };
    std::vector<Damaged> damaged;
    // Every file of a format ImageMagick reads, cut in half and cut after its
    // first bytes. (Qt's readers show what arrived of a picture cut short;
    // they only must not crash.)
    for (const FormatCase &c : FormatCases()) {
        if (c.reader == Reader::Qt) {
            const QByteArray whole = c.bytes();
            CLead lead;
            lead.Load(write(c.file, whole.first(whole.size() / 2)));
            lead.Load(write(c.file, whole.first(std::min<qsizetype>(whole.size(), 40))));
        }
        if (c.reader != Reader::Magick)
            continue;
        const QByteArray whole = c.bytes();
        damaged.push_back({c.file, whole.first(whole.size() / 2)});
        damaged.push_back({c.file, whole.first(std::min<qsizetype>(whole.size(), 40))});
    }
    // Headers that claim enormous pictures.
    damaged.push_back(
            {"huge.pcx",
             PictureBytes().u8(0x0A).u8(5).u8(1).u8(8).le16(0).le16(0).le16(65534).le16(65534).zeros(116).zeros(1000)});
    damaged.push_back({"huge.ras", PictureBytes()
                                           .be32(0x59A66A95)
                                           .be32(100000)
                                           .be32(100000)
                                           .be32(24)
                                           .be32(0)
                                           .be32(1)
                                           .be32(0)
                                           .be32(0)
                                           .zeros(1000)});
    damaged.push_back({"wide.ras", PictureBytes()
                                           .be32(0x59A66A95)
                                           .be32(15000)
                                           .be32(15000)
                                           .be32(8)
                                           .be32(225000000)
                                           .be32(1)
                                           .be32(0)
                                           .be32(0)
                                           .zeros(1000)});
    damaged.push_back({"huge.psd", PictureBytes()
                                           .raw("8BPS")
                                           .be16(1)
                                           .zeros(6)
                                           .be16(3)
                                           .be32(30000)
                                           .be32(30000)
                                           .be16(8)
                                           .be16(3)
                                           .be32(0)
                                           .be32(0)
                                           .be32(0)
                                           .be16(0)
                                           .zeros(1000)});
    damaged.push_back({"huge.tga", ColourMappedTarga(65535, 65535)});
    damaged.push_back({"huge.wpg", WordPerfectGraphic(65535, 65535)});
    damaged.push_back({"huge.wmf", Metafile(32767, 32767, 1)});
    damaged.push_back({"huge.tif", PictureBytes()
                                           .raw("II*")
                                           .u8(0)
                                           .le32(8)
                                           .le16(4)
                                           .le16(256)
                                           .le16(4)
                                           .le32(1)
                                           .le32(100000) // width
                                           .le16(257)
                                           .le16(4)
                                           .le32(1)
                                           .le32(100000) // length
                                           .le16(258)
                                           .le16(3)
                                           .le32(1)
                                           .le32(8) // bits per sample
                                           .le16(273)
                                           .le16(4)
                                           .le32(1)
                                           .le32(62) // strip offsets
                                           .le32(0)
                                           .zeros(64)});
    // Random bytes under every picture name.
    std::srand(14);
    for (const char *name : {"zufall.pcx", "zufall.ras", "zufall.tga", "zufall.psd", "zufall.pcd", "zufall.mac",
                             "zufall.wpg", "zufall.wmf", "zufall.tif", "zufall.png", "zufall.bmp", "zufall.jpg"}) {
        QByteArray noise(3000, '\0');
        for (char &c : noise)
            c = char(std::rand() & 0xFF);
        damaged.push_back({name, noise});
    }

    for (const Damaged &d : damaged) {
        SCOPED_TRACE(d.file);
        CLead lead;
        EXPECT_NE(lead.Load(write(d.file, d.bytes)), LeadOk);
        EXPECT_FALSE(lead.HasBitmap());
    }
}

TEST_F(MagickPictureDecoderTest, DrawingScriptsUnderAPictureNameAreNeverRun)
{
    // Scripts of ImageMagick's own drawing languages that would draw another
    // file of this machine; however they are named, nobody reads them.
    const QString secret = write("geheim.png", WrittenByQt(SamplePicture(), "PNG"));
    const QByteArray drawing = "push graphic-context\nviewbox 0 0 6 4\nimage over 0,0 6,4 '" + secret.toUtf8()
                               + "'\npop graphic-context\n";
    const QByteArray scripting = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<image>\n<read filename=\""
                                 + secret.toUtf8() + "\" />\n</image>\n";
    for (const char *name : {"skript.tga", "skript.pcx", "skript.mac", "skript.wpg", "skript.wmf", "skript.psd",
                             "skript.ras", "skript.pcd", "skript.tif", "skript.png", "skript.bmp", "skript.img"}) {
        SCOPED_TRACE(name);
        for (const QByteArray &script : {drawing, scripting, drawing + QByteArray(700, ' ')}) {
            CLead lead;
            EXPECT_EQ(lead.Load(write(name, script)), LeadBadFormat);
            EXPECT_FALSE(lead.HasBitmap());
        }
    }
}

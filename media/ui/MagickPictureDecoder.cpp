#include "media/ui/MagickPictureDecoder.h"

#include "media/PictureDecoder.h"
#include "media/PictureFormat.h"
#include "media/PictureIntegrity.h"
#include "platform/gfx/ImageBitmap.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSysInfo>

#include <Magick++.h>

#include <algorithm>
#include <cstdio>

namespace orvel {

namespace {

// Files of these old formats are small; anything larger is refused before
// it is read into memory.
constexpr qint64 kMaxPictureFileBytes = qint64(256) << 20;

// ImageMagick keeps 16-bit samples: 8 bytes a pixel. 256 MiB of pixels in
// memory are 32 million pixels; nothing spills into memory-mapped or disk
// caches, so a larger picture fails to load.
constexpr MagickCore::MagickSizeType kMemoryLimit = MagickCore::MagickSizeType(256) << 20;
constexpr MagickCore::MagickSizeType kAreaLimit = MagickCore::MagickSizeType(32) << 20;
constexpr MagickCore::MagickSizeType kSideLimit = 16000;
// What ImageMagick takes for "no limit".
constexpr MagickCore::MagickSizeType kNoLimit = ~MagickCore::MagickSizeType(0) >> 1;

// Only the coders of the formats below may run, also when a coder reads a
// picture nested in another (a WordPerfect graphic may carry any format and
// ImageMagick would guess that one's format from its bytes), and only their
// modules are ever loaded; no outside program is started for any of them.
// TIFF files stay with Qt's reader: ImageMagick's TIFF module takes over the
// error handler of the TIFF library for the whole process, and Qt's reader,
// which uses the same library, would then report its errors into a picture
// ImageMagick has long finished with. The program only reads through
// ImageMagick; writing these formats is allowed so that the tests can make
// their samples with it.
constexpr const char *kSecurityPolicy = R"(<policymap>
  <policy domain="delegate" rights="none" pattern="*"/>
  <policy domain="module" rights="none" pattern="*"/>
  <policy domain="module" rights="read|write" pattern="{MAC,PCD,PCX,PSD,SUN,TGA,WMF,WPG}"/>
  <policy domain="coder" rights="none" pattern="*"/>
  <policy domain="coder" rights="read|write" pattern="{MAC,PCD,PCX,PSD,SUN,TGA,WMF,WPG}"/>
  <policy domain="path" rights="none" pattern="@*"/>
</policymap>)";

enum class MagickState { Untried, Ready, Refused };

MagickState &State()
{
    static MagickState state = MagickState::Untried;
    return state;
}

bool InitialiseMagick()
{
    if (State() != MagickState::Untried)
        return State() == MagickState::Ready;
    State() = MagickState::Refused;
    Magick::InitializeMagick(nullptr);
    MagickCore::ExceptionInfo *exception = MagickCore::AcquireExceptionInfo();
    const bool restricted = MagickCore::SetMagickSecurityPolicy(kSecurityPolicy, exception) != MagickCore::MagickFalse;
    exception = MagickCore::DestroyExceptionInfo(exception);
    if (!restricted) {
        std::fprintf(stderr, "orvel: ImageMagick refused the picture policy; legacy picture formats stay unread\n");
        return false;
    }
    Magick::ResourceLimits::memory(kMemoryLimit);
    Magick::ResourceLimits::map(0);
    Magick::ResourceLimits::disk(0);
    Magick::ResourceLimits::area(kAreaLimit);
    Magick::ResourceLimits::width(kSideLimit);
    Magick::ResourceLimits::height(kSideLimit);
    // Pictures are decoded on the interface's thread, one at a time.
    Magick::ResourceLimits::thread(1);
    // ImageMagick 6 counts its time limit from the first picture the process
    // decoded, not per picture, and ends the whole process when it runs out:
    // a running program would die after that long. The size limits above
    // bound the work of one picture instead.
    MagickCore::SetMagickResourceLimit(MagickCore::TimeResource, kNoLimit);
    State() = MagickState::Ready;
    return true;
}

// Colour-mapped pictures stay colour-mapped, so that their depth (1, 4 or 8
// bits) is reported as the file had it; grey pictures become 256 grey
// levels, everything else 32-bit pixels with or without alpha.
QImage IndexedImage(const Magick::Image &image)
{
    const MagickCore::Image *raw = image.constImage();
    const auto width = int(image.columns());
    const auto height = int(image.rows());
    const auto colours = int(raw->colors);
    QImage out(width, height, QImage::Format_Indexed8);
    if (out.isNull())
        return {};
    QList<QRgb> table;
    table.reserve(colours);
    for (int i = 0; i < colours; ++i) {
        const MagickCore::PixelPacket &c = raw->colormap[i];
        table.append(qRgb(MagickCore::ScaleQuantumToChar(c.red), MagickCore::ScaleQuantumToChar(c.green),
                          MagickCore::ScaleQuantumToChar(c.blue)));
    }
    out.setColorTable(table);
    for (int y = 0; y < height; ++y) {
        if (image.getConstPixels(0, y, size_t(width), 1) == nullptr)
            return {};
        const MagickCore::IndexPacket *indexes = image.getConstIndexes();
        if (indexes == nullptr)
            return {};
        uchar *line = out.scanLine(y);
        for (int x = 0; x < width; ++x)
            line[x] = uchar(std::min<int>(int(indexes[x]), colours - 1));
    }
    return out;
}

QImage GreyImage(Magick::Image &image)
{
    const auto width = int(image.columns());
    const auto height = int(image.rows());
    QImage out(width, height, QImage::Format_Indexed8);
    if (out.isNull())
        return {};
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, i, i));
    out.setColorTable(table);
    // Row by row: Qt pads 8-bit rows to four bytes, ImageMagick does not.
    for (int y = 0; y < height; ++y)
        image.write(0, y, size_t(width), 1, "I", Magick::CharPixel, out.scanLine(y));
    return out;
}

QImage TrueColourImage(Magick::Image &image)
{
    const bool alpha = image.matte();
    QImage out(int(image.columns()), int(image.rows()), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return {};
    // QImage keeps a pixel as one 32-bit 0xAARRGGBB word.
    const char *order = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "BGRA" : "ARGB";
    image.write(0, 0, image.columns(), image.rows(), order, Magick::CharPixel, out.bits());
    return out;
}

QImage ToQImage(Magick::Image &image)
{
    // Photo CD pictures come in their own luminance and chrominance,
    // Photoshop pictures may come in CMYK or Lab: the pixels handed on are
    // red, green and blue.
    const MagickCore::ColorspaceType space = image.constImage()->colorspace;
    if (space != MagickCore::sRGBColorspace && space != MagickCore::RGBColorspace
        && space != MagickCore::GRAYColorspace)
        image.colorSpace(MagickCore::sRGBColorspace);
    const MagickCore::Image *raw = image.constImage();
    if (raw->storage_class == MagickCore::PseudoClass && raw->colormap != nullptr && raw->colors > 0
        && raw->colors <= 256)
        return IndexedImage(image);
    if (raw->colorspace == MagickCore::GRAYColorspace && !image.matte())
        return GreyImage(image);
    return TrueColourImage(image);
}

int DotsPerMeter(double resolution, MagickCore::ResolutionType units)
{
    // The old formats that state a resolution without a unit mean dots per
    // inch.
    const double perMeter = units == MagickCore::PixelsPerCentimeterResolution ? resolution * 100 : resolution / 0.0254;
    // Less than one dot per inch is no resolution anybody meant.
    if (!(perMeter >= 1 / 0.0254) || perMeter > 1e7)
        return 0;
    return int(perMeter + 0.5);
}

// The whole picture or nothing. A warning about damaged data means that
// part of the picture is missing: that is a failed load, as for a picture
// that does not read at all. Other warnings (resources of other programs in a
// Photoshop file, for example) leave the picture whole.
bool ReadPicture(Magick::Image &image, const QByteArray &bytes, const char *coder, int format)
{
    try {
        image.quiet(false);
        if (format == kPictureFormatWmf) {
            // A metafile is drawn at the screen's 96 dots per inch.
            image.density(Magick::Geometry(96, 96));
        }
        // A Photo CD holds its picture in several sizes; ImageMagick's
        // default is the base size. Other files give their first picture.
        if (format != kPictureFormatPhotoCd) {
            image.subImage(0);
            image.subRange(1);
        }
        image.magick(coder);
        image.read(Magick::Blob(bytes.constData(), size_t(bytes.size())));
    } catch (const Magick::WarningCorruptImage &) {
        return false;
    } catch (const Magick::Warning &) {
    } catch (const std::exception &) {
        return false;
    } catch (...) {
        return false;
    }
    return image.isValid() && image.columns() > 0 && image.rows() > 0 && image.columns() <= kSideLimit
           && image.rows() <= kSideLimit;
}

BitmapPtr decode(const QString &path, int *formatCode)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxPictureFileBytes)
        return nullptr;
    QByteArray bytes = file.readAll();
    const int format =
            RecognisePictureFile(QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), kPictureFormatHeadSize)),
                                 QFileInfo(path).suffix());
    const char *coder = MagickCoderFor(format);
    if (coder == nullptr || !HoldsWholePicture(bytes, format) || !InitialiseMagick())
        return nullptr;
    // ImageMagick reads MacPaint files with the MacBinary header in front;
    // files without it get an empty one.
    if (format == kPictureFormatMacPaint && !HasMacBinaryHeader(bytes))
        bytes.prepend(QByteArray(128, '\0'));

    QImage picture;
    int dotsPerMeterX = 0;
    int dotsPerMeterY = 0;
    try {
        Magick::Image image;
        if (!ReadPicture(image, bytes, coder, format))
            return nullptr;
        picture = ToQImage(image);
        dotsPerMeterX = DotsPerMeter(image.xResolution(), image.resolutionUnits());
        dotsPerMeterY = DotsPerMeter(image.yResolution(), image.resolutionUnits());
    } catch (...) {
        return nullptr;
    }
    if (picture.isNull())
        return nullptr;
    picture.setDotsPerMeterX(dotsPerMeterX);
    picture.setDotsPerMeterY(dotsPerMeterY);
    *formatCode = format;
    return ImageBitmap::Make(std::move(picture));
}

constexpr PictureDecoder kMagickDecoder{decode, nullptr};

} // namespace

const char *MagickCoderFor(int formatCode)
{
    switch (formatCode) {
    case kPictureFormatPcx:
        return "PCX";
    case kPictureFormatTarga:
        return "TGA";
    case kPictureFormatWmf:
        return "WMF";
    case kPictureFormatMacPaint:
        return "MAC";
    case kPictureFormatWordPerfect:
        return "WPG";
    case kPictureFormatSunRaster:
        return "SUN";
    case kPictureFormatPhotoCd:
        return "PCD";
    case kPictureFormatPhotoshop:
        return "PSD";
    default:
        return nullptr;
    }
}

bool RegisterMagickPictureDecoder()
{
    if (!InitialiseMagick())
        return false;
    RegisterPictureDecoder(kMagickDecoder);
    return true;
}

void UnregisterMagickPictureDecoder()
{
    UnregisterPictureDecoder(kMagickDecoder);
}

} // namespace orvel

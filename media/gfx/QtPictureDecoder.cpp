#include "media/gfx/QtPictureDecoder.h"

#include "media/PictureDecoder.h"
#include "media/PictureFormat.h"
#include "platform/gfx/ImageBitmap.h"

#include <QFile>
#include <QImageReader>

namespace orvel {

namespace {

// The contents decide, not the name: users rename files, and a picture field
// may hold a temporary copy with the extension TMP.
BitmapPtr decode(const QString &path, int *formatCode)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray head = file.read(kPictureFormatHeadSize);
    file.seek(0);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QByteArray readerFormat = reader.format();
    QImage decoded;
    if (readerFormat.isEmpty() || !reader.read(&decoded) || decoded.isNull())
        return nullptr;
    *formatCode = DetectPictureFormat(head, readerFormat);
    return ImageBitmap::Make(std::move(decoded));
}

// Qt's readers know size and depth from the header alone.
bool examine(const QString &path, PictureFacts *facts)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(kPictureFormatHeadSize);
    file.seek(0);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray readerFormat = reader.format();
    const QSize size = readerFormat.isEmpty() ? QSize() : reader.size();
    if (!size.isValid())
        return false;
    facts->formatCode = DetectPictureFormat(head, readerFormat);
    facts->width = size.width();
    facts->height = size.height();
    facts->bitsPerPixel = ImageBitmap::BitsOf(reader.imageFormat(), 0);
    return true;
}

constexpr PictureDecoder kQtDecoder{decode, examine};

} // namespace

void RegisterQtPictureDecoder()
{
    // Stated here rather than left to Qt's default, which has changed between
    // versions: a header that claims an enormous picture must give a failed
    // load, never an allocation of gigabytes. 256 MB hold 64 million pixels
    // of 32 bits, more than any picture a form shows.
    QImageReader::setAllocationLimit(kQtPictureAllocationLimitMB);
    RegisterPictureDecoder(kQtDecoder);
}

void UnregisterQtPictureDecoder()
{
    UnregisterPictureDecoder(kQtDecoder);
}

} // namespace orvel

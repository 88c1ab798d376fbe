#include "media/PictureDecoder.h"

#include "media/PictureFormat.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <vector>

namespace orvel {

namespace {

std::vector<PictureDecoder> &Decoders()
{
    static std::vector<PictureDecoder> decoders;
    return decoders;
}

} // namespace

void RegisterPictureDecoder(PictureDecoder decoder)
{
    auto &decoders = Decoders();
    if (decoder && std::find(decoders.begin(), decoders.end(), decoder) == decoders.end())
        decoders.push_back(decoder);
}

void UnregisterPictureDecoder(PictureDecoder decoder)
{
    auto &decoders = Decoders();
    decoders.erase(std::remove(decoders.begin(), decoders.end(), decoder), decoders.end());
}

bool DecodePicture(const QString &path, QImage *image, int *formatCode)
{
    *image = QImage();
    *formatCode = kPictureFormatUnknown;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(kPictureFormatHeadSize);
    file.seek(0);

    // The contents decide, not the name: users rename files, and a picture
    // field may hold a temporary copy with the extension TMP.
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QByteArray readerFormat = reader.format();
    QImage decoded;
    if (!readerFormat.isEmpty() && reader.read(&decoded) && !decoded.isNull()) {
        *image = decoded;
        *formatCode = DetectPictureFormat(head, readerFormat);
        return true;
    }
    file.close();

    for (const PictureDecoder decoder : Decoders()) {
        QImage other;
        int code = kPictureFormatUnknown;
        if (decoder(path, &other, &code) && !other.isNull()) {
            *image = other;
            *formatCode = code != kPictureFormatUnknown ? code : DetectPictureFormat(head);
            return true;
        }
    }
    return false;
}

} // namespace orvel

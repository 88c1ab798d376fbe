#include "media/PictureDecoder.h"

#include "media/PictureFormat.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace orvel {

namespace {

std::vector<PictureDecoder> &Decoders()
{
    static std::vector<PictureDecoder> decoders;
    return decoders;
}

bool Same(const PictureDecoder &a, const PictureDecoder &b)
{
    return a.decode == b.decode && a.examine == b.examine;
}

QByteArray Head(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(kPictureFormatHeadSize) : QByteArray();
}

} // namespace

void RegisterPictureDecoder(const PictureDecoder &decoder)
{
    auto &decoders = Decoders();
    if (decoder.decode && std::none_of(decoders.begin(), decoders.end(), [&](const PictureDecoder &known) {
            return Same(known, decoder);
        }))
        decoders.push_back(decoder);
}

void UnregisterPictureDecoder(const PictureDecoder &decoder)
{
    auto &decoders = Decoders();
    decoders.erase(std::remove_if(decoders.begin(), decoders.end(),
                                  [&](const PictureDecoder &known) { return Same(known, decoder); }),
                   decoders.end());
}

BitmapPtr DecodePicture(const QString &path, int *formatCode)
{
    *formatCode = kPictureFormatUnknown;
    for (const PictureDecoder &decoder : Decoders()) {
        int code = kPictureFormatUnknown;
        if (BitmapPtr bitmap = decoder.decode(path, &code)) {
            // The contents decide, not the name: users rename files, and a
            // picture field may hold a temporary copy with the extension TMP.
            *formatCode = code != kPictureFormatUnknown ? code : DetectPictureFormat(Head(path));
            return bitmap;
        }
    }
    return nullptr;
}

bool ExaminePicture(const QString &path, PictureFacts *facts)
{
    *facts = PictureFacts();
    for (const PictureDecoder &decoder : Decoders()) {
        if (decoder.examine && decoder.examine(path, facts))
            return true;
    }
    // A file only a registered decoder reads has to be decoded to be
    // examined.
    int format = kPictureFormatUnknown;
    const BitmapPtr bitmap = DecodePicture(path, &format);
    if (!bitmap)
        return false;
    *facts = PictureFacts{format, bitmap->width(), bitmap->height(), bitmap->bitsPerPixel()};
    return true;
}

} // namespace orvel

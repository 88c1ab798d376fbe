// Recognises a picture format from arbitrary leading bytes, as the imaging
// control does before any decoder sees a file, and checks the structure of
// the formats whose decoders stop quietly where the data ends. The first byte picks the name
// a decoder reported or the file's extension; the rest is the file's head.
// Whatever comes out must be a format with a name, and a signature must
// decide alone: no extension may turn a file with a signature into another
// format.
#include "media/PictureFormat.h"
#include "media/PictureIntegrity.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <iterator>

namespace {

constexpr const char *kNames[] = {"", "tga", "pcx", "pict", "pct", "mac", "img", "TGA", "Mac", "bmp", "wpg", "psd"};

void checkNamed(int code)
{
    if (code != orvel::kPictureFormatUnknown && orvel::PictureFormatName(code) == QStringLiteral("??"))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) {
        checkNamed(orvel::DetectPictureFormat({}));
        return 0;
    }
    const char *name = kNames[data[0] % std::size(kNames)];
    // libFuzzer's buffer ends exactly at the input, so a read past the head
    // is caught.
    const QByteArrayView head(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const int bySignature = orvel::DetectPictureFormat(head);
    const int named = orvel::DetectPictureFormat(head, QByteArrayView(name));
    const int recognised = orvel::RecognisePictureFile(head, QString::fromLatin1(name));
    orvel::HasMacBinaryHeader(head);
    // The structure checks of the formats whose decoders stop quietly at
    // the end of the data, on every head as if it were that format's file.
    orvel::HoldsWholePicture(head, orvel::kPictureFormatMacPaint);
    orvel::HoldsWholePicture(head, orvel::kPictureFormatWordPerfect);
    orvel::HoldsWholePicture(head, recognised);
    checkNamed(bySignature);
    checkNamed(named);
    checkNamed(recognised);
    if (bySignature != orvel::kPictureFormatUnknown && (named != bySignature || recognised != bySignature))
        std::abort();
    // Recognising from a name never invents what the header does not fit:
    // only TARGA and MacPaint are taken from the extension.
    if (bySignature == orvel::kPictureFormatUnknown && recognised != orvel::kPictureFormatUnknown
        && recognised != orvel::kPictureFormatTarga && recognised != orvel::kPictureFormatMacPaint)
        std::abort();
    return 0;
}

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace orvel {

// The file-format codes the imaging control reports for the file it last
// examined, and their names on the picture property page ("Dateityp:").
// Codes are stored nowhere; they only pick the name shown.
enum PictureFormatCode : short {
    kPictureFormatUnknown = 0,
    kPictureFormatPcx = 1,
    kPictureFormatGif = 2,
    kPictureFormatTiff = 3,
    kPictureFormatTarga = 4,
    kPictureFormatWindowsBmp = 6,
    kPictureFormatJfif = 10,
    kPictureFormatTiffJpeg = 11,
    kPictureFormatOs2Bmp1 = 14,
    kPictureFormatWmf = 15,
    kPictureFormatEps = 16,
    kPictureFormatCals = 50,
    kPictureFormatMacPaint = 51,
    kPictureFormatGemImage = 52,
    kPictureFormatMsPaint = 53,
    kPictureFormatWordPerfect = 54,
    kPictureFormatSunRaster = 55,
    kPictureFormatPict = 56,
    kPictureFormatPhotoCd = 57,
    kPictureFormatEpsTiff = 63,
    kPictureFormatRawFax = 66, // 66 to 68
    kPictureFormatWinFax = 69, // 69 and 70
    kPictureFormatIoca = 71,   // 71 to 73
    kPictureFormatOs2Bmp2 = 74,
    kPictureFormatPng = 75,
    kPictureFormatPhotoshop = 76,
};

// The name shown for a format code; "??" for a code without a name.
QString PictureFormatName(int code);

// How many leading bytes of a file DetectPictureFormat looks at at most
// (Photo CD images carry their signature at offset 2048).
inline constexpr int kPictureFormatHeadSize = 4096;

// The format code of a file, from its leading bytes and, for formats without
// a signature, the format name the decoder reported ("tga", "pcx", ... in
// lower case; empty when unknown). Returns kPictureFormatUnknown for
// anything else. Reads only inside `head`.
int DetectPictureFormat(QByteArrayView head, QByteArrayView decoderFormat = {});

// The format code of a picture file before anything decodes it: by its
// signature as DetectPictureFormat tells it, and for the formats that have
// none (TARGA, and MacPaint without the MacBinary header a Macintosh adds)
// by the file's extension ("tga", "mac", in any case), and only when the
// header also fits that format. kPictureFormatUnknown for anything else, so
// that a decoder which must be told the format is never handed a file that
// merely carries a picture's extension. Reads only inside `head`.
int RecognisePictureFile(QByteArrayView head, QStringView extension);

// Whether a MacPaint file starts with the 128-byte MacBinary header (file
// type "PNTG") before its own 512-byte header.
bool HasMacBinaryHeader(QByteArrayView head);

} // namespace orvel

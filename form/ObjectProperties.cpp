#include "form/ObjectProperties.h"

#include "form/DrawObj.h"
#include "form/DrawPicture.h"
#include "form/DrawText.h"
#include "form/EmbeddedItem.h"
#include "form/FormObjects.h"
#include "media/PictureDecoder.h"
#include "media/PictureFormat.h"
#include "platform/Codepage.h"
#include "platform/MulDiv.h"
#include "platform/Nls.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>

#include <string>

namespace orvel {
namespace {

QString TwoNumbers(int64_t a, int64_t b)
{
    return QStringLiteral("%1 x %2").arg(a).arg(b);
}

const QString kNone = QStringLiteral("-");

bool IsScan(const AnsiString &path)
{
    return AnsiToQString(path).compare(QLatin1String(kScannedPicturePath), Qt::CaseInsensitive) == 0;
}

QString ByteCountText(int64_t bytes)
{
    const AnsiString grouped = FormatNumberForDisplay(std::to_string(bytes), 0);
    return AnsiToQString(grouped) + (bytes == 1 ? QStringLiteral(" Byte") : QStringLiteral(" Bytes"));
}

// The type's description in the program's language: Qt describes types in
// the default locale's language, which is the user's.
QString GermanComment(const QMimeType &type)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QString comment = type.comment();
    QLocale::setDefault(previous);
    return comment;
}

} // namespace

// --- Line and fill ---------------------------------------------------------------

LineFillValues LineFillValuesOf(const CDrawObj &object)
{
    LineFillValues values;
    values.width = object.hasPen != 0 ? object.pen.lopnWidth.x : 0;
    values.lineColor = object.pen.lopnColor;
    const uint32_t style = object.pen.lopnStyle;
    if (object.frame3D != 0)
        values.kind = kLine3D;
    else if (style >= PS_DASH && style <= PS_DASHDOTDOT)
        values.kind = int(style);
    else
        values.kind = kLineSolid;
    values.fill = object.hasBrush != 0;
    values.fillColor = object.brush.lbColor;
    return values;
}

uint32_t PenStyleForKind(int kind)
{
    if (kind >= kLineDashed && kind <= kLineDashDotDot)
        return uint32_t(kind);
    return PS_INSIDEFRAME;
}

int EffectiveLineKind(int width, int kind)
{
    return width > 1 ? kLineSolid : kind;
}

void ApplyLineFillValues(CFormObjects &form, CDrawObj &object, const LineFillValues &values, bool withFill)
{
    const int kind = EffectiveLineKind(values.width, values.kind);
    form.ChangeObject(&object, [&values, kind, withFill](CDrawObj &changed) {
        changed.hasPen = values.width != 0 ? 1 : 0;
        if (values.width != 0)
            changed.pen.lopnWidth = {values.width, values.width};
        changed.frame3D = kind == kLine3D ? 1 : 0;
        if (withFill)
            changed.hasBrush = values.fill ? 1 : 0;
    });
    form.SetLineStyle(&object, PenStyleForKind(kind));
    form.SetLineColor(&object, values.lineColor);
    if (withFill)
        form.SetFillColor(&object, values.fillColor);
}

// --- Texts -----------------------------------------------------------------------

TextValues TextValuesOf(const CDrawText &text)
{
    TextValues values;
    values.text = text.text;
    values.wordWrap = text.wordWrap != 0;
    values.angle = text.font.lfEscapement / 10;
    values.font = text.font;
    values.font.lfEscapement = 0;
    values.font.lfOrientation = 0;
    values.color = text.textColor;
    values.alignment = text.alignment;
    return values;
}

uint16_t TextDrawFlags(int alignment, bool wordWrap)
{
    return uint16_t((alignment & 0xFFFF) | (wordWrap ? DT_WORDBREAK : 0));
}

void ApplyTextValues(CFormObjects &form, CDrawText &text, const TextValues &values)
{
    form.ChangeObject(&text, [&values](CDrawObj &changed) {
        auto &target = static_cast<CDrawText &>(changed);
        const int32_t escapement = target.font.lfEscapement;
        const int32_t orientation = target.font.lfOrientation;
        target.text = values.text;
        target.font = values.font;
        if (values.angle == escapement / 10) {
            target.font.lfEscapement = escapement;
            target.font.lfOrientation = orientation;
        } else {
            target.font.lfEscapement = values.angle * 10;
            target.font.lfOrientation = values.angle * 10;
        }
        target.textColor = values.color;
        target.alignment = uint16_t(values.alignment);
        target.drawFlags = TextDrawFlags(values.alignment, values.wordWrap);
        target.wordWrap = values.wordWrap ? 1 : 0;
    });
}

int FontPointSize(int cellHeight, int internalLeading, int dpiY)
{
    return MulDiv(cellHeight - internalLeading, 72, dpiY);
}

int FontPointSizeFromTenths(int tenths)
{
    return tenths / 10;
}

QString FontDescription(const LOGFONT &font, int pointSize)
{
    const AnsiString face = font.faceName();
    if (face.empty())
        return LoadQString(ids::kFontNoneSelected);
    return AnsiToQString(face) + QStringLiteral(", ") + QString::number(pointSize) + u' '
           + LoadQString(ids::kFontPoints);
}

// --- Pictures ----------------------------------------------------------------------

PictureInfo PictureInfoOf(CDrawPicture &picture)
{
    PictureInfo info;
    info.path = picture.path;
    info.embedded = picture.embedded != 0;
    const RECT r = picture.GetNormalizedPosition();
    info.width = r.right - r.left;
    info.height = r.bottom - r.top;
    info.loadFailed = picture.LoadFailed() || !picture.viewer.HasBitmap();
    if (info.loadFailed)
        return info;
    CLead &viewer = picture.viewer;
    info.bitmapWidth = int(viewer.GetBitmapWidth());
    info.bitmapHeight = int(viewer.GetBitmapHeight());
    info.dpiX = viewer.GetXResolution();
    info.dpiY = viewer.GetYResolution();
    info.bitsPerPixel = viewer.GetBitsPerPixel();
    info.formatCode = viewer.GetInfoFormat();
    // A bitmap handed over by the insert-picture dialog comes without the
    // facts of its file: the file tells them.
    if (info.formatCode == kPictureFormatUnknown && !IsScan(info.path)) {
        PictureFacts facts;
        if (ExaminePicture(picture.GetPictureFile(), &facts))
            info.formatCode = facts.formatCode;
    }
    return info;
}

QString ColorCountText(int bitsPerPixel)
{
    if (bitsPerPixel >= 24)
        return QStringLiteral("16 Mill.");
    if (bitsPerPixel <= 0)
        return kNone;
    return QString::number(int64_t(1) << bitsPerPixel);
}

PicturePageTexts PicturePageTextsOf(const PictureInfo &info)
{
    PicturePageTexts texts;
    texts.fileName = AnsiToQString(info.path);
    texts.status = LoadQString(info.embedded ? ids::kPictureEmbedded : ids::kPictureLinked);
    texts.size = TwoNumbers(info.width, info.height);
    if (info.loadFailed) {
        texts.fileType = QStringLiteral("FEHLER");
        texts.originalSize = texts.resolution = texts.colors = kNone;
        return texts;
    }
    texts.fileType = IsScan(info.path) ? kNone : PictureFormatName(info.formatCode);
    texts.originalSize = TwoNumbers(info.bitmapWidth, info.bitmapHeight);
    texts.resolution = TwoNumbers(info.dpiX, info.dpiY);
    texts.colors = ColorCountText(info.bitsPerPixel);
    return texts;
}

// --- Embedded documents --------------------------------------------------------------

EmbeddedDocumentTexts EmbeddedDocumentTextsOf(const CEmbeddedItem *item)
{
    EmbeddedDocumentTexts texts{kNone, kNone, kNone, kNone, kNone};
    if (item == nullptr)
        return texts;
    if (!item->fileName.empty())
        texts.name = AnsiToQString(item->fileName);
    const QString mime = AnsiToQString(item->mimeType);
    if (!mime.isEmpty()) {
        const QMimeType type = QMimeDatabase().mimeTypeForName(mime);
        const QString comment = type.isValid() ? GermanComment(type) : QString();
        texts.type = comment.isEmpty() || comment == mime ? mime : comment + QStringLiteral(" (") + mime + u')';
    }
    texts.status = LoadQString(item->linked ? ids::kPictureLinked : ids::kPictureEmbedded);
    if (item->linked) {
        const QString path = AnsiToQString(item->linkPath);
        if (!path.isEmpty())
            texts.location = path;
        const QFileInfo file(path);
        if (!path.isEmpty() && file.isFile())
            texts.size = ByteCountText(file.size());
    } else {
        texts.size = ByteCountText(item->bytes.size());
    }
    return texts;
}

} // namespace orvel

#include "form/EmbeddedItem.h"

#include "media/PictureDecoder.h"
#include "platform/Codepage.h"
#include "platform/LogFont.h"
#include "platform/TempFile.h"

#include <QFile>

namespace orvel {

ORVEL_IMPLEMENT_DYNAMIC(CEmbeddedItem, CObject);

void CEmbeddedItem::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        ar.WriteU16(kVersion);
        ar.WriteString(fileName);
        ar.WriteString(mimeType);
        ar.WriteU16(linked ? 1 : 0);
        if (linked) {
            ar.WriteString(linkPath);
        } else {
            if (uint64_t(bytes.size()) > 0xFFFFFFFFu)
                throw ArchiveException(ArchiveException::BadFormat, "embedded document larger than 4 GiB");
            ar.WriteU32(uint32_t(bytes.size()));
            ar.WriteBytes(bytes);
        }
    } else {
        const uint16_t version = ar.ReadU16();
        if (version != kVersion)
            throw ArchiveException(ArchiveException::BadFormat,
                                   "embedded document of version " + std::to_string(version));
        fileName = ar.ReadString();
        mimeType = ar.ReadString();
        linked = ar.ReadU16() != 0;
        if (linked) {
            linkPath = ar.ReadString();
            bytes.clear();
        } else {
            linkPath.clear();
            // ReadBytes checks the count against the input before it copies.
            bytes = ar.ReadBytes(std::size_t(ar.ReadU32()));
        }
    }
}

void CEmbeddedItem::CopyTo(CEmbeddedItem &other) const
{
    other.fileName = fileName;
    other.mimeType = mimeType;
    other.linked = linked;
    other.linkPath = linkPath;
    other.bytes = bytes;
}

void CEmbeddedItem::ReplaceBytes(const QByteArray &newBytes)
{
    bytes = newBytes;
    m_preview.reset();
    m_previewTried = false;
}

BitmapPtr CEmbeddedItem::Preview() const
{
    if (m_previewTried)
        return m_preview;
    m_previewTried = true;
    int format = 0;
    if (linked) {
        m_preview = DecodePicture(AnsiToQString(linkPath), &format);
        return m_preview;
    }
    if (bytes.isEmpty())
        return nullptr;
    // The decoders read files: the bytes go to a private one for a moment.
    TempFile copy = TempFile::Create(QStringLiteral("TMP"), QStringLiteral("tmp"));
    if (copy.isNull())
        return nullptr;
    QFile file(copy.path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return nullptr;
    file.close();
    m_preview = DecodePicture(copy.path(), &format);
    return m_preview;
}

namespace {

DocumentIconSource g_iconSource = nullptr;

// The icon's size, and the room it needs: the icon and two lines of text.
constexpr int kIconSize = 32;
constexpr int kIconRoom = kIconSize + 40;

} // namespace

void SetDocumentIconSource(DocumentIconSource source)
{
    g_iconSource = source;
}

void CEmbeddedItem::DrawInto(CDC &dc, const RECT &rect) const
{
    if (const BitmapPtr preview = Preview()) {
        dc.StretchBitmap(*preview, rect, QRectF());
        return;
    }
    dc.SelectPen(kBlackPen);
    dc.SelectBrush(kWhiteBrush);
    dc.Rectangle(rect);
    RECT text = rect;
    InflateRect(text, -4, -4);
    const int width = text.right - text.left;
    if (g_iconSource && width >= kIconSize && text.bottom - text.top >= kIconRoom) {
        if (const BitmapPtr icon = g_iconSource(AnsiToQString(mimeType), kIconSize)) {
            const int left = text.left + (width - kIconSize) / 2;
            dc.StretchBitmap(*icon, RECT{left, text.top, left + kIconSize, text.top + kIconSize}, QRectF());
            text.top += kIconSize + 2;
        }
    }
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(0x000000);
    dc.SelectFont(StockFont(DEFAULT_GUI_FONT));
    const QString label = AnsiToQString(fileName) + u'\n' + AnsiToQString(mimeType);
    dc.DrawText(label, text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
}

} // namespace orvel

#include "media/Lead.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>

namespace orvel {

namespace {

LeadScanner &Scanner()
{
    static LeadScanner scanner;
    return scanner;
}

short DotsPerInch(int dotsPerMeter)
{
    if (dotsPerMeter <= 0)
        return 96;
    const double dpi = std::round(dotsPerMeter * 0.0254);
    return dpi > 32767 ? short(32767) : static_cast<short>(dpi);
}

QByteArray ReadHead(const QString &path, bool *opened)
{
    QFile file(path);
    *opened = file.open(QIODevice::ReadOnly);
    return *opened ? file.read(kPictureFormatHeadSize) : QByteArray();
}

// Writes the whole file or leaves what stood at `path` as it was.
bool WriteFileReplacing(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // A file the user may write in a folder they may not is still saved.
    file.setDirectWriteFallback(true);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

LeadScanner SetLeadScanner(LeadScanner scanner)
{
    const LeadScanner previous = Scanner();
    Scanner() = scanner;
    return previous;
}

BitmapPtr CLead::GetBitmap()
{
    loadPending();
    return m_bitmap;
}

bool CLead::HasBitmap()
{
    loadPending();
    return m_bitmap != nullptr;
}

void CLead::SetBitmap(BitmapPtr bitmap)
{
    m_loadPending = false;
    m_bitmap = std::move(bitmap);
}

void CLead::SetFileName(const QString &path)
{
    m_fileName = path;
    m_bitmap = nullptr;
    m_loadPending = !path.isEmpty();
    m_loadResult = LeadOk;
}

short CLead::EnsureLoaded()
{
    loadPending();
    return m_loadResult;
}

void CLead::loadPending()
{
    if (!m_loadPending)
        return;
    m_loadPending = false;
    Load(m_fileName);
}

short CLead::Load(const QString &path, short bitsPerPixel, short page)
{
    m_loadPending = false;
    m_fileName = path;
    m_bitmap = nullptr;
    m_loadResult = LeadOk;
    m_infoFormat = kPictureFormatUnknown;
    m_infoWidth = m_infoHeight = 0;
    m_infoBits = 0;
    if (page != 0 || (bitsPerPixel != 0 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return m_loadResult = LeadUnsupported;

    if (!QFileInfo(path).isFile())
        return m_loadResult = LeadFileNotFound;
    int format = kPictureFormatUnknown;
    BitmapPtr bitmap = DecodePicture(path, &format);
    if (!bitmap) {
        bool opened = false;
        ReadHead(path, &opened);
        return m_loadResult = opened ? LeadBadFormat : LeadFileNotFound;
    }
    if (bitsPerPixel != 0 && bitsPerPixel != bitmap->bitsPerPixel()) {
        bitmap = bitmap->converted(bitsPerPixel);
        if (!bitmap)
            return m_loadResult = LeadUnsupported;
    }
    m_bitmap = bitmap;
    m_infoFormat = static_cast<short>(format);
    m_infoWidth = bitmap->width();
    m_infoHeight = bitmap->height();
    m_infoBits = bitmap->bitsPerPixel();
    return m_loadResult;
}

short CLead::GetFileInfo(const QString &path, short page)
{
    m_infoFormat = kPictureFormatUnknown;
    m_infoWidth = m_infoHeight = 0;
    m_infoBits = 0;
    if (page != 0)
        return LeadUnsupported;
    if (!QFileInfo(path).isFile())
        return LeadFileNotFound;
    bool opened = false;
    ReadHead(path, &opened);
    if (!opened)
        return LeadFileNotFound;
    PictureFacts facts;
    if (!ExaminePicture(path, &facts))
        return LeadBadFormat;
    m_infoFormat = static_cast<short>(facts.formatCode);
    m_infoWidth = facts.width;
    m_infoHeight = facts.height;
    m_infoBits = facts.bitsPerPixel;
    return LeadOk;
}

float CLead::GetBitmapWidth()
{
    loadPending();
    return m_bitmap ? static_cast<float>(m_bitmap->width()) : 0.0f;
}

float CLead::GetBitmapHeight()
{
    loadPending();
    return m_bitmap ? static_cast<float>(m_bitmap->height()) : 0.0f;
}

short CLead::GetBitsPerPixel()
{
    loadPending();
    return m_bitmap ? m_bitmap->bitsPerPixel() : short(0);
}

short CLead::GetXResolution()
{
    loadPending();
    return m_bitmap ? DotsPerInch(m_bitmap->dotsPerMeterX()) : short(0);
}

short CLead::GetYResolution()
{
    loadPending();
    return m_bitmap ? DotsPerInch(m_bitmap->dotsPerMeterY()) : short(0);
}

short CLead::Save(const QString &path, short format, short bitsPerPixel, short quality, bool multiPage)
{
    Q_UNUSED(quality);
    Q_UNUSED(multiPage);
    loadPending();
    if (!m_bitmap)
        return LeadNoBitmap;
    if (format != kPictureFormatWindowsBmp || (bitsPerPixel != 8 && bitsPerPixel != 24))
        return LeadUnsupported;
    const std::optional<QByteArray> bytes = m_bitmap->windowsBmp(bitsPerPixel);
    if (!bytes)
        return LeadUnsupported;
    return WriteFileReplacing(path, *bytes) ? LeadOk : LeadWriteFailed;
}

void CLead::SetSrcRect(float left, float top, float width, float height)
{
    m_srcRect = QRectF(left, top, width, height);
}

void CLead::SetDstRect(float left, float top, float width, float height)
{
    m_dstRect = QRectF(left, top, width, height);
}

bool CLead::Draw(CDC &dc, const RECT &target)
{
    loadPending();
    if (!m_bitmap || IsRectEmpty(target))
        return false;
    dc.StretchBitmap(*m_bitmap, target, m_srcRect);
    return true;
}

void CLead::ForceRepaint()
{
    if (m_repaint)
        m_repaint();
}

short CLead::SelectSource()
{
    const LeadScanner scanner = Scanner();
    return scanner.prepare ? scanner.prepare() : short(LeadNoScanner);
}

short CLead::Acquire()
{
    const LeadScanner scanner = Scanner();
    if (!scanner.acquire) {
        ClearBitmap();
        return LeadNoScanner;
    }
    BitmapPtr bitmap;
    short result = scanner.acquire(&bitmap);
    if (result == LeadOk && !bitmap)
        result = LeadNoScanner;
    if (result != LeadOk) {
        ClearBitmap();
        return result;
    }
    SetBitmap(std::move(bitmap));
    return LeadOk;
}

void CLead::SetSwitch(int id, bool value)
{
    if (id < 0 || id >= 32)
        return;
    const unsigned bit = 1u << id;
    m_switches = value ? (m_switches | bit) : (m_switches & ~bit);
}

bool CLead::GetSwitch(int id) const
{
    return id >= 0 && id < 32 && (m_switches & (1u << id)) != 0;
}

} // namespace orvel

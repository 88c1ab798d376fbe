#include "media/Lead.h"

#include "media/BmpWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

#include <cmath>

namespace orvel {

namespace {

LeadScanner &Scanner()
{
    static LeadScanner scanner;
    return scanner;
}

short BitsOf(QImage::Format format, int colorCount)
{
    switch (format) {
    case QImage::Format_Invalid:
        return 0;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return 1;
    case QImage::Format_Indexed8:
        // Qt widens 1- and 4-bit palettes to 8 bits when it reads them; the
        // palette's size still tells the file's depth.
        if (colorCount > 0 && colorCount <= 2)
            return 1;
        if (colorCount > 0 && colorCount <= 16)
            return 4;
        return 8;
    case QImage::Format_Grayscale8:
    case QImage::Format_Alpha8:
        return 8;
    case QImage::Format_RGB16:
    case QImage::Format_RGB555:
    case QImage::Format_RGB444:
        return 16;
    case QImage::Format_RGB32:
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGB666:
        return 24;
    default:
        return 32;
    }
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

QImage CLead::GetBitmap()
{
    loadPending();
    return m_bitmap;
}

bool CLead::HasBitmap()
{
    loadPending();
    return !m_bitmap.isNull();
}

void CLead::SetBitmap(const QImage &bitmap)
{
    m_loadPending = false;
    m_bitmap = bitmap;
}

void CLead::SetFileName(const QString &path)
{
    m_fileName = path;
    m_bitmap = QImage();
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
    m_bitmap = QImage();
    m_loadResult = LeadOk;
    m_infoFormat = kPictureFormatUnknown;
    m_infoWidth = m_infoHeight = 0;
    m_infoBits = 0;
    if (page != 0 || (bitsPerPixel != 0 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return m_loadResult = LeadUnsupported;

    if (!QFileInfo(path).isFile())
        return m_loadResult = LeadFileNotFound;
    QImage image;
    int format = kPictureFormatUnknown;
    if (!DecodePicture(path, &image, &format)) {
        bool opened = false;
        ReadHead(path, &opened);
        return m_loadResult = opened ? LeadBadFormat : LeadFileNotFound;
    }
    if (bitsPerPixel == 8 && image.format() != QImage::Format_Indexed8)
        image = image.convertToFormat(QImage::Format_Indexed8);
    else if (bitsPerPixel == 24)
        image = image.convertToFormat(QImage::Format_RGB32);
    else if (bitsPerPixel == 32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    m_bitmap = image;
    m_infoFormat = static_cast<short>(format);
    m_infoWidth = image.width();
    m_infoHeight = image.height();
    m_infoBits = BitsOf(image.format(), image.colorCount());
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
    const QByteArray head = ReadHead(path, &opened);
    if (!opened)
        return LeadFileNotFound;

    // Qt's readers know size and depth from the header alone; a file only a
    // registered decoder reads has to be decoded to be examined.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return LeadFileNotFound;
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray readerFormat = reader.format();
    const QSize size = readerFormat.isEmpty() ? QSize() : reader.size();
    if (size.isValid()) {
        m_infoFormat = static_cast<short>(DetectPictureFormat(head, readerFormat));
        m_infoWidth = size.width();
        m_infoHeight = size.height();
        m_infoBits = BitsOf(reader.imageFormat(), 0);
        return LeadOk;
    }
    file.close();
    QImage image;
    int format = kPictureFormatUnknown;
    if (!DecodePicture(path, &image, &format))
        return LeadBadFormat;
    m_infoFormat = static_cast<short>(format);
    m_infoWidth = image.width();
    m_infoHeight = image.height();
    m_infoBits = BitsOf(image.format(), image.colorCount());
    return LeadOk;
}

float CLead::GetBitmapWidth()
{
    loadPending();
    return static_cast<float>(m_bitmap.width());
}

float CLead::GetBitmapHeight()
{
    loadPending();
    return static_cast<float>(m_bitmap.height());
}

short CLead::GetBitsPerPixel()
{
    loadPending();
    return BitsOf(m_bitmap.format(), m_bitmap.colorCount());
}

short CLead::GetXResolution()
{
    loadPending();
    return m_bitmap.isNull() ? short(0) : DotsPerInch(m_bitmap.dotsPerMeterX());
}

short CLead::GetYResolution()
{
    loadPending();
    return m_bitmap.isNull() ? short(0) : DotsPerInch(m_bitmap.dotsPerMeterY());
}

short CLead::Save(const QString &path, short format, short bitsPerPixel, short quality, bool multiPage)
{
    Q_UNUSED(quality);
    Q_UNUSED(multiPage);
    loadPending();
    if (m_bitmap.isNull())
        return LeadNoBitmap;
    if (format != kPictureFormatWindowsBmp || (bitsPerPixel != 8 && bitsPerPixel != 24))
        return LeadUnsupported;
    const std::optional<QByteArray> bytes = EncodeWindowsBmp(m_bitmap, bitsPerPixel);
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

bool CLead::Draw(QPainter &painter, const QRectF &target)
{
    loadPending();
    if (m_bitmap.isNull() || target.isEmpty())
        return false;
    const QRectF source = m_srcRect.isEmpty() ? QRectF(m_bitmap.rect()) : m_srcRect;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_bitmap, source);
    painter.restore();
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
    QImage image;
    short result = scanner.acquire(&image);
    if (result == LeadOk && image.isNull())
        result = LeadNoScanner;
    if (result != LeadOk) {
        ClearBitmap();
        return result;
    }
    SetBitmap(image);
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

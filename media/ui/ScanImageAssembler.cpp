#include "media/ui/ScanImageAssembler.h"

#include <cstring>

namespace orvel {

namespace {

// At most 64 million pixels: a 32-bit picture of 256 MB.
constexpr qint64 kMaxPixels = qint64(64) << 20;

bool IsColourChannel(SANE_Frame format)
{
    return format == SANE_FRAME_RED || format == SANE_FRAME_GREEN || format == SANE_FRAME_BLUE;
}

QList<QRgb> GreyTable()
{
    QList<QRgb> table;
    table.reserve(256);
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, i, i));
    return table;
}

} // namespace

bool ScanImageAssembler::beginFrame(const SANE_Parameters &p)
{
    if (m_inFrame || m_complete)
        return false;
    const bool knownFormat = p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB || IsColourChannel(p.format);
    if (!knownFormat || (p.depth != 1 && p.depth != 8 && p.depth != 16))
        return false;
    if (p.pixels_per_line <= 0 || p.bytes_per_line <= 0 || (p.lines <= 0 && p.lines != -1))
        return false;
    const qint64 channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    const qint64 bitsPerLine = qint64(p.pixels_per_line) * channels * p.depth;
    if ((bitsPerLine + 7) / 8 > p.bytes_per_line)
        return false;
    if (p.lines > 0
        && (qint64(p.bytes_per_line) * p.lines > kMaxFrameBytes || qint64(p.pixels_per_line) * p.lines > kMaxPixels))
        return false;
    // A grey or colour frame is the whole picture; colour channels all
    // belong to one picture of one size.
    if (!m_picture.isNull()) {
        if (!IsColourChannel(p.format) || p.pixels_per_line != m_picture.width()
            || (p.lines > 0 && p.lines != m_picture.height()))
            return false;
    }
    m_frame = p;
    m_data.clear();
    if (p.lines > 0)
        m_data.reserve(qsizetype(p.bytes_per_line) * p.lines);
    m_inFrame = true;
    return true;
}

bool ScanImageAssembler::add(const SANE_Byte *data, SANE_Int length)
{
    if (!m_inFrame || length < 0 || m_data.size() + length > kMaxFrameBytes)
        return false;
    m_data.append(reinterpret_cast<const char *>(data), length);
    return true;
}

bool ScanImageAssembler::endFrame()
{
    if (!m_inFrame)
        return false;
    m_inFrame = false;
    const qint64 lineBytes = m_frame.bytes_per_line;
    // A hand scanner tells its length only by the data; a last line that
    // did not arrive whole is left out.
    const qint64 lines = m_frame.lines > 0 ? m_frame.lines : m_data.size() / lineBytes;
    if (lines <= 0 || m_data.size() < lines * lineBytes || qint64(m_frame.pixels_per_line) * lines > kMaxPixels)
        return false;
    if (!m_picture.isNull() && lines != m_picture.height())
        return false;

    bool taken = false;
    switch (m_frame.format) {
    case SANE_FRAME_GRAY:
        taken = takeGrey(int(lines));
        break;
    case SANE_FRAME_RGB:
        taken = takeColour(int(lines));
        break;
    case SANE_FRAME_RED:
        taken = takeChannel(int(lines), 16);
        break;
    case SANE_FRAME_GREEN:
        taken = takeChannel(int(lines), 8);
        break;
    case SANE_FRAME_BLUE:
        taken = takeChannel(int(lines), 0);
        break;
    }
    m_data.clear();
    if (!taken)
        return false;
    if (m_frame.last_frame != SANE_FALSE) {
        // A three-pass picture needs all three of its colours.
        if (IsColourChannel(m_frame.format) && m_channels != 7)
            return false;
        m_complete = true;
    }
    return true;
}

int ScanImageAssembler::sample(const uchar *line, int index) const
{
    switch (m_frame.depth) {
    case 1:
        return (line[index / 8] >> (7 - index % 8)) & 1 ? 255 : 0;
    case 16: {
        // Samples of 16 bits come in the machine's byte order.
        quint16 value;
        std::memcpy(&value, line + 2 * qsizetype(index), sizeof value);
        return value >> 8;
    }
    default:
        return line[index];
    }
}

bool ScanImageAssembler::takeGrey(int lines)
{
    const int width = m_frame.pixels_per_line;
    const auto *data = reinterpret_cast<const uchar *>(m_data.constData());
    if (m_frame.depth == 1) {
        // Line art: a set bit is black.
        m_picture = QImage(width, lines, QImage::Format_Mono);
        if (m_picture.isNull())
            return false;
        m_picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        const qsizetype bytes = (qsizetype(width) + 7) / 8;
        for (int y = 0; y < lines; ++y)
            std::memcpy(m_picture.scanLine(y), data + qsizetype(y) * m_frame.bytes_per_line, size_t(bytes));
        return true;
    }
    m_picture = QImage(width, lines, QImage::Format_Indexed8);
    if (m_picture.isNull())
        return false;
    m_picture.setColorTable(GreyTable());
    for (int y = 0; y < lines; ++y) {
        const uchar *in = data + qsizetype(y) * m_frame.bytes_per_line;
        uchar *out = m_picture.scanLine(y);
        for (int x = 0; x < width; ++x)
            out[x] = uchar(sample(in, x));
    }
    return true;
}

bool ScanImageAssembler::takeColour(int lines)
{
    const int width = m_frame.pixels_per_line;
    m_picture = QImage(width, lines, QImage::Format_RGB32);
    if (m_picture.isNull())
        return false;
    const auto *data = reinterpret_cast<const uchar *>(m_data.constData());
    for (int y = 0; y < lines; ++y) {
        const uchar *in = data + qsizetype(y) * m_frame.bytes_per_line;
        auto *out = reinterpret_cast<QRgb *>(m_picture.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(sample(in, 3 * x), sample(in, 3 * x + 1), sample(in, 3 * x + 2));
    }
    return true;
}

bool ScanImageAssembler::takeChannel(int lines, int shift)
{
    const int width = m_frame.pixels_per_line;
    if (m_picture.isNull()) {
        m_picture = QImage(width, lines, QImage::Format_RGB32);
        if (m_picture.isNull())
            return false;
        m_picture.fill(qRgb(0, 0, 0));
    }
    const auto *data = reinterpret_cast<const uchar *>(m_data.constData());
    m_channels |= 1 << (shift / 8);
    const QRgb mask = ~(QRgb(0xFF) << shift);
    for (int y = 0; y < lines; ++y) {
        const uchar *in = data + qsizetype(y) * m_frame.bytes_per_line;
        auto *out = reinterpret_cast<QRgb *>(m_picture.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = (out[x] & mask) | (QRgb(sample(in, x)) << shift);
    }
    return true;
}

} // namespace orvel

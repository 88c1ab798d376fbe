#include "media/PictureIntegrity.h"

#include "media/PictureFormat.h"

#include <cstdint>

namespace orvel {

namespace {

constexpr qsizetype kMacPaintHeader = 512;
constexpr qsizetype kMacBinaryHeader = 128;
constexpr qsizetype kMacPaintBytes = 720 * 72;

// Bytes are read through this, so that nothing is read outside the file.
class Bytes
{
public:
    explicit Bytes(QByteArrayView bytes)
        : m_bytes(bytes)
    {}
    qsizetype size() const { return m_bytes.size(); }
    bool has(qsizetype at) const { return at >= 0 && at < size(); }
    unsigned u8(qsizetype at) const { return has(at) ? static_cast<unsigned char>(m_bytes[at]) : 0u; }
    std::uint32_t le16(qsizetype at) const { return u8(at) | u8(at + 1) << 8; }
    std::uint32_t le32(qsizetype at) const { return le16(at) | le16(at + 2) << 16; }

private:
    QByteArrayView m_bytes;
};

// The rows are packed as the Macintosh packs them: a count byte of 1 to 127
// is followed by that many bytes plus one as they are; any other count
// repeats the next byte (257 - count) times, 0 meaning once.
bool HoldsWholeMacPaint(const Bytes &file, qsizetype start)
{
    qsizetype at = start;
    qint64 unpacked = 0;
    while (unpacked < kMacPaintBytes) {
        if (!file.has(at))
            return false;
        const unsigned count = file.u8(at++);
        if (count >= 1 && count <= 127) {
            at += count + 1;
            unpacked += count + 1;
        } else {
            at += 1;
            unpacked += count == 0 ? 1 : 257 - count;
        }
        if (at > file.size())
            return false;
    }
    return true;
}

// The variable-length record sizes of WordPerfect graphics: one byte below
// 0xFF, else 0xFF and a 16-bit size, whose top bit announces 15 more bits.
// False when the size does not lie inside the file.
bool ReadRecordSize(const Bytes &file, qsizetype *at, qint64 *size)
{
    if (!file.has(*at))
        return false;
    const unsigned first = file.u8((*at)++);
    if (first < 0xFF) {
        *size = first;
        return true;
    }
    if (!file.has(*at + 1))
        return false;
    std::uint32_t value = file.le16(*at);
    *at += 2;
    if (value >= 0x8000) {
        if (!file.has(*at + 1))
            return false;
        value = (value & 0x7FFF) << 16 | file.le16(*at);
        *at += 2;
    }
    *size = value;
    return true;
}

bool HoldsWholeWordPerfectGraphic(const Bytes &file)
{
    if (file.size() < 16)
        return false;
    const bool secondLevel = file.le16(10) == 2;
    qsizetype at = qsizetype(file.le32(4));
    bool bitmap = false;
    while (at >= 0 && at < file.size()) {
        unsigned type = 0;
        if (secondLevel) {
            type = file.u8(at + 1); // after the record's class
            at += 2;
            qint64 extension = 0;
            if (!ReadRecordSize(file, &at, &extension))
                return false;
        } else {
            type = file.u8(at++);
        }
        qint64 length = 0;
        if (!ReadRecordSize(file, &at, &length) || length > file.size() - at)
            return false;
        if (secondLevel ? type == 0x0E : (type == 0x0B || type == 0x14))
            bitmap = true;
        if (!secondLevel && type == 0x10) // the end of the graphic
            break;
        at += qsizetype(length);
    }
    return bitmap;
}

} // namespace

bool HoldsWholePicture(QByteArrayView bytes, int formatCode)
{
    const Bytes file(bytes);
    switch (formatCode) {
    case kPictureFormatMacPaint: {
        const qsizetype header = kMacPaintHeader + (HasMacBinaryHeader(bytes) ? kMacBinaryHeader : 0);
        return HoldsWholeMacPaint(file, header);
    }
    case kPictureFormatWordPerfect:
        return HoldsWholeWordPerfectGraphic(file);
    default:
        return true;
    }
}

} // namespace orvel

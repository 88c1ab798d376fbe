#include "exchange/DbaseMemo.h"

#include "platform/ByteOrder.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>

namespace orvel::dbase {

namespace {

constexpr std::uint64_t kHeaderBytes = 512;
constexpr std::uint32_t kDbase3BlockSize = 512;
constexpr std::size_t kDbtBlockSizeAt = 20; // u16, dBASE IV
constexpr std::size_t kFptBlockSizeAt = 6;  // u16 big-endian
constexpr std::uint64_t kBlockHeaderBytes = 8;
constexpr unsigned char kDbase4Signature[] = {0xFF, 0xFF, 0x08, 0x00};
constexpr char kEndMarker = 0x1A;
// A text without a length is searched for its end in pieces of this size.
constexpr std::uint64_t kScanPiece = 16 * 1024;

std::uint32_t readBe32(const unsigned char *at)
{
    return (std::uint32_t(at[0]) << 24) | (std::uint32_t(at[1]) << 16) | (std::uint32_t(at[2]) << 8) | at[3];
}

} // namespace

MemoFile::MemoFile(QIODevice &device, MemoLayout layout, bool dbase4Blocks)
    : m_device(device)
    , m_layout(layout)
{
    const qint64 size = device.size();
    if (size < static_cast<qint64>(kHeaderBytes) || !device.seek(0))
        return;
    unsigned char header[32];
    if (device.read(reinterpret_cast<char *>(header), sizeof header) != qint64(sizeof header))
        return;
    m_size = static_cast<std::uint64_t>(size);
    if (layout == MemoLayout::Fpt)
        m_blockSize = (std::uint32_t(header[kFptBlockSizeAt]) << 8) | header[kFptBlockSizeAt + 1];
    else if (dbase4Blocks && ReadLe16(header + kDbtBlockSizeAt) != 0)
        m_blockSize = ReadLe16(header + kDbtBlockSizeAt);
    else
        m_blockSize = kDbase3BlockSize;
    // Texts may take at most the bytes behind the header.
    m_budget = m_size - kHeaderBytes;
}

bool MemoFile::spend(std::uint64_t bytes)
{
    if (bytes > m_budget)
        return false;
    m_budget -= bytes;
    return true;
}

bool MemoFile::readAt(std::uint64_t offset, std::uint64_t length, QByteArray &into)
{
    if (offset > m_size || length > m_size - offset)
        return false;
    const auto old = into.size();
    into.resize(old + static_cast<qsizetype>(length));
    if (length == 0)
        return true;
    return m_device.seek(static_cast<qint64>(offset))
           && m_device.read(into.data() + old, static_cast<qint64>(length)) == static_cast<qint64>(length);
}

MemoFile::Result MemoFile::readUpToEndMarker(std::uint64_t offset, QByteArray &text)
{
    // The text ends at the first end marker or, lacking one, at the end of
    // the file.
    while (offset < m_size) {
        const std::uint64_t piece = std::min(kScanPiece, m_size - offset);
        if (!spend(piece))
            return Result::Damaged;
        const auto old = text.size();
        if (!readAt(offset, piece, text))
            return Result::Damaged;
        const auto end = text.indexOf(kEndMarker, old);
        if (end >= 0) {
            // What was not taken is given back to the other texts.
            m_budget += static_cast<std::uint64_t>(text.size() - end - 1);
            text.truncate(end);
            break;
        }
        offset += piece;
    }
    return text.isEmpty() ? Result::Empty : Result::Text;
}

MemoFile::Result MemoFile::Read(std::uint64_t block, QByteArray &text)
{
    text.clear();
    if (block == 0)
        return Result::Empty;
    if (!IsValid() || block > m_size / m_blockSize)
        return Result::Damaged;
    const std::uint64_t offset = block * m_blockSize;
    if (offset < kHeaderBytes || offset >= m_size)
        return Result::Damaged;

    QByteArray head;
    const std::uint64_t headBytes = std::min(kBlockHeaderBytes, m_size - offset);
    if (!readAt(offset, headBytes, head))
        return Result::Damaged;
    const auto *bytes = reinterpret_cast<const unsigned char *>(head.constData());

    if (m_layout == MemoLayout::Fpt) {
        if (headBytes < kBlockHeaderBytes)
            return Result::Damaged;
        const std::uint64_t length = readBe32(bytes + 4);
        const std::uint64_t start = offset + kBlockHeaderBytes;
        if (length > m_size - start || !spend(kBlockHeaderBytes + length))
            return Result::Damaged;
        if (!readAt(start, length, text))
            return Result::Damaged;
        return length == 0 ? Result::Empty : Result::Text;
    }

    if (headBytes == kBlockHeaderBytes && std::equal(std::begin(kDbase4Signature), std::end(kDbase4Signature), bytes)) {
        // The length counts the block's own 8 bytes.
        const std::uint64_t length = ReadLe32(bytes + 4);
        const std::uint64_t start = offset + kBlockHeaderBytes;
        if (length < kBlockHeaderBytes || length - kBlockHeaderBytes > m_size - start || !spend(length))
            return Result::Damaged;
        if (!readAt(start, length - kBlockHeaderBytes, text))
            return Result::Damaged;
        return text.isEmpty() ? Result::Empty : Result::Text;
    }
    return readUpToEndMarker(offset, text);
}

bool IsFoxProVersion(unsigned char version)
{
    return version == 0x30 || version == 0x31 || version == 0x32 || version == 0xF5 || version == 0xE5;
}

QString FindMemoFile(const QString &tablePath, bool foxPro)
{
    const QFileInfo table(tablePath);
    const QString base = table.completeBaseName();
    const QDir dir = table.dir();
    const QStringList wanted = foxPro ? QStringList{QStringLiteral("fpt"), QStringLiteral("dbt")}
                                      : QStringList{QStringLiteral("dbt"), QStringLiteral("fpt")};
    for (const QString &extension : wanted) {
        // The usual spellings first; other mixes of case only by a search of
        // the folder.
        for (const QString &name :
             {base + QLatin1Char('.') + extension, base + QLatin1Char('.') + extension.toUpper()}) {
            if (QFileInfo(dir.filePath(name)).isFile())
                return dir.filePath(name);
        }
        const QString lower = (base + QLatin1Char('.') + extension).toLower();
        const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
        for (const QString &entry : entries) {
            if (entry.toLower() == lower)
                return dir.filePath(entry);
        }
    }
    return QString();
}

} // namespace orvel::dbase

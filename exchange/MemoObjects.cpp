#include "exchange/MemoObjects.h"

#include "platform/ByteOrder.h"
#include "table/ObjectStore.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>

namespace orvel {

using namespace objectio;

ObjectFileMemoSink::ObjectFileMemoSink(const QString &objectFile)
    : m_path(objectFile)
{}

ObjectFileMemoSink::~ObjectFileMemoSink() = default;

bool ObjectFileMemoSink::open()
{
    if (m_opened)
        return !m_failed;
    m_opened = true;
    m_fd = OpenFile(m_path, O_RDWR | O_CREAT, 0600);
    const std::optional<std::uint64_t> length = m_fd.isOpen() ? FileLength(m_fd.get()) : std::nullopt;
    if (!length || !WriteAt(m_fd.get(), kObjectFileMagic, kObjectFileMagicSize, 0)) {
        m_failed = true;
        return false;
    }
    m_bufferStart = std::max(*length, kObjectFileMagicSize);
    m_buffer = std::make_unique_for_overwrite<char[]>(kFlushSize);
    return true;
}

bool ObjectFileMemoSink::flush()
{
    if (m_failed)
        return false;
    if (m_used > 0 && !WriteAt(m_fd.get(), m_buffer.get(), m_used, m_bufferStart))
        m_failed = true;
    m_bufferStart += m_used;
    m_used = 0;
    return !m_failed;
}

bool ObjectFileMemoSink::Begin()
{
    if (!open())
        return false;
    if (m_used + kObjectLengthSize > kFlushSize && !flush())
        return false;
    m_objectStart = m_bufferStart + m_used;
    m_objectLength = 0;
    m_inObject = true;
    // The length is filled in at the end.
    std::memset(m_buffer.get() + m_used, 0, kObjectLengthSize);
    m_used += kObjectLengthSize;
    return true;
}

bool ObjectFileMemoSink::Write(const char *data, std::size_t size)
{
    if (m_failed || !m_inObject)
        return false;
    m_objectLength += size;
    while (size > 0) {
        const std::size_t take = std::min(size, kFlushSize - m_used);
        std::memcpy(m_buffer.get() + m_used, data, take);
        m_used += take;
        data += take;
        size -= take;
        if (m_used == kFlushSize && !flush())
            return false;
    }
    return true;
}

AnsiString ObjectFileMemoSink::End()
{
    if (!m_inObject)
        return AnsiString();
    m_inObject = false;
    if (m_failed || m_objectLength > kMaxObjectSize) {
        m_failed = true;
        return AnsiString();
    }
    unsigned char header[kObjectLengthSize];
    WriteLe32(header, static_cast<std::uint32_t>(m_objectLength));
    if (m_objectStart >= m_bufferStart) {
        std::memcpy(m_buffer.get() + (m_objectStart - m_bufferStart), header, sizeof header);
    } else if (!WriteAt(m_fd.get(), header, sizeof header, m_objectStart)) {
        // The header went out with an earlier piece; it is patched there.
        m_failed = true;
        return AnsiString();
    }
    return FormatObjectReference(m_objectStart);
}

bool ObjectFileMemoSink::Finish()
{
    if (!m_opened)
        return true;
    return flush();
}

MemoObjectReader::MemoObjectReader(const QString &objectFile)
    : m_fd(objectFile.isEmpty() ? UniqueFd() : OpenFile(objectFile, O_RDONLY))
{
    if (m_fd.isOpen())
        m_length = FileLength(m_fd.get()).value_or(0);
}

bool MemoObjectReader::Read(AnsiView reference, const std::function<void(const char *, std::size_t)> &chunk)
{
    if (IsNoObjectReference(reference))
        return true;
    const std::optional<std::uint64_t> offset = ParseObjectReference(reference);
    if (!offset || !m_fd.isOpen() || *offset > m_length || m_length - *offset < kObjectLengthSize)
        return false;
    unsigned char header[kObjectLengthSize];
    if (!ReadAt(m_fd.get(), header, sizeof header, *offset))
        return false;
    const std::uint64_t length = ReadLe32(header);
    std::uint64_t at = *offset + kObjectLengthSize;
    if (length > m_length - at)
        return false;
    if (!m_buffer)
        m_buffer = std::make_unique_for_overwrite<char[]>(kCopyChunk);
    for (std::uint64_t left = length; left > 0;) {
        const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(left, kCopyChunk));
        if (!ReadAt(m_fd.get(), m_buffer.get(), take, at))
            return false;
        chunk(m_buffer.get(), take);
        at += take;
        left -= take;
    }
    return true;
}

} // namespace orvel

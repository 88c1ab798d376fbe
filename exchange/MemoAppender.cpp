#include "exchange/MemoAppender.h"

#include "table/ObjectStore.h"

namespace orvel {

MemoAppender::MemoAppender(const QString &store)
    : m_file(store)
{
    if (store.isEmpty() || !m_file.open(QIODevice::ReadWrite)) {
        m_failed = true;
        return;
    }
    m_length = static_cast<std::uint64_t>(m_file.size());
    // A store without its magic gets it, so that the first object lies at
    // the first reference.
    if (m_length < kObjectFileMagicSize) {
        if (!m_file.resize(0) || !m_file.seek(0)
            || m_file.write(kObjectFileMagic, kObjectFileMagicSize) != qint64(kObjectFileMagicSize)) {
            m_failed = true;
            return;
        }
        m_length = kObjectFileMagicSize;
    }
    m_failed = !m_file.seek(static_cast<qint64>(m_length));
}

AnsiString MemoAppender::Append(AnsiView text)
{
    if (m_failed || text.size() > kMaxObjectSize)
        return AnsiString();
    const auto size = static_cast<std::uint32_t>(text.size());
    char length[kObjectLengthSize];
    for (std::size_t i = 0; i < kObjectLengthSize; ++i)
        length[i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    if (m_file.write(length, kObjectLengthSize) != qint64(kObjectLengthSize)
        || m_file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        m_failed = true;
        return AnsiString();
    }
    const std::uint64_t at = m_length;
    m_length += kObjectLengthSize + text.size();
    return FormatObjectReference(at);
}

bool MemoAppender::Truncate(std::uint64_t length)
{
    if (m_failed || length > m_length)
        return false;
    if (!m_file.flush() || !m_file.resize(static_cast<qint64>(length)) || !m_file.seek(static_cast<qint64>(length))) {
        m_failed = true;
        return false;
    }
    m_length = length;
    return true;
}

} // namespace orvel

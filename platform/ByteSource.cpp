#include "platform/ByteSource.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace orvel {

ByteSource::ByteSource(QIODevice &device)
    : m_device(device)
    , m_size(device.size() > 0 ? std::size_t(device.size()) : 0)
{
    if (auto *buffer = qobject_cast<QBuffer *>(&device)) {
        m_memory = reinterpret_cast<const std::uint8_t *>(buffer->data().constData());
        m_size = std::size_t(buffer->data().size());
    } else if (auto *file = qobject_cast<QFileDevice *>(&device); file && !file->isSequential()) {
        m_descriptor = file->handle();
    }
}

std::size_t ByteSource::readAt(std::size_t offset, std::uint8_t *data, std::size_t n)
{
    if (offset > m_size)
        return 0;
    n = std::min(n, m_size - offset);
    if (n == 0)
        return 0;
    if (m_memory) {
        std::memcpy(data, m_memory + offset, n);
        return n;
    }
    // A file is read at the position; any other device seeks first.
    const bool positioned = m_descriptor >= 0;
    if (!positioned && !m_device.seek(qint64(offset))) {
        m_failed.store(true, std::memory_order_relaxed);
        return 0;
    }
    std::size_t done = 0;
    while (done < n) {
        const qint64 got = positioned ? qint64(::pread(m_descriptor, data + done, n - done, off_t(offset + done)))
                                      : m_device.read(reinterpret_cast<char *>(data + done), qint64(n - done));
        if (got < 0 && positioned && errno == EINTR)
            continue;
        if (got < 0)
            m_failed.store(true, std::memory_order_relaxed);
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

} // namespace orvel

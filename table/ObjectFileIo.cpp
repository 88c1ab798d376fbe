#include "table/ObjectFileIo.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

namespace orvel::objectio {

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept
{
    if (this != &other) {
        reset();
        m_fd = other.release();
    }
    return *this;
}

int UniqueFd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void UniqueFd::reset()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool UniqueFd::close()
{
    if (m_fd < 0)
        return true;
    const int result = ::close(m_fd);
    m_fd = -1;
    // After EINTR the descriptor is gone on Linux; the data may still be fine.
    return result == 0 || errno == EINTR;
}

UniqueFd OpenFile(const QString &path, int flags, unsigned mode)
{
    if (path.isEmpty())
        return UniqueFd();
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return UniqueFd();
    // Only regular files hold objects: a folder or a device named by a
    // damaged value must not be read as one (a FIFO would block forever).
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return UniqueFd();
    }
    return UniqueFd(fd);
}

std::optional<std::uint64_t> FileLength(int fd)
{
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool SameFile(int a, int b)
{
    struct stat sa;
    struct stat sb;
    if (a < 0 || b < 0 || ::fstat(a, &sa) != 0 || ::fstat(b, &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool SameFile(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    struct stat sa;
    struct stat sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

namespace {

bool offsetFits(std::uint64_t offset, std::size_t size)
{
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    return offset <= limit && size <= limit - offset;
}

} // namespace

bool ReadAt(int fd, void *data, std::size_t size, std::uint64_t offset)
{
    if (!offsetFits(offset, size))
        return false;
    auto *out = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool WriteAt(int fd, const void *data, std::size_t size, std::uint64_t offset)
{
    if (!offsetFits(offset, size))
        return false;
    const auto *in = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, in, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        in += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool Truncate(int fd, std::uint64_t length)
{
    if (length > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        return false;
    int result;
    do {
        result = ::ftruncate(fd, static_cast<off_t>(length));
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool CopyRange(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset, std::uint64_t length, char *buffer,
               std::size_t bufferSize)
{
    while (length > 0) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, bufferSize));
        if (!ReadAt(from, buffer, chunk, fromOffset) || !WriteAt(to, buffer, chunk, toOffset))
            return false;
        fromOffset += chunk;
        toOffset += chunk;
        length -= chunk;
    }
    return true;
}

} // namespace orvel::objectio

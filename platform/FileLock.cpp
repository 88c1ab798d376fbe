#include "platform/FileLock.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace orvel {
namespace {

flock wholeFile(short type)
{
    flock lock{};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    lock.l_pid = 0; // must be 0 for open file description locks
    return lock;
}

bool samePath(const QString &a, const QString &b)
{
    return QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath();
}

} // namespace

FileLock::FileLock(FileLock &&other) noexcept
    : m_fd(other.m_fd)
    , m_path(std::move(other.m_path))
{
    other.m_fd = -1;
    other.m_path.clear();
}

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
        other.m_path.clear();
    }
    return *this;
}

bool FileLock::acquire(const QString &path)
{
    release();
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    flock lock = wholeFile(F_RDLCK);
    // A shared lock: another reader's lock never conflicts, and a failure
    // (file systems without locks) leaves the descriptor held all the same.
    ::fcntl(fd, F_OFD_SETLK, &lock);
    m_fd = fd;
    m_path = path;
    return true;
}

void FileLock::release()
{
    if (m_fd >= 0) {
        ::close(m_fd); // closing the description drops its lock
        m_fd = -1;
    }
    m_path.clear();
}

bool FileLock::IsHeldByAnother(const QString &path, FileLock *own)
{
    // Our own lock would show up as a conflict: step aside while asking.
    QString ownPath;
    if (own && own->isHeld() && samePath(own->path(), path)) {
        ownPath = own->path();
        own->release();
    }
    bool held = false;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        flock probe = wholeFile(F_WRLCK);
        if (::fcntl(fd, F_OFD_GETLK, &probe) == 0)
            held = probe.l_type != F_UNLCK;
        ::close(fd);
    }
    if (!ownPath.isEmpty())
        own->acquire(ownPath);
    return held;
}

} // namespace orvel

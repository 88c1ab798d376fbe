#include "document/AtomicSave.h"
#include "platform/DiskSync.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel {

namespace {

// A save writes beside the file a link points to, so that the link stays.
QString resolveLink(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    const QString target = info.symLinkTarget();
    return target.isEmpty() ? info.absoluteFilePath() : target;
}

// Creates a new, empty, hidden file in the folder of `target` and returns
// its descriptor (-1 with errno set). It gets the target's permissions when
// the target exists, else what the user's umask gives a new file.
int createBeside(const QString &target, QString &tempPath)
{
    const QFileInfo info(target);
    struct stat st
    {};
    const bool exists = ::stat(QFile::encodeName(target).constData(), &st) == 0;
    // Short enough for any file system's name limit.
    const QString stem = info.dir().absolutePath() + QLatin1String("/.") + info.fileName().left(120) + QLatin1Char('.');
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate =
                stem + QString::number(QRandomGenerator::global()->generate() % 0x1000000u, 16) + QLatin1String(".tmp");
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
                              exists ? 0600 : 0666);
        if (fd >= 0) {
            if (exists && ::fchmod(fd, st.st_mode & 07777) != 0) {
                // Permissions we cannot give stay those of a private file.
            }
            tempPath = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

bool syncPath(const QString &path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = SyncToDisk(fd);
    return ::close(fd) == 0 && ok;
}

std::atomic<bool> g_syncNewFiles{true};

bool existsOnDisk(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

void CAtomicSave::SetSyncNewFiles(bool sync)
{
    g_syncNewFiles = sync;
}

bool CAtomicSave::SyncNewFiles()
{
    return g_syncNewFiles;
}

CAtomicSave::CAtomicSave(const QString &targetPath)
    : m_target(resolveLink(targetPath))
{}

CAtomicSave::~CAtomicSave()
{
    discard();
}

bool CAtomicSave::fail(int error, const QString &path, bool rename)
{
    if (m_error == 0) {
        m_error = error;
        m_errorPath = path;
        m_renameFailed = rename;
    }
    return false;
}

void CAtomicSave::discard()
{
    if (m_file.isOpen())
        m_file.close();
    if (!m_temp.isEmpty())
        ::unlink(QFile::encodeName(m_temp).constData());
    if (!m_companionTemp.isEmpty())
        ::unlink(QFile::encodeName(m_companionTemp).constData());
    m_temp.clear();
    m_companionTemp.clear();
}

bool CAtomicSave::Begin()
{
    m_targetExisted = existsOnDisk(m_target);
    const int fd = createBeside(m_target, m_temp);
    if (fd < 0)
        return fail(errno, m_target);
    if (!m_file.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(EIO, m_target);
    }
    return true;
}

bool CAtomicSave::AddCompanion(const QString &companionTarget)
{
    m_companionTarget = resolveLink(companionTarget);
    m_companionExisted = existsOnDisk(m_companionTarget);
    const int fd = createBeside(m_companionTarget, m_companionTemp);
    if (fd < 0)
        return fail(errno, m_companionTarget);
    ::close(fd);
    return true;
}

bool CAtomicSave::Commit(Companion companion)
{
    if (!m_file.isOpen())
        return fail(EBADF, m_target);
    errno = 0;
    if (!m_file.flush())
        return fail(errno != 0 ? errno : EIO, m_target);
    const bool syncAll = g_syncNewFiles || m_targetExisted || m_companionExisted;
    if (syncAll && !SyncToDisk(m_file.handle()))
        return fail(errno, m_target);
    m_file.close();

    const bool replaceCompanion = companion == Companion::Replace && !m_companionTemp.isEmpty();
    if (replaceCompanion) {
        if (syncAll && !syncPath(m_companionTemp, O_RDONLY))
            return fail(errno, m_companionTarget);
        if (std::rename(QFile::encodeName(m_companionTemp).constData(),
                        QFile::encodeName(m_companionTarget).constData())
            != 0)
            return fail(errno, m_companionTarget, true);
        m_companionTemp.clear();
    }

    if (std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_target).constData()) != 0)
        return fail(errno, m_target, true);
    m_temp.clear();

    // Removed only now: until the new database stood there, the old one
    // still needed its objects.
    if (companion == Companion::Remove && !m_companionTarget.isEmpty())
        ::unlink(QFile::encodeName(m_companionTarget).constData());
    discard();

    // The renames themselves reach the disk with the folder.
    if (syncAll)
        syncPath(QFileInfo(m_target).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}

} // namespace orvel

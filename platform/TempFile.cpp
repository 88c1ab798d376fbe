#include "platform/TempFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace orvel {

QString TempFolder()
{
    // Qt gives an empty path for a TMPDIR that does not exist, which would
    // put temporary files into "/".
    const QString path = QDir::tempPath();
    return path.isEmpty() ? QStringLiteral("/tmp") : path;
}

QString MakeTempFileName(const QString &extension, const QString &prefix)
{
    const QString folder = TempFolder();
    const QString ext = extension.toUpper();
    const QString stem = prefix.toUpper();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const quint32 unique = QRandomGenerator::global()->generate();
        const QString name = stem + QString::number(unique, 16).toUpper().rightJustified(8, u'0') + u'.' + ext;
        const QString path = folder + u'/' + name;
        const QByteArray native = QFile::encodeName(path);
        const int fd = ::open(native.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            return QString();
    }
    return QString();
}

bool RemoveFileQuietly(const QString &path)
{
    if (path.isEmpty())
        return true;
    QFile file(path);
    if (!file.exists())
        return true;
    return file.remove();
}

TempFile &TempFile::operator=(TempFile &&other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

TempFile TempFile::Create(const QString &extension, const QString &prefix)
{
    return TempFile(MakeTempFileName(extension, prefix));
}

void TempFile::reset(QString path)
{
    if (!m_path.isEmpty() && m_path != path)
        RemoveFileQuietly(m_path);
    m_path = std::move(path);
}

QString TempFile::release()
{
    QString path = std::move(m_path);
    m_path.clear();
    return path;
}

} // namespace orvel

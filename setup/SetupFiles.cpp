#include "setup/SetupFiles.h"

#include <QDateTime>
#include <QFileInfo>

#ifndef ORVEL_SETUP_PROGRAM_VERSION
#error "ORVEL_SETUP_PROGRAM_VERSION must be defined by the build"
#endif

namespace orvel::setup {

FileVersion ProgramFileVersion()
{
    QStringList parts = QStringLiteral(ORVEL_SETUP_PROGRAM_VERSION).split(QLatin1Char('.'));
    while (parts.size() < 4)
        parts.append(QStringLiteral("0"));
    FileVersion version;
    FileVersion::parse(parts.mid(0, 4).join(QLatin1Char('.')), &version);
    return version;
}

bool IsProgramBinary(const QByteArray &head)
{
    return head.startsWith("\x7f"
                           "ELF");
}

QString FormatVersion(const std::optional<FileVersion> &version)
{
    return version ? version->toString() : QStringLiteral("?");
}

QString FormatFileDate(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("?");
    return info.lastModified().toLocalTime().toString(QStringLiteral("dd.MM.yyyy - hh:mm"));
}

QString FormatMegabytes(qint64 bytes)
{
    return QString::number(double(bytes) / 1048576.0, 'f', 2) + QStringLiteral(" MB");
}

} // namespace orvel::setup

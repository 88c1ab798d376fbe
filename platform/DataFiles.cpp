#include "platform/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvel {

QStringList DataFolders()
{
    QStringList folders;
    const QString overridden = qEnvironmentVariable("ORVEL_DATA_DIR");
    if (!overridden.isEmpty())
        folders << overridden;
    const QString program = QCoreApplication::applicationDirPath();
    folders << program << QDir::cleanPath(program + QStringLiteral("/../share/orvel"));
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << data + QStringLiteral("/orvel");
    folders.removeDuplicates();
    return folders;
}

QString FindDataFile(const QString &relativePath)
{
    const QStringList folders = DataFolders();
    for (const QString &folder : folders) {
        const QString candidate = folder + u'/' + relativePath;
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    const int beside = qEnvironmentVariableIsEmpty("ORVEL_DATA_DIR") ? 0 : 1;
    return folders.value(beside) + u'/' + relativePath;
}

} // namespace orvel

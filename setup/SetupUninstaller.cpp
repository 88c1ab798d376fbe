#include "setup/SetupUninstaller.h"

#include "setup/SetupControl.h"
#include "setup/SetupFiles.h"
#include "setup/SetupLog.h"
#include "setup/SetupStrings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace orvel::setup {
namespace {

// Logs are a few kilobytes; anything near this is not a log.
constexpr qint64 kMaxLogSize = 16 * 1024 * 1024;

bool exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

class Remover
{
public:
    Remover(SetupSettings &settings, const UninstallCallbacks &callbacks)
        : m_settings(settings)
        , m_callbacks(callbacks)
    {}

    // The folder of the log is the installation's target folder; every
    // folder the log says Setup created cannot have become a link unless
    // someone planted one, and nothing is removed through such a link.
    void setInstallation(const QString &targetFolder, const QList<LogItem> &items)
    {
        m_target = QDir::cleanPath(targetFolder);
        for (const LogItem &item : items) {
            if (item.kind == LogItemKind::CreatedDir)
                m_createdFolders.insert(QDir::cleanPath(item.path));
        }
    }

    void message(int id, const QString &argument = QString())
    {
        if (m_callbacks.message)
            m_callbacks.message(id, argument);
    }

    // A file that is already gone counts as removed.
    void removeFile(const QString &path)
    {
        if (exists(path) && (throughPlantedLink(path) || !QFile::remove(path))) {
            message(IDS_FILE_NOT_REMOVED, path);
            m_complete = false;
            return;
        }
        m_settings.RemoveRecordedVersion(path);
    }

    void removeFolder(const QString &path)
    {
        if (!exists(path))
            return;
        const QFileInfo info(path);
        // Folders outside the installation (the settings store's, the
        // menu's, parents of the target) may hold what others put there
        // since: they stay without a word while they are not empty.
        if (info.isDir() && !info.isSymLink() && !isInTarget(path)
            && !QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
            return;
        if (!info.isDir() || info.isSymLink() || throughPlantedLink(path) || !QDir().rmdir(path)) {
            message(IDS_FOLDER_NOT_REMOVED, path);
            m_complete = false;
        }
    }

    // One use of a shared file ends; the last use asks whether it goes.
    // Returns true when the file is to be removed.
    bool releaseShared(const QString &path)
    {
        const int count = std::max(0, m_settings.SharedCount(path) - 1);
        m_settings.SetSharedCount(path, count);
        if (count > 0)
            return false;
        const SharedFileQuestion question{path, FormatVersion(m_settings.RecordedVersion(path)), FormatFileDate(path)};
        if (m_callbacks.removeShared && !m_callbacks.removeShared(question))
            return false;
        m_settings.RemoveSharedCount(path);
        return true;
    }

    bool complete() const { return m_complete; }

private:
    bool isInTarget(const QString &path) const
    {
        const QString clean = QDir::cleanPath(path);
        return !m_target.isEmpty() && (clean == m_target || clean.startsWith(m_target + QLatin1Char('/')));
    }

    bool throughPlantedLink(const QString &path) const
    {
        for (QString folder = QFileInfo(QDir::cleanPath(path)).absolutePath(); folder.size() > 1;
             folder = QFileInfo(folder).absolutePath()) {
            if (m_createdFolders.contains(folder) && QFileInfo(folder).isSymLink())
                return true;
        }
        return false;
    }

    SetupSettings &m_settings;
    const UninstallCallbacks &m_callbacks;
    QString m_target;
    QSet<QString> m_createdFolders;
    bool m_complete = true;
};

} // namespace

UninstallResult Uninstall(const QString &logPath, SetupSettings &settings, const UninstallCallbacks &callbacks)
{
    Remover remover(settings, callbacks);
    SetupLogContents log;
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxLogSize || !ParseSetupLog(file.readAll(), &log, nullptr)) {
        remover.message(IDS_LOG_MISSING);
        return UninstallResult::LogRefused;
    }
    file.close();

    remover.setInstallation(QFileInfo(logPath).absolutePath(), log.items);
    bool classes = false;
    for (const QString &line : log.registryLines) {
        RegistryLine value;
        if (!ParseRegistryLine(line, &value))
            break;
        settings.DeleteKey(value.root, value.key);
        classes = classes || value.root == RegistryRoot::ClassesRoot;
    }
    if (classes)
        settings.SyncClasses();

    // The uninstaller itself: a running program may be unlinked on Linux, so
    // there is nothing to leave for a restart. It goes before the logged
    // items, so that the folders Setup created for it can go with them.
    const QString windows = settings.paths().windowsFolder;
    const QString uninstaller = windows + QLatin1Char('/') + QLatin1String(kUninstallerName);
    if (settings.HasSharedCount(uninstaller) || exists(uninstaller)) {
        if (remover.releaseShared(uninstaller)) {
            remover.removeFile(uninstaller);
            QDir().rmdir(windows);
        }
    }

    for (qsizetype i = log.items.size() - 1; i >= 0; --i) {
        const LogItem &item = log.items.at(i);
        if (callbacks.progress)
            callbacks.progress(item.path);
        switch (item.kind) {
        case LogItemKind::CopiedShared:
        case LogItemKind::CopiedOcx:
            if (remover.releaseShared(item.path)) {
                if (item.kind == LogItemKind::CopiedOcx && UnregisterControl(item.path) == ControlResult::Failed)
                    remover.message(IDS_CONTROL_NOT_UNREGISTERED, item.path);
                remover.removeFile(item.path);
            }
            break;
        case LogItemKind::CopiedFile:
            remover.removeFile(item.path);
            break;
        case LogItemKind::CreatedDir:
            remover.removeFolder(item.path);
            break;
        }
    }

    settings.PruneCreatedFolders();
    const bool complete = remover.complete();
    remover.message(complete ? IDS_UNINSTALL_DONE : IDS_UNINSTALL_INCOMPLETE);
    return complete ? UninstallResult::Complete : UninstallResult::Incomplete;
}

} // namespace orvel::setup

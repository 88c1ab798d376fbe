#pragma once

#include "setup/SetupInf.h"
#include "setup/SetupPaths.h"

#include <QVariant>

#include <optional>

namespace orvel::setup {

// The registry as Setup sees it, kept in settings files:
// - HKEY_CURRENT_USER\Software\<Org>\<App>\<rest> is the group <rest> of
//   <user config>/<Org>/<App>.conf, which is where the program's QSettings
//   ("KWZ", "Orvel 97") reads it;
// - HKEY_LOCAL_MACHINE\Software\<Org>\<App>\<rest> the same below the
//   system configuration folder; the keys of the system's own installer
//   bookkeeping (Software\Microsoft\Windows\CurrentVersion\...: shared-file
//   counts, uninstall keys, the program-files folder) live in
//   <system config>/KWZ/Setup.conf;
// - HKEY_CLASSES_ROOT in <system config>/KWZ/Classes.conf, from which the
//   freedesktop MIME type and desktop file of each registered extension are
//   made (SyncClasses).
// Keys outside "Software\<Org>\<App>" go to <config>/KWZ/Registry.conf.
// Value names are kept as written; the unnamed default value is "@".
class SetupSettings
{
public:
    explicit SetupSettings(SetupPaths paths);

    const SetupPaths &paths() const { return m_paths; }

    bool SetValue(RegistryRoot root, const QString &key, const QString &name, const QVariant &value);
    QVariant Value(RegistryRoot root, const QString &key, const QString &name) const;
    // Deletes the key with everything below it; true when it is gone.
    bool DeleteKey(RegistryRoot root, const QString &key);

    // Use counts of shared files, by full path (absent = 0).
    int SharedCount(const QString &path) const;
    void SetSharedCount(const QString &path, int count);
    void RemoveSharedCount(const QString &path);
    bool HasSharedCount(const QString &path) const;

    // The version Setup recorded when it installed a file.
    std::optional<FileVersion> RecordedVersion(const QString &path) const;
    void SetRecordedVersion(const QString &path, const FileVersion &version);
    void RemoveRecordedVersion(const QString &path);

    // The uninstall key of an earlier installation with its DisplayName.
    bool IsAlreadyInstalled() const;
    // ProgramFilesDir, else <root>/opt.
    QString ProgramFilesDir() const;

    // Writes the MIME package and desktop file of every extension registered
    // under the classes root, and removes those of extensions no longer
    // registered. Only files named "kwz-*" are touched.
    void SyncClasses();
    // Brings the freedesktop MIME and desktop-file caches below the classes
    // folder up to date (update-mime-database, update-desktop-database where
    // installed); a cache left without any source is removed.
    void RefreshDesktopDatabases() const;
    static QString MimeTypeForProgId(const QString &progId);

    // The system-wide folders that the registry lines given and the
    // uninstaller need: Setup creates the missing ones before anything else
    // and logs them, so that an uninstallation removes them last, once they
    // are empty. The user's settings folder is not among them.
    QStringList SystemFolders(const QList<RegistryLine> &lines) const;
    // The system-wide folders Setup created, kept for all installations: the
    // last uninstallation removes those that are empty then.
    void RecordCreatedFolders(const QStringList &folders);
    void PruneCreatedFolders();

    static const QString kSharedDllsKey;
    static const QString kUninstallKey;
    static const QString kCurrentVersionKey;

private:
    struct Location
    {
        QString file;
        QString group;
    };
    Location locate(RegistryRoot root, const QString &key) const;

    SetupPaths m_paths;
};

} // namespace orvel::setup

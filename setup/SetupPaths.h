#pragma once

#include <QString>

namespace orvel::setup {

// Where Setup writes. Everything system-wide lies below systemRoot ("/" for
// a real installation, a temporary folder in tests): the system settings
// scope, the file types and the folder shared by all installations, which
// holds the uninstaller and the shared files.
struct SetupPaths
{
    QString systemRoot;
    QString userConfigDir;   // HKEY_CURRENT_USER: $XDG_CONFIG_HOME, else ~/.config
    QString systemConfigDir; // HKEY_LOCAL_MACHINE: <root>/etc/xdg
    QString classesDataDir;  // HKEY_CLASSES_ROOT made visible: <root>/usr/local/share (mime/, applications/)
    QString windowsFolder;   // <root>/usr/local/lib/KWZ: "UninsKWZ" and the shared files

    // The defaults below the given system root, with the user's configuration
    // folder from the environment.
    static SetupPaths ForSystemRoot(const QString &systemRoot);
    // The root from "--system-root" (option), else from the environment
    // variable ORVEL_SETUP_SYSTEM_ROOT, else "/".
    static SetupPaths FromEnvironment(const QString &option = QString());
};

inline constexpr char kUninstallerName[] = "UninsKWZ";
inline constexpr char kLogName[] = "Setup.log";

} // namespace orvel::setup

#pragma once

#include "setup/SetupInf.h"
#include "setup/SetupLog.h"
#include "setup/SetupSettings.h"

#include <QDateTime>

#include <functional>
#include <optional>

namespace orvel::setup {

struct InstallOptions
{
    QString sourceFolder;       // SETUP.INF, the disk markers, the source files
    QString targetFolder;       // absolute, without a trailing "/"
    QString menuFolder;         // the shortcuts' folder below an applications menu
    QString setupExecutable;    // copied as the uninstaller; default <source>/Setup
    FileVersion programVersion; // recorded for the program's binaries
};

// A file already installed with a newer recorded version (dialog 513).
struct VersionConflict
{
    QString path;
    QString installedVersion; // "a.b.c.d" or "?"
    QString installedDate;    // "dd.mm.yyyy - hh:mm" or "?"
    QString newVersion;
    QString newDate;
};

// The questions and messages of the installation. Each has a cautious
// default when it is not set: no disk change, keep the newer file, go on.
struct InstallCallbacks
{
    std::function<bool(int disk, const QString &label)> insertDisk; // false cancels
    std::function<bool(const VersionConflict &)> overwriteNewer;    // true overwrites
    std::function<void(int id, const QString &argument)> message;   // a message box by string id
    std::function<void(int id)> status;                             // 110, 112 while they run
    // Before each file; false cancels the copying (the copy window's "Abbrechen").
    std::function<bool(int index, int count, const QString &source, const QString &target)> progress;
};

struct SpaceCheck
{
    qint64 programTotal = 0; // starts at 5000
    qint64 sharedTotal = 0;  // starts at 300000
    qint64 targetRequired = 0;
    qint64 windowsRequired = 0;
    qint64 targetFree = 0;
    qint64 windowsFree = 0;
    bool sameDrive = false;
    bool enough() const { return targetRequired <= targetFree && windowsRequired <= windowsFree; }
};

enum class InstallResult { Done, Failed };

class CSetupInstaller
{
public:
    CSetupInstaller(const SetupInf &inf, SetupSettings &settings, InstallOptions options, InstallCallbacks callbacks);

    // Free space of the target folder's and the Windows folder's drives
    // (statvfs of the nearest existing folder) against the installed sizes.
    SpaceCheck CheckSpace() const;

    // Copies, registers, makes the shortcuts and writes the registry values,
    // logging each thing it creates as it goes. A failure shows its message
    // and message 114; the log then holds everything created so far.
    InstallResult Install();

    QString LogPath() const;
    QString RegFilePath() const;
    QString UninstallerPath() const;
    // The installed path of each file line (empty when it was not installed).
    const QStringList &FinalPaths() const { return m_finalPaths; }

private:
    bool createFolders(const QString &base, const QString &relative);
    bool createMissingFolders(const QString &folder, QStringList *created = nullptr);
    bool installFile(int index);
    bool copyInto(const QString &source, const QString &target, FileVersion *version, QString *error);
    bool makeShortcuts();
    void writeRegistry();
    bool log(const LogItem &item);
    void message(int id, const QString &argument = QString());

    const SetupInf &m_inf;
    SetupSettings &m_settings;
    InstallOptions m_options;
    InstallCallbacks m_callbacks;
    SetupLogWriter m_log;
    QList<LogItem> m_pending; // items created before the log is open
    QStringList m_finalPaths;
    int m_currentDisk = 1;
};

} // namespace orvel::setup

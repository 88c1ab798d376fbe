#pragma once

#include "setup/SetupPaths.h"

#include <QString>
#include <QStringList>

namespace orvel::setup {

class ISetupPrompter;

// Setup's command line:
//   orvel-setup [SOURCE]                               the wizard
//   orvel-setup --unattended [--target DIR] [--menu-folder NAME] [SOURCE]
//   UninsKWZ /uninstall LOG [--unattended]
// each with [--system-root DIR]. After "/uninstall" the words that are not
// options are the log's path, joined by blanks, as the stored uninstall
// command line leaves a path with blanks unquoted.
struct SetupCommandLine
{
    enum class Mode { Install, Uninstall, Help, Invalid };
    Mode mode = Mode::Install;
    QString source;  // empty: the executable's folder
    QString logPath; // for Mode::Uninstall
    bool unattended = false;
    QString target;     // unattended: empty takes the default
    QString menuFolder; // unattended: empty takes the program name
    QString systemRoot; // empty: ORVEL_SETUP_SYSTEM_ROOT, else "/"
    QString error;      // for Mode::Invalid
};

SetupCommandLine ParseSetupCommandLine(const QStringList &arguments); // without the program's name
QString SetupUsage();

// The applications menu Setup puts its Start-menu folder in: the system's
// (below the system root) when running as the administrator, else the
// user's ($XDG_DATA_HOME/applications).
QString ApplicationsMenuDir(const SetupPaths &paths);

// Runs an installation (the wizard, or unattended) or an uninstallation.
// Returns the exit code: 0 when it was done completely, else 1.
// setupExecutable is what is copied as the uninstaller when the source
// folder holds no "Setup" of its own.
int RunSetupInstall(const SetupCommandLine &command, const SetupPaths &paths, ISetupPrompter &prompter,
                    const QString &setupExecutable);
int RunSetupUninstall(const SetupCommandLine &command, const SetupPaths &paths, ISetupPrompter &prompter);

} // namespace orvel::setup

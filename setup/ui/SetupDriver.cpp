#include "setup/ui/SetupDriver.h"

#include "setup/SetupFiles.h"
#include "setup/SetupInstaller.h"
#include "setup/SetupStrings.h"
#include "setup/SetupUninstaller.h"
#include "setup/ui/SetupPrompter.h"
#include "setup/ui/SetupWizard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <unistd.h>

namespace orvel::setup {
namespace {

// SETUP.INF is at most a few hundred lines of 260 bytes.
constexpr qint64 kMaxInfBytes = 1024 * 1024;

bool readInf(const QString &source, SetupInf *inf, QString *reason)
{
    QFile file(source + QStringLiteral("/SETUP.INF"));
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("cannot read %1").arg(file.fileName());
        return false;
    }
    if (file.size() > kMaxInfBytes) {
        *reason = QStringLiteral("%1 is too large").arg(file.fileName());
        return false;
    }
    return ParseSetupInf(file.readAll(), inf, reason);
}

bool badFolderName(const QString &name)
{
    if (name.isEmpty() || QDir::isAbsolutePath(name))
        return true;
    for (const QString &part : name.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return true;
    }
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20; });
}

int installUnattended(const SetupCommandLine &command, const SetupInf &inf, SetupSettings &settings,
                      ISetupPrompter &prompter, const InstallOptions &base, const QString &menuBase)
{
    InstallOptions options = base;
    QString target = command.target;
    if (target.isEmpty())
        target = settings.ProgramFilesDir() + QLatin1Char('/') + inf.defaultFolder;
    options.targetFolder = QDir::cleanPath(QDir::current().absoluteFilePath(target));
    const QString name = command.menuFolder.isEmpty() ? inf.programName : command.menuFolder;
    options.menuFolder = menuBase + QLatin1Char('/') + name;
    // The folders above a nested menu folder must exist: only the last one
    // is created (and logged), so nothing unlogged is left behind.
    if (badFolderName(name)
        || (name.contains(QLatin1Char('/')) && !QFileInfo(QFileInfo(options.menuFolder).absolutePath()).isDir())) {
        prompter.Message(IDS_INVALID_PATH, QString());
        return 1;
    }
    CSetupInstaller installer(inf, settings, options, {});
    if (!installer.CheckSpace().enough() && !prompter.Ask(IDS_TOO_LITTLE_SPACE, QString(), false))
        return 1;
    InstallCallbacks callbacks;
    callbacks.insertDisk = [&](int disk, const QString &label) { return prompter.InsertDisk(disk, label); };
    callbacks.overwriteNewer = [&](const VersionConflict &conflict) { return prompter.OverwriteNewer(conflict); };
    callbacks.message = [&](int id, const QString &argument) { prompter.Message(id, argument); };
    CSetupInstaller run(inf, settings, options, callbacks);
    return run.Install() == InstallResult::Done ? 0 : 1;
}

} // namespace

SetupCommandLine ParseSetupCommandLine(const QStringList &arguments)
{
    SetupCommandLine command;
    QStringList words;
    auto invalid = [&](const QString &why) {
        command.mode = SetupCommandLine::Mode::Invalid;
        command.error = why;
        return command;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        auto value = [&](QString *out) {
            if (i + 1 >= arguments.size())
                return false;
            *out = arguments.at(++i);
            return true;
        };
        if (argument == QLatin1String("--unattended")) {
            command.unattended = true;
        } else if (argument == QLatin1String("--target")) {
            if (!value(&command.target))
                return invalid(QStringLiteral("--target needs a folder"));
        } else if (argument == QLatin1String("--menu-folder")) {
            if (!value(&command.menuFolder))
                return invalid(QStringLiteral("--menu-folder needs a name"));
        } else if (argument == QLatin1String("--system-root")) {
            if (!value(&command.systemRoot))
                return invalid(QStringLiteral("--system-root needs a folder"));
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            command.mode = SetupCommandLine::Mode::Help;
            return command;
        } else if (argument.compare(QLatin1String("/uninstall"), Qt::CaseInsensitive) == 0 && words.isEmpty()
                   && command.mode == SetupCommandLine::Mode::Install) {
            command.mode = SetupCommandLine::Mode::Uninstall;
        } else if (argument.startsWith(QLatin1String("--"))) {
            return invalid(QStringLiteral("unknown option %1").arg(argument));
        } else {
            words << argument;
        }
    }
    if (command.mode == SetupCommandLine::Mode::Uninstall) {
        command.logPath = words.join(QLatin1Char(' '));
        if (command.logPath.isEmpty())
            return invalid(QStringLiteral("/uninstall needs the path of Setup.log"));
        if (!command.target.isEmpty() || !command.menuFolder.isEmpty())
            return invalid(QStringLiteral("--target and --menu-folder belong to an installation"));
        return command;
    }
    if (words.size() > 1)
        return invalid(QStringLiteral("more than one source folder"));
    command.source = words.value(0);
    if (!command.unattended && (!command.target.isEmpty() || !command.menuFolder.isEmpty()))
        return invalid(QStringLiteral("--target and --menu-folder need --unattended"));
    return command;
}

QString SetupUsage()
{
    return QStringLiteral(
            "Usage: orvel-setup [SOURCE]\n"
            "       orvel-setup --unattended [--target DIR] [--menu-folder NAME] [SOURCE]\n"
            "       UninsKWZ /uninstall LOG [--unattended]\n"
            "Options: --system-root DIR  write system-wide files below DIR (default: $ORVEL_SETUP_SYSTEM_ROOT or /)\n"
            "SOURCE is the folder holding SETUP.INF (default: the folder of this program).\n"
            "Exit code 0 when everything was done, 1 otherwise.\n");
}

QString ApplicationsMenuDir(const SetupPaths &paths)
{
    if (::geteuid() == 0)
        return paths.classesDataDir + QStringLiteral("/applications");
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data) + QStringLiteral("/applications");
}

int RunSetupInstall(const SetupCommandLine &command, const SetupPaths &paths, ISetupPrompter &prompter,
                    const QString &setupExecutable)
{
    QString source = command.source.isEmpty() ? QCoreApplication::applicationDirPath() : command.source;
    source = QDir::cleanPath(QDir::current().absoluteFilePath(source));
    SetupInf inf;
    QString reason;
    if (!readInf(source, &inf, &reason)) {
        qWarning("Setup: SETUP.INF refused: %s", qPrintable(reason));
        prompter.Message(IDS_INSTALL_FAILED, QString());
        return 1;
    }
    SetupSettings settings(paths);
    if (settings.IsAlreadyInstalled() && !prompter.Ask(IDS_ALREADY_INSTALLED, QString(), false))
        return 1;

    InstallOptions options;
    options.sourceFolder = source;
    const QString ownSetup = source + QStringLiteral("/Setup");
    options.setupExecutable = QFileInfo(ownSetup).isFile() ? ownSetup : setupExecutable;
    options.programVersion = ProgramFileVersion();
    const QString menuBase = ApplicationsMenuDir(paths);
    if (command.unattended)
        return installUnattended(command, inf, settings, prompter, options, menuBase);

    CSetupWizard wizard(inf, settings, {source, options.setupExecutable, menuBase}, prompter);
    if (auto *dialogs = dynamic_cast<CDialogPrompter *>(&prompter))
        dialogs->SetParent(&wizard);
    return wizard.exec() == QDialog::Accepted ? 0 : 1;
}

int RunSetupUninstall(const SetupCommandLine &command, const SetupPaths &paths, ISetupPrompter &prompter)
{
    if (!prompter.ConfirmUninstall())
        return 1;
    const QString status = SetupString(IDS_UPDATING_REGISTRY);
    prompter.ShowProgress(status, QString());
    SetupSettings settings(paths);
    UninstallCallbacks callbacks;
    callbacks.removeShared = [&](const SharedFileQuestion &question) { return prompter.RemoveShared(question); };
    // The final message comes after the progress window is gone.
    int finalMessage = 0;
    callbacks.message = [&](int id, const QString &argument) {
        if (id == IDS_UNINSTALL_DONE || id == IDS_UNINSTALL_INCOMPLETE)
            finalMessage = id;
        else
            prompter.Message(id, argument);
    };
    callbacks.progress = [&](const QString &path) { prompter.ShowProgress(SetupString(IDS_REMOVING), path); };
    const UninstallResult result = Uninstall(QDir::current().absoluteFilePath(command.logPath), settings, callbacks);
    prompter.EndProgress();
    if (finalMessage != 0)
        prompter.Message(finalMessage, QString());
    return result == UninstallResult::Complete ? 0 : 1;
}

} // namespace orvel::setup

#include "setup/SetupInstaller.h"

#include "setup/SetupControl.h"
#include "setup/SetupFiles.h"
#include "setup/SetupStrings.h"
#include "setup/Szdd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstdio>

namespace orvel::setup {
namespace {

QString nearestExisting(QString path)
{
    while (!QFileInfo::exists(path) && path != QLatin1String("/") && !path.isEmpty())
        path = QFileInfo(path).absolutePath();
    return path.isEmpty() ? QStringLiteral("/") : path;
}

qint64 freeBytes(const QString &path)
{
    struct statvfs info;
    if (::statvfs(QFile::encodeName(nearestExisting(path)).constData(), &info) != 0)
        return 0;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

bool sameDevice(const QString &a, const QString &b)
{
    struct stat sa, sb;
    if (::stat(QFile::encodeName(nearestExisting(a)).constData(), &sa) != 0
        || ::stat(QFile::encodeName(nearestExisting(b)).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev;
}

bool replaceFile(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Text of a desktop entry's Exec key: the program quoted, as the desktop
// entry rules escape it, then the arguments.
QString quotedExec(const QString &program)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    out.replace(QLatin1Char('%'), QLatin1String("%%"));
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return out;
}

QString desktopValue(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

// The program of a command line: the first word, or the quoted text.
QString programOf(const QString &command)
{
    const QString trimmed = command.trimmed();
    if (trimmed.startsWith(QLatin1Char('"'))) {
        const qsizetype end = trimmed.indexOf(QLatin1Char('"'), 1);
        return end < 0 ? trimmed.mid(1) : trimmed.mid(1, end - 1);
    }
    return trimmed.section(QLatin1Char(' '), 0, 0);
}

} // namespace

CSetupInstaller::CSetupInstaller(const SetupInf &inf, SetupSettings &settings, InstallOptions options,
                                 InstallCallbacks callbacks)
    : m_inf(inf)
    , m_settings(settings)
    , m_options(std::move(options))
    , m_callbacks(std::move(callbacks))
{
    m_options.targetFolder = QDir::cleanPath(m_options.targetFolder);
    m_options.menuFolder = QDir::cleanPath(m_options.menuFolder);
    if (m_options.setupExecutable.isEmpty())
        m_options.setupExecutable = m_options.sourceFolder + QStringLiteral("/Setup");
    for (qsizetype i = 0; i < m_inf.files.size(); ++i)
        m_finalPaths.append(QString());
}

QString CSetupInstaller::LogPath() const
{
    return m_options.targetFolder + QLatin1Char('/') + QLatin1String(kLogName);
}

QString CSetupInstaller::RegFilePath() const
{
    return m_options.targetFolder + QLatin1Char('/') + m_inf.programName + QStringLiteral(".reg");
}

QString CSetupInstaller::UninstallerPath() const
{
    return m_settings.paths().windowsFolder + QLatin1Char('/') + QLatin1String(kUninstallerName);
}

void CSetupInstaller::message(int id, const QString &argument)
{
    if (m_callbacks.message)
        m_callbacks.message(id, argument);
}

SpaceCheck CSetupInstaller::CheckSpace() const
{
    SpaceCheck check;
    check.programTotal = 5000;
    check.sharedTotal = 300000;
    for (const InfFile &file : m_inf.files) {
        if (file.kind == FileKind::Program)
            check.programTotal += file.size;
        else
            check.sharedTotal += file.size;
    }
    const QString windows = m_settings.paths().windowsFolder;
    check.targetFree = freeBytes(m_options.targetFolder);
    check.windowsFree = freeBytes(windows);
    check.sameDrive = sameDevice(m_options.targetFolder, windows);
    check.targetRequired = check.programTotal;
    check.windowsRequired = check.sharedTotal;
    if (check.sameDrive)
        check.targetRequired = check.windowsRequired = check.programTotal + check.sharedTotal;
    return check;
}

bool CSetupInstaller::log(const LogItem &item)
{
    if (!m_log.IsOpen()) {
        m_pending.append(item);
        return true;
    }
    return m_log.WriteItem(item);
}

bool CSetupInstaller::createMissingFolders(const QString &folder, QStringList *created)
{
    QStringList missing;
    for (QString path = QDir::cleanPath(folder); !QFileInfo::exists(path) && path != QLatin1String("/");
         path = QFileInfo(path).absolutePath()) {
        // A dangling link would be followed by mkdir's parent lookup.
        if (QFileInfo(path).isSymLink()) {
            message(IDS_FOLDER_NOT_CREATED, path);
            return false;
        }
        missing.prepend(path);
    }
    for (const QString &path : missing) {
        if (!QDir().mkdir(path)) {
            message(IDS_FOLDER_NOT_CREATED, path);
            return false;
        }
        if (created)
            created->append(path);
        if (!log({LogItemKind::CreatedDir, path}))
            return false;
    }
    return true;
}

bool CSetupInstaller::createFolders(const QString &base, const QString &relative)
{
    QString path = base;
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        path += QLatin1Char('/') + part;
        const QFileInfo info(path);
        // A link planted in the target folder would lead the copy elsewhere.
        if (info.isSymLink()) {
            message(IDS_FOLDER_NOT_CREATED, path);
            return false;
        }
        if (info.isDir())
            continue;
        if (info.exists() || !QDir().mkdir(path)) {
            message(IDS_FOLDER_NOT_CREATED, path);
            return false;
        }
        if (!log({LogItemKind::CreatedDir, path}))
            return false;
    }
    return true;
}

bool CSetupInstaller::copyInto(const QString &source, const QString &target, FileVersion *version, QString *error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the source");
        return false;
    }
    QTemporaryFile out(QFileInfo(target).absolutePath() + QStringLiteral("/.orvel-setup-XXXXXX"));
    if (!out.open()) {
        *error = QStringLiteral("cannot write into the folder");
        return false;
    }
    const QByteArray head = in.peek(8);
    if (IsSzdd(head)) {
        if (!ExpandSzdd(in, out, nullptr, error))
            return false;
    } else {
        char buffer[65536];
        while (true) {
            const qint64 n = in.read(buffer, sizeof buffer);
            if (n < 0 || (n > 0 && out.write(buffer, n) != n)) {
                *error = QStringLiteral("copy failed");
                return false;
            }
            if (n == 0)
                break;
        }
    }
    if (!out.flush()) {
        *error = QStringLiteral("write failed");
        return false;
    }
    out.seek(0);
    const QByteArray installedHead = out.read(4);
    const bool binary = IsProgramBinary(installedHead);
    *version = binary ? m_options.programVersion : m_inf.version;

    const QFileInfo existing(target);
    if (existing.exists()) {
        const std::optional<FileVersion> recorded = m_settings.RecordedVersion(target);
        if (recorded && *recorded > *version) {
            VersionConflict conflict{target, FormatVersion(recorded), FormatFileDate(target), version->toString(),
                                     FormatFileDate(source)};
            const bool overwrite = m_callbacks.overwriteNewer ? m_callbacks.overwriteNewer(conflict) : false;
            if (!overwrite) {
                error->clear(); // kept: not an error
                return false;
            }
        }
    }
    const bool executable = binary || installedHead.startsWith("#!") || (in.permissions() & QFileDevice::ExeOwner);
    QFileDevice::Permissions permissions =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (executable)
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    out.setPermissions(permissions);
    out.close();
    if (!replaceFile(out.fileName(), target)) {
        *error = QStringLiteral("rename failed");
        return false;
    }
    out.setAutoRemove(false);
    return true;
}

bool CSetupInstaller::installFile(int index)
{
    const InfFile &file = m_inf.files.at(index);
    if (file.disk != m_currentDisk) {
        const QString marker = m_options.sourceFolder + QStringLiteral("/Disk%1.id").arg(file.disk);
        while (!QFileInfo::exists(marker)) {
            const QString label = m_inf.diskLabels.value(file.disk - 1);
            if (!m_callbacks.insertDisk || !m_callbacks.insertDisk(file.disk, label))
                return false;
        }
        m_currentDisk = file.disk;
    }
    const QString base = file.kind == FileKind::Program ? m_options.targetFolder : m_settings.paths().windowsFolder;
    const QString folder =
            file.destination.contains(QLatin1Char('/')) ? file.destination.section(QLatin1Char('/'), 0, -2) : QString();
    if (!QFileInfo(base).isDir() && !QDir().mkpath(base)) {
        message(IDS_FOLDER_NOT_CREATED, base);
        return false;
    }
    if (!createFolders(base, folder))
        return false;
    const QString finalPath =
            base + (folder.isEmpty() ? QString() : QLatin1Char('/') + folder) + QLatin1Char('/') + file.finalName;
    const QString source = m_options.sourceFolder + QLatin1Char('/') + file.source;
    FileVersion version;
    QString error;
    if (!copyInto(source, finalPath, &version, &error)) {
        if (!error.isEmpty()) {
            message(IDS_FILE_NOT_INSTALLED, QFileInfo(source).fileName());
            return false;
        }
        // The newer installed file stays; it still is what "&file" names.
        m_finalPaths[index] = finalPath;
        return true;
    }
    m_finalPaths[index] = finalPath;
    m_settings.SetRecordedVersion(finalPath, version);
    switch (file.kind) {
    case FileKind::Program:
        return log({LogItemKind::CopiedFile, finalPath});
    case FileKind::Shared:
        m_settings.SetSharedCount(finalPath, m_settings.SharedCount(finalPath) + 1);
        return log({LogItemKind::CopiedShared, finalPath});
    case FileKind::Control:
        m_settings.SetSharedCount(finalPath, m_settings.SharedCount(finalPath) + 1);
        if (RegisterControl(finalPath) == ControlResult::Failed)
            message(IDS_CONTROL_NOT_REGISTERED, finalPath);
        return log({LogItemKind::CopiedOcx, finalPath});
    }
    return true;
}

bool CSetupInstaller::makeShortcuts()
{
    // The menu folder's parent is the applications menu, which may not
    // exist yet in a fresh account: made without logging, as a desktop
    // would make it (the system's menu was made and logged at the start).
    const QString parent = QFileInfo(m_options.menuFolder).absolutePath();
    if (!QDir().mkpath(parent)) {
        message(IDS_FOLDER_NOT_CREATED, parent);
        return false;
    }
    if (!createFolders(parent, QFileInfo(m_options.menuFolder).fileName()))
        return false;
    if (m_callbacks.status)
        m_callbacks.status(IDS_CREATING_SHORTCUTS);

    // The file types this installation registers, by the program that opens
    // them: a shortcut to that program offers to open them.
    QHash<QString, QString> progIdOfExtension, commandOfProgId;
    for (const RegistryLine &line : m_inf.registryLines) {
        if (line.root != RegistryRoot::ClassesRoot || !line.valueName.isEmpty())
            continue;
        const QString data = SubstitutePlaceholders(line.data, m_finalPaths, m_options.targetFolder,
                                                    m_settings.paths().windowsFolder);
        if (line.key.startsWith(QLatin1Char('.')) && !line.key.contains(QLatin1Char('\\')))
            progIdOfExtension.insert(line.key, data);
        else if (line.key.endsWith(QLatin1String("\\shell\\open\\command"), Qt::CaseInsensitive))
            commandOfProgId.insert(line.key.section(QLatin1Char('\\'), 0, 0), programOf(data));
    }

    for (const InfShortcut &shortcut : m_inf.shortcuts) {
        QString target = shortcut.targetFormat;
        for (int i = 0; i < 2; ++i) {
            const qsizetype at = target.indexOf(QLatin1String("%s"));
            if (at >= 0)
                target.replace(at, 2, m_options.targetFolder);
        }
        target.replace(QLatin1Char('\\'), QLatin1Char('/'));
        QStringList types;
        for (auto it = progIdOfExtension.cbegin(); it != progIdOfExtension.cend(); ++it) {
            if (commandOfProgId.value(it.value()) == target)
                types << SetupSettings::MimeTypeForProgId(it.value());
        }
        QString exec = quotedExec(target);
        if (!shortcut.arguments.isEmpty())
            exec += QLatin1Char(' ') + desktopValue(shortcut.arguments);
        if (!types.isEmpty())
            exec += QStringLiteral(" %f");
        QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nPath=%3\nTerminal=false\n")
                                .arg(desktopValue(shortcut.name), exec, desktopValue(m_options.targetFolder));
        if (!types.isEmpty())
            entry += QStringLiteral("MimeType=%1;\n").arg(types.join(QLatin1Char(';')));
        const QString path = m_options.menuFolder + QLatin1Char('/') + shortcut.name + QStringLiteral(".desktop");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(entry.toUtf8()) < 0 || !file.flush()) {
            message(IDS_FILE_NOT_INSTALLED, path);
            continue;
        }
        file.close();
        if (!log({LogItemKind::CopiedFile, path}))
            return false;
    }
    return true;
}

void CSetupInstaller::writeRegistry()
{
    m_log.WriteLine("##");
    if (m_callbacks.status)
        m_callbacks.status(IDS_UPDATING_REGISTRY);
    const QString windows = m_settings.paths().windowsFolder;
    QByteArray reg;
    for (const QString &line : m_inf.regFileLines)
        reg += SubstitutePlaceholders(line, m_finalPaths, m_options.targetFolder, windows).toUtf8() + '\n';
    QFile regFile(RegFilePath());
    if (!regFile.open(QIODevice::WriteOnly | QIODevice::Truncate) || regFile.write(reg) != reg.size())
        message(IDS_FILE_NOT_INSTALLED, RegFilePath());
    regFile.close();
    bool classes = false;
    for (const RegistryLine &line : m_inf.registryLines) {
        const QString data = SubstitutePlaceholders(line.data, m_finalPaths, m_options.targetFolder, windows);
        const QVariant value = line.isNumber ? QVariant(quint32(data.toLongLong())) : QVariant(data);
        m_settings.SetValue(line.root, line.key, line.valueName, value);
        classes = classes || line.root == RegistryRoot::ClassesRoot;
        m_log.WriteLine(line.line.toUtf8());
    }
    m_log.WriteLine("##");
    m_log.Close();
    if (classes)
        m_settings.SyncClasses();
}

InstallResult CSetupInstaller::Install()
{
    auto failed = [this] {
        message(IDS_INSTALL_FAILED);
        m_log.Close();
        return InstallResult::Failed;
    };
    // A line feed in a folder's name would split its log line and could
    // smuggle in an item the uninstallation would act upon.
    for (const QString &folder : {m_options.targetFolder, m_options.menuFolder, m_settings.paths().windowsFolder}) {
        const bool control = std::any_of(folder.begin(), folder.end(), [](QChar c) { return c.unicode() < 0x20; });
        if (control || !folder.startsWith(QLatin1Char('/'))) {
            message(IDS_INVALID_PATH);
            return failed();
        }
    }
    // 0. The system-wide folders of the settings store and the uninstaller
    //    come first in the log, so that an uninstallation removes them last.
    QStringList created;
    QStringList systemFolders = m_settings.SystemFolders(m_inf.registryLines);
    const QString menuParent = QFileInfo(m_options.menuFolder).absolutePath();
    if (menuParent.startsWith(m_settings.paths().classesDataDir + QLatin1Char('/')))
        systemFolders << menuParent; // the system's applications menu
    for (const QString &folder : systemFolders) {
        if (!createMissingFolders(folder, &created)) {
            m_settings.RecordCreatedFolders(created);
            return failed();
        }
    }
    m_settings.RecordCreatedFolders(created);
    // 1. The target folder, with every missing folder above it.
    if (!createMissingFolders(m_options.targetFolder))
        return failed();
    if (!QFileInfo(m_options.targetFolder).isDir()) {
        message(IDS_FOLDER_NOT_CREATED, m_options.targetFolder);
        return failed();
    }

    // 2. Setup itself as the uninstaller, counted like a shared file.
    const QString uninstaller = UninstallerPath();
    if (!QDir().mkpath(m_settings.paths().windowsFolder)) {
        message(IDS_FILE_NOT_INSTALLED, uninstaller);
        return failed();
    }
    {
        QFile in(m_options.setupExecutable);
        QTemporaryFile out(m_settings.paths().windowsFolder + QStringLiteral("/.orvel-setup-XXXXXX"));
        const bool copied =
                in.open(QIODevice::ReadOnly) && out.open() && out.write(in.readAll()) == in.size() && out.flush()
                && out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                      | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                      | QFileDevice::ExeOther);
        out.close();
        if (!copied || !replaceFile(out.fileName(), uninstaller)) {
            message(IDS_FILE_NOT_INSTALLED, uninstaller);
            return failed();
        }
        out.setAutoRemove(false);
    }
    m_settings.SetSharedCount(uninstaller, m_settings.SharedCount(uninstaller) + 1);

    // 3. The log, with what was created so far, itself and the ".reg" file.
    if (!m_log.Open(LogPath()) || !m_log.WriteLine(kLogHeader)) {
        message(IDS_LOG_NOT_CREATED);
        return failed();
    }
    const QList<LogItem> pending = m_pending;
    m_pending.clear();
    for (const LogItem &item : pending)
        m_log.WriteItem(item);
    if (!m_log.WriteItem({LogItemKind::CopiedFile, LogPath()})
        || !m_log.WriteItem({LogItemKind::CopiedFile, RegFilePath()}))
        return failed();

    // 4. The files, in order.
    const int count = int(m_inf.files.size());
    for (int i = 0; i < count; ++i) {
        const InfFile &file = m_inf.files.at(i);
        if (m_callbacks.progress
            && !m_callbacks.progress(i, count, m_options.sourceFolder + QLatin1Char('/') + file.source,
                                     file.destination))
            return failed();
        if (!installFile(i))
            return failed();
    }

    // 5. Shortcuts, then the registry.
    if (!makeShortcuts())
        return failed();
    writeRegistry();
    return InstallResult::Done;
}

} // namespace orvel::setup

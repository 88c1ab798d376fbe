#include "setup/SetupSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace orvel::setup {
namespace {

const QString kSetupOrg = QStringLiteral("KWZ");
const QString kSystemBookkeeping = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");
const QString kVersionsGroup = QStringLiteral("Versions");
const QString kCreatedFoldersKey = QStringLiteral("Folders/Created");
const QString kDerivedPrefix = QStringLiteral("kwz-");

// QSettings reads "/" and "\" in a key as group separators, so a value named
// by a path keeps them escaped (and "%" and "@", which the escape and the
// default value use).
QString encodeName(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("@");
    QString out;
    for (const QChar c : name) {
        switch (c.unicode()) {
        case '%':
            out += QLatin1String("%25");
            break;
        case '/':
            out += QLatin1String("%2F");
            break;
        case '\\':
            out += QLatin1String("%5C");
            break;
        case '@':
            out += QLatin1String("%40");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString groupKey(const QString &group, const QString &name)
{
    return group.isEmpty() ? encodeName(name) : group + QLatin1Char('/') + encodeName(name);
}

bool startsWithKey(const QString &key, const QString &prefix, QString *rest)
{
    if (!key.startsWith(prefix, Qt::CaseInsensitive))
        return false;
    if (key.size() == prefix.size()) {
        *rest = QString();
        return true;
    }
    if (key.at(prefix.size()) != QLatin1Char('\\'))
        return false;
    *rest = key.mid(prefix.size() + 1);
    return true;
}

// Removes a settings file that holds nothing any more, and its folder when
// that is empty too, so that an uninstall leaves no empty shells behind.
void dropIfEmpty(const QString &file)
{
    QSettings settings(file, QSettings::IniFormat);
    if (!settings.allKeys().isEmpty())
        return;
    QFile::remove(file);
    QDir().rmdir(QFileInfo(file).absolutePath());
}

QString sanitised(const QString &text)
{
    QString out;
    for (const QChar c : text.toLower()) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                           || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-')
                           || c == QLatin1Char('_');
        out += plain ? c : (c == QLatin1Char('.') ? QLatin1Char('-') : QLatin1Char('_'));
    }
    return out;
}

QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

// "C:\x\orvel.exe" "%1" becomes the desktop's Exec with %f for the file.
QString execFromCommand(QString command)
{
    command.replace(QLatin1String("\"%1\""), QLatin1String("%f"));
    command.replace(QLatin1String("%1"), QLatin1String("%f"));
    if (!command.contains(QLatin1String("%f")))
        command += QLatin1String(" %f");
    return command;
}

} // namespace

const QString SetupSettings::kCurrentVersionKey = kSystemBookkeeping;
const QString SetupSettings::kSharedDllsKey = kSystemBookkeeping + QStringLiteral("\\SharedDLLs");
const QString SetupSettings::kUninstallKey = kSystemBookkeeping + QStringLiteral("\\Uninstall\\Orvel97");

SetupPaths SetupPaths::ForSystemRoot(const QString &systemRoot)
{
    SetupPaths paths;
    QString root = QDir::cleanPath(systemRoot.isEmpty() ? QStringLiteral("/") : systemRoot);
    paths.systemRoot = root;
    const QString base = root == QLatin1String("/") ? QString() : root;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    paths.userConfigDir = config;
    paths.systemConfigDir = base + QStringLiteral("/etc/xdg");
    paths.classesDataDir = base + QStringLiteral("/usr/local/share");
    paths.windowsFolder = base + QStringLiteral("/usr/local/lib/KWZ");
    return paths;
}

SetupPaths SetupPaths::FromEnvironment(const QString &option)
{
    QString root = option;
    if (root.isEmpty())
        root = qEnvironmentVariable("ORVEL_SETUP_SYSTEM_ROOT");
    return ForSystemRoot(root.isEmpty() ? QStringLiteral("/") : QDir(root).absolutePath());
}

SetupSettings::SetupSettings(SetupPaths paths)
    : m_paths(std::move(paths))
{}

SetupSettings::Location SetupSettings::locate(RegistryRoot root, const QString &key) const
{
    if (root == RegistryRoot::ClassesRoot) {
        QString group = key;
        return {m_paths.systemConfigDir + QStringLiteral("/KWZ/Classes.conf"),
                group.replace(QLatin1Char('\\'), QLatin1Char('/'))};
    }
    const QString base = root == RegistryRoot::CurrentUser ? m_paths.userConfigDir : m_paths.systemConfigDir;
    QString rest;
    if (root == RegistryRoot::LocalMachine && startsWithKey(key, kSystemBookkeeping, &rest))
        return {base + QStringLiteral("/KWZ/Setup.conf"), rest.replace(QLatin1Char('\\'), QLatin1Char('/'))};
    const QStringList parts = key.split(QLatin1Char('\\'));
    if (parts.size() >= 3 && parts.at(0).compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        return {base + QLatin1Char('/') + parts.at(1) + QLatin1Char('/') + parts.at(2) + QStringLiteral(".conf"),
                parts.mid(3).join(QLatin1Char('/'))};
    return {base + QStringLiteral("/KWZ/Registry.conf"), parts.join(QLatin1Char('/'))};
}

bool SetupSettings::SetValue(RegistryRoot root, const QString &key, const QString &name, const QVariant &value)
{
    if (!IsSafeRegistryKey(key))
        return false;
    const Location at = locate(root, key);
    QDir().mkpath(QFileInfo(at.file).absolutePath());
    QSettings settings(at.file, QSettings::IniFormat);
    settings.setValue(groupKey(at.group, name), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QVariant SetupSettings::Value(RegistryRoot root, const QString &key, const QString &name) const
{
    if (!IsSafeRegistryKey(key))
        return {};
    const Location at = locate(root, key);
    if (!QFileInfo::exists(at.file))
        return {};
    QSettings settings(at.file, QSettings::IniFormat);
    return settings.value(groupKey(at.group, name));
}

bool SetupSettings::DeleteKey(RegistryRoot root, const QString &key)
{
    if (!IsSafeRegistryKey(key))
        return false;
    const Location at = locate(root, key);
    if (!QFileInfo::exists(at.file))
        return true;
    {
        QSettings settings(at.file, QSettings::IniFormat);
        settings.remove(at.group);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return false;
    }
    dropIfEmpty(at.file);
    return true;
}

int SetupSettings::SharedCount(const QString &path) const
{
    return Value(RegistryRoot::LocalMachine, kSharedDllsKey, path).toInt();
}

bool SetupSettings::HasSharedCount(const QString &path) const
{
    return Value(RegistryRoot::LocalMachine, kSharedDllsKey, path).isValid();
}

void SetupSettings::SetSharedCount(const QString &path, int count)
{
    SetValue(RegistryRoot::LocalMachine, kSharedDllsKey, path, count);
}

void SetupSettings::RemoveSharedCount(const QString &path)
{
    const Location at = locate(RegistryRoot::LocalMachine, kSharedDllsKey);
    if (!QFileInfo::exists(at.file))
        return;
    {
        QSettings settings(at.file, QSettings::IniFormat);
        settings.remove(groupKey(at.group, path));
    }
    dropIfEmpty(at.file);
}

std::optional<FileVersion> SetupSettings::RecordedVersion(const QString &path) const
{
    const QString file = m_paths.systemConfigDir + QStringLiteral("/KWZ/Setup.conf");
    if (!QFileInfo::exists(file))
        return std::nullopt;
    QSettings settings(file, QSettings::IniFormat);
    FileVersion version;
    const QVariant value = settings.value(groupKey(kVersionsGroup, path));
    if (!value.isValid() || !FileVersion::parse(value.toString(), &version))
        return std::nullopt;
    return version;
}

void SetupSettings::SetRecordedVersion(const QString &path, const FileVersion &version)
{
    const QString file = m_paths.systemConfigDir + QStringLiteral("/KWZ/Setup.conf");
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(groupKey(kVersionsGroup, path), version.toString());
}

void SetupSettings::RemoveRecordedVersion(const QString &path)
{
    const QString file = m_paths.systemConfigDir + QStringLiteral("/KWZ/Setup.conf");
    if (!QFileInfo::exists(file))
        return;
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.remove(groupKey(kVersionsGroup, path));
    }
    dropIfEmpty(file);
}

bool SetupSettings::IsAlreadyInstalled() const
{
    return Value(RegistryRoot::LocalMachine, kUninstallKey, QStringLiteral("DisplayName")).isValid();
}

QString SetupSettings::ProgramFilesDir() const
{
    const QString value =
            Value(RegistryRoot::LocalMachine, kCurrentVersionKey, QStringLiteral("ProgramFilesDir")).toString();
    if (!value.isEmpty())
        return value;
    return (m_paths.systemRoot == QLatin1String("/") ? QString() : m_paths.systemRoot) + QStringLiteral("/opt");
}

QString SetupSettings::MimeTypeForProgId(const QString &progId)
{
    return QStringLiteral("application/x-") + sanitised(progId);
}

QStringList SetupSettings::SystemFolders(const QList<RegistryLine> &lines) const
{
    QStringList folders{m_paths.windowsFolder};
    bool classes = false;
    for (const RegistryLine &line : lines) {
        if (line.root == RegistryRoot::CurrentUser || !IsSafeRegistryKey(line.key))
            continue;
        const QString folder = QFileInfo(locate(line.root, line.key).file).absolutePath();
        if (!folders.contains(folder))
            folders << folder;
        classes = classes || line.root == RegistryRoot::ClassesRoot;
    }
    const QString setupFolder = QFileInfo(m_paths.systemConfigDir + QStringLiteral("/KWZ/Setup.conf")).absolutePath();
    if (!folders.contains(setupFolder))
        folders << setupFolder;
    if (classes)
        folders << m_paths.classesDataDir + QStringLiteral("/mime/packages")
                << m_paths.classesDataDir + QStringLiteral("/applications");
    return folders;
}

void SetupSettings::RecordCreatedFolders(const QStringList &folders)
{
    if (folders.isEmpty())
        return;
    const QString file = m_paths.systemConfigDir + QStringLiteral("/KWZ/Setup.conf");
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings settings(file, QSettings::IniFormat);
    QStringList known = settings.value(kCreatedFoldersKey).toStringList();
    for (const QString &folder : folders) {
        if (!known.contains(folder))
            known << folder;
    }
    settings.setValue(kCreatedFoldersKey, known);
}

void SetupSettings::PruneCreatedFolders()
{
    const QString file = m_paths.systemConfigDir + QStringLiteral("/KWZ/Setup.conf");
    if (!QFileInfo::exists(file))
        return;
    QStringList known;
    {
        QSettings settings(file, QSettings::IniFormat);
        known = settings.value(kCreatedFoldersKey).toStringList();
    }
    if (known.isEmpty())
        return;
    // Deepest first; the folder holding this list and those above it wait
    // until the list itself can go.
    std::sort(known.begin(), known.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    const QString listFolder = QFileInfo(file).absolutePath();
    auto holdsList = [&](const QString &folder) {
        return listFolder == folder || listFolder.startsWith(folder + QLatin1Char('/'));
    };
    QStringList left;
    for (const QString &folder : known) {
        const QFileInfo info(folder);
        if (holdsList(folder) || (info.exists() && (info.isSymLink() || !QDir().rmdir(folder))))
            left << folder;
    }
    if (std::any_of(left.begin(), left.end(), [&](const QString &folder) { return !holdsList(folder); })) {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(kCreatedFoldersKey, left);
        return;
    }
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.remove(kCreatedFoldersKey);
    }
    dropIfEmpty(file);
    for (const QString &folder : left) {
        if (!QFileInfo(folder).isSymLink())
            QDir().rmdir(folder);
    }
}

namespace {

// What update-mime-database generates beside the packages folder.
const QStringList kMimeDatabaseFiles{
        QStringLiteral("aliases"),    QStringLiteral("generic-icons"), QStringLiteral("globs"),
        QStringLiteral("globs2"),     QStringLiteral("icons"),         QStringLiteral("magic"),
        QStringLiteral("mime.cache"), QStringLiteral("subclasses"),    QStringLiteral("treemagic"),
        QStringLiteral("types"),      QStringLiteral("version"),       QStringLiteral("XMLnamespaces")};

bool runTool(const QString &tool, const QString &folder)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return false;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, {folder});
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A MIME database whose packages folder holds no package any more is only a
// cache of nothing: its generated files go, so that the folders can go too.
void dropMimeDatabase(const QString &mimeDir)
{
    QDir dir(mimeDir);
    if (!QFileInfo::exists(dir.filePath(QStringLiteral("mime.cache"))))
        return;
    for (const QString &name : kMimeDatabaseFiles)
        QFile::remove(dir.filePath(name));
    // The media-type folders hold one generated XML file per type.
    const QStringList media = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString &name : media) {
        if (name == QLatin1String("packages"))
            continue;
        QDir sub(dir.filePath(name));
        const QStringList entries = sub.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        const bool generated = std::all_of(entries.begin(), entries.end(), [&](const QString &entry) {
            return entry.endsWith(QLatin1String(".xml")) && QFileInfo(sub.filePath(entry)).isFile()
                   && !QFileInfo(sub.filePath(entry)).isSymLink();
        });
        if (!generated)
            continue;
        for (const QString &entry : entries)
            sub.remove(entry);
        dir.rmdir(name);
    }
}

} // namespace

void SetupSettings::RefreshDesktopDatabases() const
{
    const QString mimeDir = m_paths.classesDataDir + QStringLiteral("/mime");
    const QString packages = mimeDir + QStringLiteral("/packages");
    if (!QDir(packages).entryList({QStringLiteral("*.xml")}, QDir::Files).isEmpty())
        runTool(QStringLiteral("update-mime-database"), mimeDir);
    else if (QFileInfo(mimeDir).isDir())
        dropMimeDatabase(mimeDir);
    const QString appDir = m_paths.classesDataDir + QStringLiteral("/applications");
    if (!QDir(appDir).entryList({QStringLiteral("*.desktop")}, QDir::Files).isEmpty())
        runTool(QStringLiteral("update-desktop-database"), appDir);
    else
        QFile::remove(appDir + QStringLiteral("/mimeinfo.cache"));
}

void SetupSettings::SyncClasses()
{
    const QString mimeDir = m_paths.classesDataDir + QStringLiteral("/mime/packages");
    const QString appDir = m_paths.classesDataDir + QStringLiteral("/applications");
    QStringList keep;
    const QString file = m_paths.systemConfigDir + QStringLiteral("/KWZ/Classes.conf");
    if (QFileInfo::exists(file)) {
        QSettings settings(file, QSettings::IniFormat);
        const QStringList groups = settings.childGroups();
        for (const QString &extension : groups) {
            if (!extension.startsWith(QLatin1Char('.')) || extension.size() < 2)
                continue;
            const QString progId = settings.value(extension + QStringLiteral("/@")).toString();
            if (progId.isEmpty() || progId.contains(QLatin1Char('/')))
                continue;
            const QString type = MimeTypeForProgId(progId);
            const QString name = kDerivedPrefix + sanitised(progId);
            QString description = settings.value(progId + QStringLiteral("/@")).toString();
            if (description.isEmpty())
                description = progId;
            const QByteArray xml =
                    QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                   "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                                   "  <mime-type type=\"%1\">\n"
                                   "    <comment>%2</comment>\n"
                                   "    <glob pattern=\"*%3\"/>\n"
                                   "  </mime-type>\n"
                                   "</mime-info>\n")
                            .arg(type, xmlEscaped(description), xmlEscaped(extension))
                            .toUtf8();
            writeFile(mimeDir + QLatin1Char('/') + name + QStringLiteral(".xml"), xml);
            keep << name + QStringLiteral(".xml");
            const QString command = settings.value(progId + QStringLiteral("/shell/open/command/@")).toString();
            if (!command.isEmpty()) {
                const QByteArray desktop = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n"
                                                          "MimeType=%3;\nNoDisplay=true\nTerminal=false\n")
                                                   .arg(description, execFromCommand(command), type)
                                                   .toUtf8();
                writeFile(appDir + QLatin1Char('/') + name + QStringLiteral(".desktop"), desktop);
                keep << name + QStringLiteral(".desktop");
            }
        }
    }
    for (const QString &dir : {mimeDir, appDir}) {
        const QStringList derived = QDir(dir).entryList({kDerivedPrefix + QLatin1Char('*')}, QDir::Files);
        for (const QString &entry : derived) {
            if (!keep.contains(entry))
                QFile::remove(dir + QLatin1Char('/') + entry);
        }
    }
    RefreshDesktopDatabases();
}

} // namespace orvel::setup

// Installing from a disk set in a temporary system root, the log it leaves,
// and uninstalling from that log.
#include "SetupTestSupport.h"
#include "setup/SetupFiles.h"
#include "setup/SetupInstaller.h"
#include "setup/SetupStrings.h"
#include "setup/SetupUninstaller.h"

#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace orvel::setup {
namespace {

using test::ReadFile;
using test::Tree;
using test::TreeChanges;
using test::WriteFile;

const char kInf[] = "VERSION %VERSION%\n"
                    "Orvel 97\n"
                    "Orvel97\n"
                    "##\n"
                    "Orvel 97 - Diskette 1\n"
                    "Orvel 97 - Diskette 2\n"
                    "##\n"
                    "1:ORVEL.EX_,ORVEL.EXE,orvel,2000,p\n"
                    "1:readme.tx_,doc\\LIESMICH.TXT,liesmich.txt,100,p\n"
                    "2:shared.dat,shared.dat,shared.dat,100,x\n"
                    "2:ctl.so,ctl.so,ctl.so,20000,o\n"
                    "##\n"
                    "%s\\orvel\n"
                    "Orvel 97\n"
                    "%s\\doc\\liesmich.txt\n"
                    "Liesmich\n"
                    "##\n"
                    "REGEDIT4\n"
                    "@=\"&file00; %1\"\n"
                    "##\n"
                    "HKCU,Software\\KWZ\\Orvel 97\\Settings,StandardView,d,1\n"
                    "HKCU,Software\\KWZ\\Orvel 97\\Settings,Name,s,1\n"
                    "HKLM,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvel97,DisplayName,s,Orvel 97\n"
                    "HKLM,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvel97,UninstallString,s,"
                    "&windir//UninsKWZ /uninstall &dest//Setup.log\n"
                    "HKCR,.ovd,,s,Orvel.Document\n"
                    "HKCR,Orvel.Document,,s,Orvel 97 Datenbank\n"
                    "HKCR,Orvel.Document\\shell\\open\\command,,s,\"&file00;\" \"%1\"\n"
                    "##\n";

// Folders a system and a home already have; an uninstallation leaves them.
const QStringList kSkeleton{QStringLiteral("etc/xdg"),         QStringLiteral("usr/local/lib"),
                            QStringLiteral("usr/local/share"), QStringLiteral("opt"),
                            QStringLiteral("home/.config"),    QStringLiteral("home/.local/share/applications")};

struct Message
{
    int id;
    QString argument;
};

class SetupInstallTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_paths = test::ScratchPaths(&m_root);
        for (const QString &folder : kSkeleton)
            QDir().mkpath(m_root + QLatin1Char('/') + folder);
        m_source = m_root + QStringLiteral("/media");
        m_program = QByteArray("\x7f"
                               "ELF")
                    + QByteArray(3000, 'p') + "orvel program";
        WriteFile(m_source + QStringLiteral("/Setup"), "#!/bin/sh\necho Setup\n");
        WriteFile(m_source + QStringLiteral("/Disk1.id"), "");
        WriteFile(m_source + QStringLiteral("/ORVEL.EX_"), test::CompressSzdd(m_program));
        WriteFile(m_source + QStringLiteral("/readme.tx_"),
                  test::CompressSzdd(QByteArray("Lies mich!\n").repeated(50)));
        WriteFile(m_source + QStringLiteral("/shared.dat"), "shared 1");
        QFile::copy(qEnvironmentVariable("ORVEL_SETUP_TEST_CONTROL"), m_source + QStringLiteral("/ctl.so"));
        m_controlLog = m_root + QStringLiteral("/control.log");
        qputenv("ORVEL_SETUP_CONTROL_LOG", m_controlLog.toLocal8Bit());
        m_before = Tree(m_root);
        setVersion("1.0.0.0");
    }

    void setVersion(const char *version)
    {
        QByteArray text(kInf);
        text.replace("%VERSION%", version);
        QString reason;
        ASSERT_TRUE(ParseSetupInf(text, &m_inf, &reason)) << reason.toStdString();
    }

    QString target(const char *name = "Orvel97") const
    {
        return m_root + QStringLiteral("/opt/") + QLatin1String(name);
    }
    QString menu() const { return m_root + QStringLiteral("/home/.local/share/applications/Orvel 97"); }
    QString windows() const { return m_paths.windowsFolder; }

    InstallCallbacks callbacks()
    {
        InstallCallbacks c;
        c.insertDisk = [this](int disk, const QString &label) {
            m_diskPrompts << QStringLiteral("%1 %2").arg(disk).arg(label);
            WriteFile(m_source + QStringLiteral("/Disk%1.id").arg(disk), "");
            return true;
        };
        c.overwriteNewer = [this](const VersionConflict &conflict) {
            m_conflicts.append(conflict);
            return m_overwrite;
        };
        c.message = [this](int id, const QString &argument) { m_messages.append({id, argument}); };
        return c;
    }

    InstallResult install(const QString &targetFolder)
    {
        SetupSettings settings(m_paths);
        InstallOptions options;
        options.sourceFolder = m_source;
        options.targetFolder = targetFolder;
        options.menuFolder = menu();
        options.programVersion = ProgramFileVersion();
        CSetupInstaller installer(m_inf, settings, options, callbacks());
        return installer.Install();
    }

    UninstallResult uninstall(const QString &targetFolder)
    {
        SetupSettings settings(m_paths);
        UninstallCallbacks c;
        c.removeShared = [this](const SharedFileQuestion &question) {
            m_removalQuestions << QFileInfo(question.path).fileName();
            return !m_keep.contains(QFileInfo(question.path).fileName());
        };
        c.message = [this](int id, const QString &argument) { m_messages.append({id, argument}); };
        return Uninstall(targetFolder + QStringLiteral("/Setup.log"), settings, c);
    }

    QList<int> messageIds() const
    {
        QList<int> ids;
        for (const Message &m : m_messages)
            ids << m.id;
        return ids;
    }

    QString m_root, m_source, m_controlLog;
    SetupPaths m_paths;
    SetupInf m_inf;
    QByteArray m_program;
    QStringList m_before, m_diskPrompts, m_removalQuestions, m_keep;
    QList<VersionConflict> m_conflicts;
    QList<Message> m_messages;
    bool m_overwrite = false;
};

TEST_F(SetupInstallTest, InstallsLogsAndUninstallsEverything)
{
    ASSERT_EQ(install(target()), InstallResult::Done);
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(m_diskPrompts, QStringList{QStringLiteral("2 Orvel 97 - Diskette 2")});

    // The expanded program under its final name, the subfolder, the shared files.
    const QString t = target();
    EXPECT_EQ(ReadFile(t + QStringLiteral("/orvel")), m_program);
    EXPECT_TRUE(QFileInfo(t + QStringLiteral("/orvel")).isExecutable());
    EXPECT_FALSE(QFileInfo::exists(t + QStringLiteral("/ORVEL.EXE")));
    EXPECT_EQ(ReadFile(t + QStringLiteral("/doc/liesmich.txt")), QByteArray("Lies mich!\n").repeated(50));
    EXPECT_EQ(ReadFile(windows() + QStringLiteral("/shared.dat")), QByteArray("shared 1"));
    EXPECT_EQ(ReadFile(m_controlLog), QByteArray("register\n"));
    EXPECT_EQ(ReadFile(windows() + QStringLiteral("/UninsKWZ")), ReadFile(m_source + QStringLiteral("/Setup")));

    // The log, line by line.
    const QString w = windows(), m = menu();
    // The system-wide folders the settings store needs come first, so that
    // they go last.
    const QString expected = QStringLiteral("** INSTALLATION LOG - FILE IS NEEDED FOR UNINSTALL CAPABILITIES **\n"
                                            "Created dir :        %2\n"
                                            "Created dir :        %4/etc/xdg/KWZ\n"
                                            "Created dir :        %4/usr/local/share/mime\n"
                                            "Created dir :        %4/usr/local/share/mime/packages\n"
                                            "Created dir :        %4/usr/local/share/applications\n"
                                            "Created dir :        %1\n"
                                            "Copied file :        %1/Setup.log\n"
                                            "Copied file :        %1/Orvel 97.reg\n"
                                            "Copied file :        %1/orvel\n"
                                            "Created dir :        %1/doc\n"
                                            "Copied file :        %1/doc/liesmich.txt\n"
                                            "Copied shared file : %2/shared.dat\n"
                                            "Copied ocx file :    %2/ctl.so\n"
                                            "Created dir :        %3\n"
                                            "Copied file :        %3/Orvel 97.desktop\n"
                                            "Copied file :        %3/Liesmich.desktop\n"
                                            "##\n")
                                     .arg(t, w, m, m_root);
    QString registry;
    for (const RegistryLine &line : m_inf.registryLines)
        registry += line.line + QLatin1Char('\n');
    EXPECT_EQ(QString::fromUtf8(ReadFile(t + QStringLiteral("/Setup.log"))),
              expected + registry + QStringLiteral("##\n"));

    // The registration file and the registry values after substitution.
    EXPECT_EQ(ReadFile(t + QStringLiteral("/Orvel 97.reg")), ("REGEDIT4\n@=\"" + t + "/orvel %1\"\n").toUtf8());
    QSettings user(m_paths.userConfigDir + QStringLiteral("/KWZ/Orvel 97.conf"), QSettings::IniFormat);
    EXPECT_EQ(user.value(QStringLiteral("Settings/StandardView")).toInt(), 1);
    EXPECT_EQ(user.value(QStringLiteral("Settings/Name")).toString(), QStringLiteral("1"));
    SetupSettings settings(m_paths);
    EXPECT_TRUE(settings.IsAlreadyInstalled());
    EXPECT_EQ(
            settings.Value(RegistryRoot::LocalMachine, SetupSettings::kUninstallKey, QStringLiteral("UninstallString")),
            QVariant(w + QStringLiteral("/UninsKWZ /uninstall ") + t + QStringLiteral("/Setup.log")));
    EXPECT_EQ(settings.SharedCount(w + QStringLiteral("/shared.dat")), 1);
    EXPECT_EQ(settings.SharedCount(w + QStringLiteral("/UninsKWZ")), 1);
    EXPECT_EQ(settings.RecordedVersion(t + QStringLiteral("/orvel")), ProgramFileVersion());
    EXPECT_EQ(settings.RecordedVersion(t + QStringLiteral("/doc/liesmich.txt"))->toString(), QStringLiteral("1.0.0.0"));

    // The file type and the shortcut that opens it.
    const QString share = m_paths.classesDataDir;
    EXPECT_TRUE(ReadFile(share + QStringLiteral("/mime/packages/kwz-orvel-document.xml"))
                        .contains("<glob pattern=\"*.ovd\"/>"));
    const QByteArray handler = ReadFile(share + QStringLiteral("/applications/kwz-orvel-document.desktop"));
    EXPECT_TRUE(handler.contains("MimeType=application/x-orvel-document;")) << handler.constData();
    const QByteArray shortcut = ReadFile(m + QStringLiteral("/Orvel 97.desktop"));
    EXPECT_TRUE(shortcut.contains(("Exec=\"" + t + "/orvel\" %f\n").toUtf8())) << shortcut.constData();
    EXPECT_TRUE(shortcut.contains("MimeType=application/x-orvel-document;"));
    EXPECT_TRUE(shortcut.contains(("Path=" + t + "\n").toUtf8()));
    EXPECT_FALSE(ReadFile(m + QStringLiteral("/Liesmich.desktop")).contains("MimeType"));

    // Uninstalling leaves the root as it was (and the control unregistered).
    m_messages.clear();
    EXPECT_EQ(uninstall(t), UninstallResult::Complete);
    EXPECT_EQ(messageIds(), QList<int>{IDS_UNINSTALL_DONE});
    EXPECT_EQ(m_removalQuestions,
              (QStringList{QStringLiteral("UninsKWZ"), QStringLiteral("ctl.so"), QStringLiteral("shared.dat")}));
    EXPECT_EQ(ReadFile(m_controlLog), QByteArray("register\nunregister\n"));
    QStringList after = Tree(m_root);
    after.removeAll(QStringLiteral("control.log"));
    after.removeAll(QStringLiteral("media/Disk2.id")); // "inserted" by the prompt
    EXPECT_EQ(TreeChanges(m_before, after), QString());
}

TEST_F(SetupInstallTest, SharedFilesAreCountedAcrossInstallations)
{
    ASSERT_EQ(install(target("A")), InstallResult::Done);
    ASSERT_EQ(install(target("B")), InstallResult::Done);
    EXPECT_EQ(m_diskPrompts.size(), 1); // the marker of disk 2 is there the second time
    SetupSettings settings(m_paths);
    const QString shared = windows() + QStringLiteral("/shared.dat");
    EXPECT_EQ(settings.SharedCount(shared), 2);
    EXPECT_EQ(settings.SharedCount(windows() + QStringLiteral("/UninsKWZ")), 2);

    // The first uninstallation keeps what the second installation uses.
    EXPECT_EQ(uninstall(target("A")), UninstallResult::Complete);
    EXPECT_TRUE(m_removalQuestions.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(target("A")));
    EXPECT_TRUE(QFileInfo::exists(shared));
    EXPECT_TRUE(QFileInfo::exists(target("B") + QStringLiteral("/orvel")));
    EXPECT_EQ(settings.SharedCount(shared), 1);

    // The last one asks; a kept control stays registered with its count at 0.
    m_keep << QStringLiteral("ctl.so");
    EXPECT_EQ(uninstall(target("B")), UninstallResult::Complete);
    EXPECT_EQ(m_removalQuestions,
              (QStringList{QStringLiteral("UninsKWZ"), QStringLiteral("ctl.so"), QStringLiteral("shared.dat")}));
    EXPECT_FALSE(QFileInfo::exists(shared));
    EXPECT_TRUE(QFileInfo::exists(windows() + QStringLiteral("/ctl.so")));
    EXPECT_TRUE(settings.HasSharedCount(windows() + QStringLiteral("/ctl.so")));
    EXPECT_EQ(settings.SharedCount(windows() + QStringLiteral("/ctl.so")), 0);
    EXPECT_EQ(ReadFile(m_controlLog), QByteArray("register\nregister\n"));
    EXPECT_FALSE(QFileInfo::exists(windows() + QStringLiteral("/UninsKWZ")));
}

TEST_F(SetupInstallTest, NewerInstalledFileIsKeptUnlessOverwritten)
{
    setVersion("2.0.0.0");
    ASSERT_EQ(install(target("A")), InstallResult::Done);
    const QString shared = windows() + QStringLiteral("/shared.dat");
    WriteFile(m_source + QStringLiteral("/shared.dat"), "shared, older");
    setVersion("1.5.0.0");

    // Keeping: the file, its version and its count stay; the log omits it.
    ASSERT_EQ(install(target("B")), InstallResult::Done);
    ASSERT_EQ(m_conflicts.size(), 1); // the program's binaries carry the same version
    EXPECT_EQ(m_conflicts[0].path, shared);
    EXPECT_EQ(m_conflicts[0].installedVersion, QStringLiteral("2.0.0.0"));
    EXPECT_EQ(m_conflicts[0].newVersion, QStringLiteral("1.5.0.0"));
    EXPECT_NE(m_conflicts[0].installedDate, QStringLiteral("?"));
    EXPECT_EQ(ReadFile(shared), QByteArray("shared 1"));
    SetupSettings settings(m_paths);
    EXPECT_EQ(settings.SharedCount(shared), 1);
    EXPECT_FALSE(ReadFile(target("B") + QStringLiteral("/Setup.log")).contains("shared.dat"));

    // Overwriting installs the older file and counts it.
    m_overwrite = true;
    ASSERT_EQ(install(target("C")), InstallResult::Done);
    EXPECT_EQ(m_conflicts.size(), 2);
    EXPECT_EQ(ReadFile(shared), QByteArray("shared, older"));
    EXPECT_EQ(settings.SharedCount(shared), 2);
    EXPECT_EQ(settings.RecordedVersion(shared)->toString(), QStringLiteral("1.5.0.0"));
}

TEST_F(SetupInstallTest, DamagedCompressedFileStopsAndTheLogStillUninstalls)
{
    const QByteArray readme = ReadFile(m_source + QStringLiteral("/readme.tx_"));
    WriteFile(m_source + QStringLiteral("/readme.tx_"), readme.left(readme.size() - 3));
    EXPECT_EQ(install(target()), InstallResult::Failed);
    EXPECT_EQ(messageIds(), (QList<int>{IDS_FILE_NOT_INSTALLED, IDS_INSTALL_FAILED}));
    EXPECT_EQ(m_messages[0].argument, QStringLiteral("readme.tx_"));
    EXPECT_TRUE(QFileInfo::exists(target() + QStringLiteral("/orvel")));
    EXPECT_FALSE(QFileInfo::exists(target() + QStringLiteral("/doc/liesmich.txt")));
    // Nothing half-written is left beside the files.
    EXPECT_EQ(Tree(target() + QStringLiteral("/doc")), QStringList());

    m_messages.clear();
    EXPECT_EQ(uninstall(target()), UninstallResult::Complete);
    QStringList after = Tree(m_root);
    EXPECT_EQ(TreeChanges(m_before, after), QString());
}

TEST_F(SetupInstallTest, UsersFilesKeepTheTargetFolder)
{
    ASSERT_EQ(install(target()), InstallResult::Done);
    WriteFile(target() + QStringLiteral("/Adressen.ovd"), "ORVEL0");
    m_messages.clear();
    EXPECT_EQ(uninstall(target()), UninstallResult::Incomplete);
    EXPECT_EQ(messageIds(), (QList<int>{IDS_FOLDER_NOT_REMOVED, IDS_UNINSTALL_INCOMPLETE}));
    EXPECT_EQ(m_messages[0].argument, target());
    EXPECT_EQ(Tree(target()), QStringList{QStringLiteral("Adressen.ovd")});
}

// A link planted where Setup makes or made a folder never leads a copy or a
// removal outside the installation.
TEST_F(SetupInstallTest, PlantedLinksLeadNowhere)
{
    const QString outside = m_root + QStringLiteral("/outside");
    WriteFile(outside + QStringLiteral("/liesmich.txt"), "keep me");
    QDir().mkpath(target());
    ASSERT_TRUE(QFile::link(outside, target() + QStringLiteral("/doc")));
    EXPECT_EQ(install(target()), InstallResult::Failed);
    EXPECT_TRUE(messageIds().contains(IDS_FOLDER_NOT_CREATED)) << messageIds().size();
    EXPECT_EQ(ReadFile(outside + QStringLiteral("/liesmich.txt")), QByteArray("keep me"));
    QFile::remove(target() + QStringLiteral("/doc"));

    // Installed cleanly, then the folder Setup made is swapped for a link.
    m_messages.clear();
    ASSERT_EQ(install(target()), InstallResult::Done);
    ASSERT_TRUE(QDir(target() + QStringLiteral("/doc")).removeRecursively());
    ASSERT_TRUE(QFile::link(outside, target() + QStringLiteral("/doc")));
    EXPECT_EQ(uninstall(target()), UninstallResult::Incomplete);
    EXPECT_EQ(ReadFile(outside + QStringLiteral("/liesmich.txt")), QByteArray("keep me"));
    EXPECT_TRUE(messageIds().contains(IDS_FILE_NOT_REMOVED));
}

// The store's system folders made for the first of two installations go with
// the last uninstallation, whichever order they are removed in; the MIME
// cache made for the file type goes with them.
TEST_F(SetupInstallTest, SystemFoldersGoWithTheLastInstallation)
{
    ASSERT_EQ(install(target("A")), InstallResult::Done);
    const QString mime = m_paths.classesDataDir + QStringLiteral("/mime");
    if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()) {
        EXPECT_TRUE(QFileInfo::exists(mime + QStringLiteral("/mime.cache")));
    }
    ASSERT_EQ(install(target("B")), InstallResult::Done);
    EXPECT_EQ(uninstall(target("A")), UninstallResult::Complete);
    EXPECT_TRUE(QFileInfo::exists(m_paths.windowsFolder + QStringLiteral("/UninsKWZ")));
    EXPECT_EQ(uninstall(target("B")), UninstallResult::Complete);
    QStringList after = Tree(m_root);
    after.removeAll(QStringLiteral("control.log"));
    after.removeAll(QStringLiteral("media/Disk2.id"));
    EXPECT_EQ(TreeChanges(m_before, after), QString());
}

TEST_F(SetupInstallTest, DamagedLogRemovesNothing)
{
    ASSERT_EQ(install(target()), InstallResult::Done);
    const QString logPath = target() + QStringLiteral("/Setup.log");
    const QByteArray good = ReadFile(logPath);
    const QByteArray item = "Copied file :        " + target().toUtf8() + "/orvel\n";
    ASSERT_TRUE(good.contains(item));
    auto with = [&](const QByteArray &to) { return QByteArray(good).replace(item, to); };
    const QByteArray cases[] = {
            QByteArray(good).replace("** INSTALLATION LOG", "** INSTALLATION L0G"),
            with("Copied fiel :        " + target().toUtf8() + "/orvel\n"),
            with("Copied file :        orvel\n"),
            with("Copied file :        " + target().toUtf8() + "/../orvel\n"),
            with("Copied file :        /" + QByteArray(5000, 'a') + "\n"),
            with(QByteArray("Copied file :        /x\0y\n", 26)),
            QByteArray(),
    };
    for (const QByteArray &damaged : cases) {
        WriteFile(logPath, damaged);
        m_messages.clear();
        EXPECT_EQ(uninstall(target()), UninstallResult::LogRefused);
        EXPECT_EQ(messageIds(), QList<int>{IDS_LOG_MISSING});
    }
    QFile::remove(logPath);
    EXPECT_EQ(uninstall(target()), UninstallResult::LogRefused);
    EXPECT_TRUE(QFileInfo::exists(target() + QStringLiteral("/orvel")));
    EXPECT_TRUE(SetupSettings(m_paths).IsAlreadyInstalled());
}

TEST_F(SetupInstallTest, InterruptedLogIsUndoneUpToItsLastWholeLine)
{
    const QString t = target();
    WriteFile(t + QStringLiteral("/a"), "a");
    WriteFile(t + QStringLiteral("/b"), "b");
    WriteFile(t + QStringLiteral("/Setup.log"), "** INSTALLATION LOG - FILE IS NEEDED FOR UNINSTALL CAPABILITIES **\n"
                                                "Created dir :        "
                                                        + t.toUtf8()
                                                        + "\n"
                                                          "Copied file :        "
                                                        + t.toUtf8()
                                                        + "/Setup.log\n"
                                                          "Copied file :        "
                                                        + t.toUtf8()
                                                        + "/gone\n"
                                                          "Copied file :        "
                                                        + t.toUtf8()
                                                        + "/a\n"
                                                          "Copied file :        "
                                                        + t.toUtf8() + "/b");
    EXPECT_EQ(uninstall(t), UninstallResult::Incomplete);
    EXPECT_EQ(Tree(t), QStringList{QStringLiteral("b")});
    EXPECT_EQ(messageIds(), (QList<int>{IDS_FOLDER_NOT_REMOVED, IDS_UNINSTALL_INCOMPLETE}));
}

TEST_F(SetupInstallTest, SpaceCheckAddsBothTotalsOnOneDrive)
{
    SetupSettings settings(m_paths);
    InstallOptions options;
    options.sourceFolder = m_source;
    options.targetFolder = target();
    options.menuFolder = menu();
    {
        CSetupInstaller installer(m_inf, settings, options, {});
        const SpaceCheck check = installer.CheckSpace();
        EXPECT_EQ(check.programTotal, 5000 + 2000 + 100);
        EXPECT_EQ(check.sharedTotal, 300000 + 100 + 20000);
        EXPECT_TRUE(check.sameDrive);
        EXPECT_EQ(check.targetRequired, check.programTotal + check.sharedTotal);
        EXPECT_EQ(check.windowsRequired, check.targetRequired);
        EXPECT_GT(check.targetFree, 0);
        EXPECT_TRUE(check.enough());
    }
    m_inf.files[0].size = kMaxInfFileSize;
    CSetupInstaller installer(m_inf, settings, options, {});
    EXPECT_FALSE(installer.CheckSpace().enough());
    EXPECT_EQ(FormatMegabytes(1572864), QStringLiteral("1.50 MB"));
}

TEST_F(SetupInstallTest, FolderNameWithALineFeedIsRefused)
{
    EXPECT_EQ(install(target("x\nCopied file :        /etc/passwd")), InstallResult::Failed);
    EXPECT_EQ(messageIds(), (QList<int>{IDS_INVALID_PATH, IDS_INSTALL_FAILED}));
    EXPECT_EQ(TreeChanges(m_before, Tree(m_root)), QString());
}

TEST_F(SetupInstallTest, CancelledDiskPromptFails)
{
    InstallCallbacks c = callbacks();
    c.insertDisk = [](int, const QString &) { return false; };
    SetupSettings settings(m_paths);
    InstallOptions options{m_source, target(), menu(), {}, ProgramFileVersion()};
    CSetupInstaller installer(m_inf, settings, options, c);
    EXPECT_EQ(installer.Install(), InstallResult::Failed);
    EXPECT_EQ(messageIds(), QList<int>{IDS_INSTALL_FAILED});
    EXPECT_FALSE(QFileInfo::exists(windows() + QStringLiteral("/shared.dat")));
    EXPECT_EQ(uninstall(target()), UninstallResult::Complete);
}

} // namespace
} // namespace orvel::setup

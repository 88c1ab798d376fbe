// The built program: an unattended installation into a temporary root, the
// uninstaller it leaves behind, started as the uninstall key says.
#include "WizardTestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace orvel::setup {
namespace {

using test::ReadFile;
using test::Tree;
using test::TreeChanges;
using test::WriteFile;

class SetupProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_exe = qEnvironmentVariable("ORVEL_SETUP_EXE");
        if (m_exe.isEmpty())
            GTEST_SKIP() << "ORVEL_SETUP_EXE is not set";
        test::ScratchPaths(&m_root);
        test::MakeSkeleton(m_root);
        m_source = test::MakeDiskSet(m_root, QByteArray("#!/bin/sh\necho 'Orvel 97'\n"));
        // Both disks' markers: nobody answers a disk prompt.
        WriteFile(m_source + QStringLiteral("/Disk2.id"), "");
        m_before = Tree(m_root);
    }

    int run(const QStringList &arguments, const QString &program = QString())
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_root + QStringLiteral("/home"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root + QStringLiteral("/home/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_root + QStringLiteral("/home/.local/share"));
        env.remove(QStringLiteral("ORVEL_SETUP_SYSTEM_ROOT"));
        process.setProcessEnvironment(env);
        process.start(program.isEmpty() ? m_exe : program, arguments);
        if (!process.waitForFinished(60000))
            return -1;
        m_stderr = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString target() const { return m_root + QStringLiteral("/opt/Orvel 97"); }

    QString m_exe, m_root, m_source, m_stderr;
    QStringList m_before;
};

TEST_F(SetupProgramTest, UnattendedInstallAndUninstallLeaveTheRootAsItWas)
{
    ASSERT_EQ(
            run({QStringLiteral("--unattended"), QStringLiteral("--target"), target(), QStringLiteral("--menu-folder"),
                 QStringLiteral("Orvel 97"), QStringLiteral("--system-root"), m_root, m_source}),
            0)
            << m_stderr.toStdString();
    // The installed program runs.
    QProcess program;
    program.start(target() + QStringLiteral("/orvel"), {});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.readAllStandardOutput(), QByteArray("Orvel 97\n"));
    const QByteArray log = ReadFile(target() + QStringLiteral("/Setup.log"));
    EXPECT_TRUE(log.contains("Orvel 97.desktop\n")) << log.constData();

    // The uninstaller is the program itself, copied into the shared folder,
    // and the uninstall key holds its command line.
    const QString uninstaller = m_root + QStringLiteral("/usr/local/lib/KWZ/UninsKWZ");
    EXPECT_EQ(ReadFile(uninstaller), ReadFile(m_exe));
    EXPECT_TRUE(QFileInfo(uninstaller).isExecutable());
    const SetupSettings settings(SetupPaths::ForSystemRoot(m_root));
    EXPECT_EQ(
            settings.Value(RegistryRoot::LocalMachine, SetupSettings::kUninstallKey, QStringLiteral("UninstallString")),
            QVariant(uninstaller + QStringLiteral(" /uninstall ") + target() + QStringLiteral("/Setup.log")));

    // A second unattended run goes on past "already installed" (and into another folder).
    ASSERT_EQ(run({QStringLiteral("--unattended"), QStringLiteral("--target"), m_root + QStringLiteral("/opt/B"),
                   QStringLiteral("--menu-folder"), QStringLiteral("B"), QStringLiteral("--system-root"), m_root,
                   m_source}),
              0);
    EXPECT_TRUE(m_stderr.contains(QStringLiteral("Das Programm wurde schon installiert."))) << m_stderr.toStdString();

    // The log's path has a blank: the stored command line leaves it unquoted.
    const QStringList uninstall = QStringLiteral("/uninstall %1/Setup.log").arg(target()).split(QLatin1Char(' '));
    EXPECT_EQ(run(uninstall + QStringList{QStringLiteral("--unattended"), QStringLiteral("--system-root"), m_root},
                  uninstaller),
              0)
            << m_stderr.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target()));
    EXPECT_TRUE(QFileInfo::exists(uninstaller)); // still counted by the second installation
    EXPECT_EQ(run({QStringLiteral("/uninstall"), m_root + QStringLiteral("/opt/B/Setup.log"),
                   QStringLiteral("--unattended"), QStringLiteral("--system-root"), m_root},
                  uninstaller),
              0)
            << m_stderr.toStdString();
    EXPECT_EQ(TreeChanges(m_before, Tree(m_root)), QString());
}

TEST_F(SetupProgramTest, RefusedInputFailsWithoutWritingAnything)
{
    struct Case
    {
        QStringList arguments;
        int exitCode;
        QString message;
    };
    WriteFile(m_root + QStringLiteral("/bad/SETUP.INF"), "Orvel 97\nOrvel97\n##\n1:../../etc/passwd,x,x,1,p\n");
    const Case cases[] = {
            {{QStringLiteral("--unattended"), QStringLiteral("--system-root"), m_root, m_root + QStringLiteral("/bad")},
             1,
             QStringLiteral("Das Programm konnte nicht installiert werden.")},
            {{QStringLiteral("--unattended"), QStringLiteral("--system-root"), m_root,
              m_root + QStringLiteral("/none")},
             1,
             QStringLiteral("Das Programm konnte nicht installiert werden.")},
            {{QStringLiteral("--unattended"), QStringLiteral("--menu-folder"), QStringLiteral("../x"),
              QStringLiteral("--system-root"), m_root, m_source},
             1,
             QStringLiteral("Der Pfad ist ungültig!")},
            {{QStringLiteral("/uninstall"), m_root + QStringLiteral("/opt/none/Setup.log"),
              QStringLiteral("--unattended"), QStringLiteral("--system-root"), m_root},
             1,
             QStringLiteral("Logdatei Setup.log nicht gefunden")},
            {{QStringLiteral("--target"), QStringLiteral("/x")}, 2, QStringLiteral("need --unattended")},
    };
    const QStringList before = Tree(m_root);
    for (const Case &c : cases) {
        EXPECT_EQ(run(c.arguments), c.exitCode) << c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(m_stderr.contains(c.message)) << m_stderr.toStdString();
        EXPECT_EQ(TreeChanges(before, Tree(m_root)), QString());
    }
}

// A second start while the wizard runs brings that one forward and ends.
TEST_F(SetupProgramTest, SecondStartActivatesTheRunningWizard)
{
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    first.setProcessEnvironment(env);
    first.start(m_exe, {QStringLiteral("--system-root"), m_root, m_source});
    ASSERT_TRUE(first.waitForStarted());
    // Time for the first one to put up its wizard (and to listen).
    ASSERT_FALSE(first.waitForFinished(3000)) << first.readAllStandardError().constData();
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(m_exe, {QStringLiteral("--system-root"), m_root, m_source});
    const bool ended = second.waitForFinished(10000);
    if (!ended)
        second.kill();
    EXPECT_TRUE(ended);
    const int code = ended ? second.exitCode() : -1;
    EXPECT_EQ(code, 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
    EXPECT_EQ(TreeChanges(m_before, Tree(m_root)), QString());
}

// The disk set "make dist" lays out from this build, when it is there:
// installed, the installed orvel-cli started, uninstalled without a trace.
TEST_F(SetupProgramTest, DiskSetOfTheBuildInstallsTheRealProgram)
{
    const QString dist = qEnvironmentVariable("ORVEL_SETUP_DIST");
    if (dist.isEmpty() || !QFileInfo::exists(dist + QStringLiteral("/SETUP.INF")))
        GTEST_SKIP() << "no disk set: build the target dist first";
    const QStringList before = Tree(m_root);
    ASSERT_EQ(run({QStringLiteral("--unattended"), QStringLiteral("--target"), target(),
                   QStringLiteral("--system-root"), m_root},
                  dist + QStringLiteral("/Setup")),
              0)
            << m_stderr.toStdString();
    QProcess cli;
    cli.start(target() + QStringLiteral("/orvel-cli"), {QStringLiteral("--version")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_TRUE(cli.readAllStandardOutput().startsWith("orvel-cli ")) << "orvel-cli --version";
    EXPECT_TRUE(QFileInfo(target() + QStringLiteral("/orvel")).isExecutable());
    EXPECT_TRUE(QFileInfo::exists(target() + QStringLiteral("/tips.txt")));

    EXPECT_EQ(run({QStringLiteral("/uninstall"), target() + QStringLiteral("/Setup.log"),
                   QStringLiteral("--unattended"), QStringLiteral("--system-root"), m_root},
                  m_root + QStringLiteral("/usr/local/lib/KWZ/UninsKWZ")),
              0)
            << m_stderr.toStdString();
    EXPECT_EQ(TreeChanges(before, Tree(m_root)), QString());
}

} // namespace
} // namespace orvel::setup

#include "document/DocumentTestSupport.h"
#include "platform/FileLock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

using namespace orvel;
using namespace orvel::test;

namespace {

// Starts of the real program, each test with its own configuration and
// runtime folders.
class SingleInstanceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        program = qEnvironmentVariable("ORVEL_EXE");
        if (program.isEmpty())
            program = QCoreApplication::applicationDirPath() + QStringLiteral("/../app/orvel");
        if (!QFileInfo(program).isExecutable())
            GTEST_SKIP() << "the orvel program is not built";
        dir = MakeScratchDir();
        QDir().mkpath(dir + QStringLiteral("/run"));
        QFile::setPermissions(dir + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir().mkpath(dir + QStringLiteral("/config/KWZ"));
        QDir().mkpath(dir + QStringLiteral("/tmp"));
        // No "New" at start: a document in the window can only come from a file.
        WriteAll(dir + QStringLiteral("/config/KWZ/Orvel 97.conf"), "[Settings]\nStartWindow=0\n");
        socket = dir + QStringLiteral("/run/Orvel97CLASS");
    }
    void TearDown() override
    {
        for (auto &process : processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    QProcess &launch(const QStringList &arguments)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir + QStringLiteral("/run"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
        env.insert(QStringLiteral("TMPDIR"), dir + QStringLiteral("/tmp"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(program, arguments);
        EXPECT_TRUE(process->waitForStarted(10000));
        processes.push_back(std::move(process));
        return *processes.back();
    }

    template<typename Condition>
    static bool waitFor(Condition condition, int ms = 15000)
    {
        QDeadlineTimer deadline(ms);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(20);
        }
        return true;
    }

    QString writeDatabase(const QString &name)
    {
        ScriptedServices scripted;
        ScopedServices scope(&scripted);
        COrvelDoc doc;
        AddField(doc, "Name");
        AddRecord(doc, {"Anna"});
        const QString file = dir + u'/' + name;
        EXPECT_TRUE(doc.Save(file, 1, true));
        return file;
    }

    QString program;
    QString dir;
    QString socket;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(SingleInstanceTest, SecondStartHandsItsFileToTheFirstAndEnds)
{
    QProcess &first = launch({});
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(socket); })) << "the first start never listened";

    // The second start gets the name split at its blank, as from a shell.
    const QString file = writeDatabase(QStringLiteral("Hand über.ovd"));
    QProcess &second = launch({dir + QStringLiteral("/Hand"), QStringLiteral("über.ovd")});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    // The first program opened it: it holds the file's lock.
    EXPECT_TRUE(waitFor([&] { return FileLock::IsHeldByAnother(file); }));
    EXPECT_EQ(first.state(), QProcess::Running);

    // A start without a file only brings the first to the front.
    QProcess &third = launch({});
    ASSERT_TRUE(third.waitForFinished(15000));
    EXPECT_EQ(third.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // Ending normally removes the socket and lets go of the file.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(15000));
    EXPECT_FALSE(QFileInfo::exists(socket));
    EXPECT_FALSE(FileLock::IsHeldByAnother(file));
}

TEST_F(SingleInstanceTest, SocketOfAProgramThatDiedIsTakenOver)
{
    QProcess &dead = launch({});
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(socket); }));
    dead.kill();
    ASSERT_TRUE(dead.waitForFinished(15000));
    ASSERT_TRUE(QFileInfo::exists(socket));

    const QString file = writeDatabase(QStringLiteral("b.ovd"));
    QProcess &next = launch({file});
    EXPECT_TRUE(waitFor([&] { return FileLock::IsHeldByAnother(file); }));
    EXPECT_EQ(next.state(), QProcess::Running);
}

} // namespace

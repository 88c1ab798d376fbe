// "Lumodisk!": the CD player window over the simulated drive.
#include "AppTestSupport.h"

#include "platform/Mci.h"
#include "platform/SimulatedCdDrive.h"
#include "resources/CommandIds.h"
#include "tools/CdPlayerDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvel;
using namespace orvel::test;

namespace {

// The three-track disc: 03:47:11, 04:34:22 and 03:21:33.
const QString kStopped = QStringLiteral("3 - 11:42:66");

class CdPlayerTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        m_savedChoice = qgetenv("ORVEL_CDAUDIO");
        CdPlayerDialog::SetReadyWaitLimit(300);
    }
    void TearDown() override
    {
        AppTest::TearDown();
        MciSendString(QStringLiteral("close all"), nullptr);
        qputenv("ORVEL_CDAUDIO", m_savedChoice);
        SimulatedCdDrive::ResetProcessDrive();
        CdPlayerDialog::SetReadyWaitLimit(15000);
    }

    // The program with a simulated drive as the environment describes it,
    // and its player open.
    CdPlayerDialog &open(const char *choice = "simulated:3")
    {
        qputenv("ORVEL_CDAUDIO", choice);
        SimulatedCdDrive::ResetProcessDrive();
        drive = SimulatedCdDrive::ProcessDrive();
        if (drive)
            drive->SetClock([this] { return now; });
        start();
        router().Execute(ID_CD_PLAYER);
        CdPlayerDialog *player = CdPlayerDialog::Current();
        EXPECT_TRUE(player);
        return *player;
    }

    void click(CdPlayerDialog &player, const char *button)
    {
        auto *widget = player.findChild<QPushButton *>(QString::fromLatin1(button));
        ASSERT_TRUE(widget) << button;
        widget->click();
    }

    // Lets the drive play on and the player ask for the position.
    void play(int64_t milliseconds)
    {
        now += milliseconds;
        QTest::qWait(CdPlayerDialog::kPollInterval + 100);
    }

    int64_t now = 0;
    std::shared_ptr<SimulatedCdDrive> drive;

private:
    QByteArray m_savedChoice;
};

} // namespace

TEST_F(CdPlayerTest, TheCommandOpensOnePlayerThatOffCloses)
{
    CdPlayerDialog &player = open();
    EXPECT_TRUE(player.isVisible());
    EXPECT_FALSE(player.isModal());
    EXPECT_EQ(player.windowTitle(), QStringLiteral("Lumodisk! - Version 1.1"));
    QStringList texts;
    for (const char *name :
         {"playButton", "pauseButton", "stopButton", "backButton", "forwardButton", "ejectButton", "offButton"})
        texts << player.findChild<QPushButton *>(QString::fromLatin1(name))->text();
    EXPECT_EQ(texts, QStringList({"&PLAY", "P&AUSE", "&STOP", "&BKWD", "&FRWD", "&EJECT", "&OFF"}));
    EXPECT_TRUE(player.findChild<QPushButton *>(QStringLiteral("playButton"))->isDefault());
    EXPECT_EQ(player.StatusText(), kStopped);
    EXPECT_FALSE(player.IsPolling());

    // Asking again only brings the one player to the front.
    router().Execute(ID_CD_PLAYER);
    EXPECT_EQ(CdPlayerDialog::Current(), &player);

    QPointer<CdPlayerDialog> watched(&player);
    click(player, "offButton");
    EXPECT_FALSE(CdPlayerDialog::Current());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(watched);
    // The device was closed with the window.
    EXPECT_EQ(MciSendString(QStringLiteral("status cdaudio mode"), nullptr), MCIERR_INVALID_DEVICE_NAME);

    router().Execute(ID_CD_PLAYER);
    ASSERT_TRUE(CdPlayerDialog::Current());
    // Escape is "&OFF" as well.
    QTest::keyClick(CdPlayerDialog::Current(), Qt::Key_Escape);
    EXPECT_FALSE(CdPlayerDialog::Current());
}

TEST_F(CdPlayerTest, ButtonsPlayAndTheStatusFollowsThePosition)
{
    CdPlayerDialog &player = open();
    struct Step
    {
        const char *button; // null: only the time passes
        int64_t milliseconds;
        const char *status;
        bool polling;
    };
    const Step steps[] = {
            {"playButton", 0, "01:00:00", true},
            {nullptr, 61500, "01:01:01", true},
            {"forwardButton", 0, "02:00:00", true},
            {nullptr, 300000, "03:00:25", true}, // track 2 ended after 4:34
            {"backButton", 0, "02:00:00", true},
            {"backButton", 0, "01:00:00", true},
            // Back on track 1 starts it again.
            {"backButton", 2000, "01:00:02", true},
            {"backButton", 0, "01:00:00", true},
            {"pauseButton", 3000, "01:00:00", true},
            {nullptr, 3000, "01:00:00", true},
            {"playButton", 1000, "01:00:01", true},
            {"forwardButton", 0, "02:00:00", true},
            {"forwardButton", 0, "03:00:00", true},
            // Beyond the last track: the drive refuses, the disc plays on.
            {"forwardButton", 1000, "03:00:01", true},
            {"stopButton", 0, "3 - 11:42:66", false},
            {nullptr, 1000, "3 - 11:42:66", false},
            // Stopped means back to the first track.
            {"playButton", 0, "01:00:00", true},
    };
    for (const Step &step : steps) {
        if (step.button)
            click(player, step.button);
        play(step.milliseconds);
        EXPECT_EQ(player.StatusText(), QString::fromLatin1(step.status)) << (step.button ? step.button : "time");
        EXPECT_EQ(player.IsPolling(), step.polling) << (step.button ? step.button : "time");
    }
}

TEST_F(CdPlayerTest, EjectOpensAndClosesTheDoorAndPlayClosesIt)
{
    CdPlayerDialog &player = open();
    click(player, "playButton");
    click(player, "ejectButton");
    EXPECT_TRUE(drive->IsTrayOpen());
    EXPECT_EQ(player.StatusText(), QString());
    EXPECT_FALSE(player.IsPolling());

    click(player, "ejectButton");
    EXPECT_FALSE(drive->IsTrayOpen());
    EXPECT_EQ(player.StatusText(), kStopped);

    click(player, "ejectButton");
    click(player, "playButton");
    EXPECT_FALSE(drive->IsTrayOpen());
    EXPECT_EQ(player.StatusText(), QStringLiteral("01:00:00"));
    EXPECT_TRUE(player.IsPolling());
}

TEST_F(CdPlayerTest, ADriveThatCannotEjectIgnoresEject)
{
    CdPlayerDialog &player = open("simulated:3,noeject");
    click(player, "playButton");
    click(player, "ejectButton");
    EXPECT_FALSE(drive->IsTrayOpen());
    EXPECT_EQ(player.StatusText(), QStringLiteral("01:00:00"));
    EXPECT_TRUE(player.IsPolling());
}

TEST_F(CdPlayerTest, ADiscThatAlreadyPlaysShowsItsPositionAtOnce)
{
    CdPlayerDialog &player = open("simulated:3,playing");
    EXPECT_EQ(player.StatusText(), QStringLiteral("01:00:00"));
    EXPECT_TRUE(player.IsPolling());
    play(5000);
    EXPECT_EQ(player.StatusText(), QStringLiteral("01:00:05"));
}

TEST_F(CdPlayerTest, ADriveThatGoesAwayShowsADashAndIsNoLongerAsked)
{
    CdPlayerDialog &player = open();
    click(player, "playButton");
    play(2000);
    EXPECT_EQ(player.StatusText(), QStringLiteral("01:00:02"));
    drive->Disconnect();
    play(0);
    EXPECT_EQ(player.StatusText(), QStringLiteral("-"));
    EXPECT_FALSE(player.IsPolling());
}

TEST_F(CdPlayerTest, WithoutADiscNothingPlaysAndTheDoorWaitEnds)
{
    CdPlayerDialog &player = open("simulated:0");
    EXPECT_EQ(player.StatusText(), QStringLiteral("-"));
    for (const char *button : {"playButton", "forwardButton", "backButton", "pauseButton", "stopButton"}) {
        click(player, button);
        EXPECT_EQ(player.StatusText(), QStringLiteral("-")) << button;
        EXPECT_FALSE(player.IsPolling()) << button;
    }
    click(player, "ejectButton");
    EXPECT_TRUE(drive->IsTrayOpen());
    // The tray closes on nothing: the wait for a disc gives up.
    click(player, "ejectButton");
    EXPECT_FALSE(drive->IsTrayOpen());
    EXPECT_EQ(player.StatusText(), QStringLiteral("-"));
}

TEST_F(CdPlayerTest, WithoutAnyDriveThePlayerShowsADash)
{
    // The machine has no drive the program can find.
    CdPlayerDialog &player = open("simulated:none");
    ASSERT_FALSE(drive);
    EXPECT_EQ(player.StatusText(), QStringLiteral("-"));
    click(player, "playButton");
    click(player, "ejectButton");
    EXPECT_EQ(player.StatusText(), QStringLiteral("-"));
    EXPECT_FALSE(player.IsPolling());
}

TEST_F(CdPlayerTest, ADevicePathThatIsNoDriveGivesADash)
{
    // The player reaches the machine's drives through libcdio.
    CdPlayerDialog &player = open("/nonexistent/sr9");
    EXPECT_EQ(player.StatusText(), QStringLiteral("-"));
    EXPECT_EQ(MciSendString(QStringLiteral("status cdaudio mode"), nullptr), MCIERR_INVALID_DEVICE_NAME);
    click(player, "playButton");
    EXPECT_EQ(player.StatusText(), QStringLiteral("-"));
    EXPECT_FALSE(player.IsPolling());
}

TEST_F(CdPlayerTest, Screenshots)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "no ORVEL_SCREENSHOT_DIR";
    CdPlayerDialog &player = open("simulated:12");
    QCoreApplication::processEvents();
    EXPECT_TRUE(player.grab().save(shots + QStringLiteral("/orvel-cd-stopped.png")));
    click(player, "forwardButton");
    play(85000);
    EXPECT_TRUE(player.grab().save(shots + QStringLiteral("/orvel-cd-playing.png")));
}

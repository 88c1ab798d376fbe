#include "platform/Mci.h"
#include "platform/SimulatedCdDrive.h"

#include <gtest/gtest.h>

#include <set>

using namespace orvel;

namespace {

// A simulated drive whose clock the test moves, behind its own interface.
class MciTest : public testing::Test
{
protected:
    void SetUp() override { use(SimulatedCdDrive::Options{3}); }

    void use(const SimulatedCdDrive::Options &options)
    {
        drive = std::make_shared<SimulatedCdDrive>(options);
        drive->SetClock([this] { return now; });
    }

    // The reply, or "#<code>" after an error (whose reply must be empty).
    QString send(const QString &command)
    {
        QString reply = QStringLiteral("stale");
        const int error = mci.SendString(command, &reply);
        if (error == 0)
            return reply;
        EXPECT_TRUE(reply.isEmpty()) << qPrintable(command);
        return u'#' + QString::number(error);
    }

    void expectReplies(const std::vector<std::pair<const char *, const char *>> &steps)
    {
        for (const auto &[command, expected] : steps)
            EXPECT_EQ(send(QString::fromUtf8(command)), QString::fromUtf8(expected)) << command;
    }

    int64_t now = 0;
    std::shared_ptr<SimulatedCdDrive> drive;
    MciSystem mci{[this] { return std::shared_ptr<CdDrive>(drive); }};
};

} // namespace

// Tracks of the three-track disc: 03:47:11, 04:34:22 and 03:21:33, the
// first one starting at 00:02:00.
TEST_F(MciTest, StatusOfAStoppedDisc)
{
    expectReplies({
            {"open cdaudio shareable", "1"},
            {"status cdaudio mode", "stopped"},
            {"STATUS CDAUDIO MODE", "stopped"},
            {"status cdaudio ready", "true"},
            {"status cdaudio media present", "true"},
            {"status cdaudio number of tracks", "3"},
            {"status cdaudio time format", "msf"},
            {"status cdaudio length", "11:42:66"},
            {"status cdaudio length track 2", "04:34:22"},
            {"status cdaudio position", "00:02:00"},
            {"status cdaudio start position", "00:02:00"},
            {"status cdaudio current track", "1"},
            {"status cdaudio type track 3", "audio"},
            {"capability cdaudio can eject", "true"},
            {"capability cdaudio can play", "true"},
            {"capability cdaudio can record", "false"},
            {"capability cdaudio device type", "cdaudio"},
            {"info cdaudio product", "CD-Audio"},
            {"set cdaudio time format tmsf", ""},
            {"status cdaudio time format", "tmsf"},
            {"status cdaudio position", "01:00:00:00"},
            {"status cdaudio position track 3", "03:00:00:00"},
            {"status cdaudio length", "11:42:66"},
            {"set cdaudio time format ms", ""},
            {"status cdaudio time format", "milliseconds"},
            // Track 2 starts at frame 150 + 17036.
            {"status cdaudio position track 2", "229146"},
            {"status cdaudio length track 1", "227146"},
    });
}

TEST_F(MciTest, PlayPauseSeekAndStopFollowTheClock)
{
    expectReplies({{"open cdaudio shareable", "1"}, {"set cdaudio time format tmsf", ""}, {"play cdaudio", ""}});
    now += 61500; // 4612 frames and a half
    expectReplies({
            {"status cdaudio mode", "playing"},
            {"status cdaudio position", "01:01:01:37"},
            {"status cdaudio current track", "1"},
            {"play cdaudio from 2", ""},
            {"status cdaudio position", "02:00:00:00"},
            {"status cdaudio current track", "2"},
    });
    now += 10000;
    expectReplies({{"pause cdaudio", ""}, {"status cdaudio mode", "paused"}});
    now += 60000;
    expectReplies({
            {"status cdaudio position", "02:00:10:00"},
            {"play cdaudio", ""},
            {"status cdaudio mode", "playing"},
    });
    now += 1000;
    expectReplies({
            {"status cdaudio position", "02:00:11:00"},
            {"seek cdaudio to 1", ""},
            {"status cdaudio mode", "stopped"},
            {"status cdaudio position", "01:00:00:00"},
            {"stop cdaudio", ""},
            {"set cdaudio time format msf", ""},
            {"play cdaudio from 5:00 to 5:02", ""},
    });
    now += 5000;
    // The play ended where it was told to.
    expectReplies({{"status cdaudio mode", "stopped"}, {"status cdaudio position", "05:02:00"}});
    expectReplies({{"seek cdaudio to end", ""}, {"status cdaudio position", "11:44:66"}, {"play cdaudio", ""}});
    // At the end of the disc, play starts again at its beginning.
    expectReplies({{"status cdaudio position", "00:02:00"}, {"status cdaudio mode", "playing"}});
    now += 20 * 60 * 1000;
    expectReplies({{"set cdaudio time format tmsf", ""}, {"status cdaudio position", "03:03:21:33"}});
}

TEST_F(MciTest, CommandsThatFailAnswerWithTheirErrorCode)
{
    expectReplies({
            {"status cdaudio mode", "#263"},
            {"", "#267"},
            {"   ", "#267"},
            {"frobnicate cdaudio", "#261"},
            {"play", "#292"},
            {"open waveaudio", "#263"},
            {"open \"cdaudio", "#294"},
            {"open cdaudio shareable", "1"},
            {"open cdaudio", "#265"},
            {"play waveaudio", "#263"},
            {"status cdaudio", "#273"},
            {"status cdaudio colour", "#259"},
            {"status cdaudio length track 9", "#282"},
            {"status cdaudio length track x", "#270"},
            {"set cdaudio time format frames", "#293"},
            {"set cdaudio door ajar", "#259"},
            {"seek cdaudio to x", "#270"},
            {"seek cdaudio", "#273"},
            {"play cdaudio from", "#273"},
            {"play cdaudio backwards", "#259"},
            {"play cdaudio from 99", "#282"},
            {"set cdaudio time format tmsf", ""},
            // Forward from the last track names a track the disc lacks.
            {"play cdaudio from 4", "#282"},
            {"play cdaudio from 2 to 1", "#282"},
            {"status cdaudio mode", "stopped"},
            {"close cdaudio", ""},
            {"close cdaudio", "#263"},
    });
    std::set<QString> texts;
    for (const int error : {259, 261, 262, 263, 265, 267, 270, 273, 274, 276, 282, 292, 293, 294, 306}) {
        const QString text = MciSystem::ErrorString(error);
        EXPECT_FALSE(text.isEmpty());
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 15u);
    EXPECT_EQ(MciSystem::ErrorString(999), QStringLiteral("Unbekannter Fehler (999)."));
}

TEST_F(MciTest, TheDoorOpensAndClosesOnlyOnADriveThatEjects)
{
    expectReplies({
            {"open cdaudio alias cd notify", "1"},
            {"play cd", ""},
            {"set cd door open", ""},
            {"status cd mode", "open"},
            {"status cd ready", "false"},
            {"status cd number of tracks", "#276"},
            {"status cd position", "#276"},
            {"play cd", "#276"},
            {"seek cd to 1", "#276"},
            {"stop cd", "#276"},
            {"set cd door closed", ""},
            {"status cd ready", "true"},
            {"status cd mode", "stopped"},
            {"status cd position", "00:02:00"},
            {"close all", ""},
    });
    use({3, false});
    expectReplies({
            {"open cdaudio", "1"},
            {"capability cdaudio can eject", "false"},
            {"set cdaudio door open", "#274"},
            {"status cdaudio mode", "stopped"},
    });
}

TEST_F(MciTest, ADriveWithoutADiscIsNotReady)
{
    use({0});
    expectReplies({
            {"open cdaudio shareable", "1"},
            {"status cdaudio mode", "not ready"},
            {"status cdaudio ready", "false"},
            {"status cdaudio number of tracks", "#276"},
            {"play cdaudio", "#276"},
    });
    drive->InsertDisc(2);
    expectReplies({{"status cdaudio ready", "true"}, {"status cdaudio number of tracks", "2"}});
}

TEST_F(MciTest, ADriveThatGoesAwayAnswersWithAHardwareError)
{
    expectReplies({{"open cdaudio", "1"}, {"play cdaudio", ""}});
    drive->Disconnect();
    expectReplies({
            {"status cdaudio position", "#262"},
            {"status cdaudio mode", "#262"},
            {"status cdaudio ready", "#262"},
            {"close cdaudio", ""},
    });
}

TEST_F(MciTest, TheDiscPlaysOnWhenTheDeviceIsClosedAndReopened)
{
    use({4, true, false, true});
    expectReplies({{"open cdaudio shareable", "1"}, {"status cdaudio mode", "playing"}, {"close cdaudio", ""}});
    now += 2000;
    expectReplies({
            {"open cdaudio shareable", "1"},
            {"set cdaudio time format tmsf", ""},
            {"status cdaudio position", "01:00:02:00"},
    });
}

TEST(MciSystemTest, NoDriveMeansTheDeviceCannotBeOpened)
{
    MciSystem mci([] { return nullptr; });
    EXPECT_EQ(mci.SendString(QStringLiteral("open cdaudio shareable"), nullptr), MCIERR_DEVICE_NOT_INSTALLED);
    EXPECT_EQ(mci.SendString(QStringLiteral("play cdaudio"), nullptr), MCIERR_INVALID_DEVICE_NAME);
}

TEST(SimulatedCdDriveTest, TheEnvironmentDescribesTheDrive)
{
    struct Case
    {
        const char *text;
        std::optional<SimulatedCdDrive::Options> options;
    };
    const Case cases[] = {
            {"12", SimulatedCdDrive::Options{12}},
            {" 0 ", SimulatedCdDrive::Options{0}},
            {"3,noeject,open,playing", SimulatedCdDrive::Options{3, false, true, true}},
            {"3, OPEN", SimulatedCdDrive::Options{3, true, true}},
            {"", std::nullopt},
            {"x", std::nullopt},
            {"100", std::nullopt},
            {"-1", std::nullopt},
            {"3,loud", std::nullopt},
    };
    for (const Case &c : cases) {
        const auto parsed = SimulatedCdDrive::ParseOptions(QString::fromUtf8(c.text));
        ASSERT_EQ(parsed.has_value(), c.options.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(parsed->tracks, c.options->tracks) << c.text;
            EXPECT_EQ(parsed->canEject, c.options->canEject) << c.text;
            EXPECT_EQ(parsed->trayOpen, c.options->trayOpen) << c.text;
            EXPECT_EQ(parsed->playing, c.options->playing) << c.text;
        }
    }

    const QByteArray saved = qgetenv("ORVEL_CDAUDIO");
    qputenv("ORVEL_CDAUDIO", "simulated:5");
    SimulatedCdDrive::ResetProcessDrive();
    const std::shared_ptr<CdDrive> drive = OpenConfiguredCdDrive();
    ASSERT_TRUE(drive);
    // One drive per process, as long as the choice stays.
    EXPECT_EQ(drive, OpenConfiguredCdDrive());
    CdToc toc;
    ASSERT_TRUE(drive->ReadToc(toc));
    EXPECT_EQ(toc.tracks.size(), 5u);
    qputenv("ORVEL_CDAUDIO", "simulated:many");
    EXPECT_FALSE(OpenConfiguredCdDrive());
    // Without the machine's drive registered there is nothing else.
    qputenv("ORVEL_CDAUDIO", "/dev/sr9");
    EXPECT_FALSE(OpenConfiguredCdDrive());
    qputenv("ORVEL_CDAUDIO", saved);
    SimulatedCdDrive::ResetProcessDrive();
}

#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace orvel {

// Addresses on an audio CD are counted in frames (75 per second) from
// 00:00:00, as minute:second:frame addresses are; the first track of a disc
// usually starts at 00:02:00, frame 150.
constexpr int kCdFramesPerSecond = 75;
constexpr int kCdFramesPerMinute = 60 * kCdFramesPerSecond;

struct CdTrack
{
    int number = 0;
    int start = 0; // first frame
    bool audio = true;
};

// The table of contents: the tracks in order and the frame where the last
// one ends (the lead-out).
struct CdToc
{
    std::vector<CdTrack> tracks;
    int leadOut = 0;
};

enum class CdAudioStatus {
    Idle, // stopped, finished or never started
    Playing,
    Paused,
};

// What the drive says about the audio it plays: the status and, when the
// drive knows it, the frame it is at (-1 when not).
struct CdSubchannel
{
    CdAudioStatus status = CdAudioStatus::Idle;
    int position = -1;
};

enum class CdTray { Closed, Open };

// One CD drive as the command-string layer drives it. Every operation
// answers false when the drive does not do what was asked (no disc, a tray
// that is open, a drive that went away).
class CdDrive
{
public:
    virtual ~CdDrive() = default;

    virtual bool CanEject() = 0;
    // False when the drive does not answer at all.
    virtual bool ReadTray(CdTray &tray) = 0;
    // False when there is no disc that can be read.
    virtual bool ReadToc(CdToc &toc) = 0;
    // Plays from the frame start up to (not including) the frame end.
    virtual bool PlayMsf(int start, int end) = 0;
    virtual bool Pause() = 0;
    virtual bool Resume() = 0;
    virtual bool Stop() = 0;
    // False when the drive does not answer (it was unplugged, say).
    virtual bool ReadSubchannel(CdSubchannel &subchannel) = 0;
    virtual bool OpenTray() = 0;
    virtual bool CloseTray() = 0;
};

// Makes the drive of the machine: the device path, or the default drive
// when the path is empty; null when there is none.
using CdDriveFactory = std::function<std::shared_ptr<CdDrive>(const QString &device)>;

// The program registers the machine's drive; without one (orvel-cli,
// tests) only the simulated drive exists.
void SetSystemCdDriveFactory(CdDriveFactory factory);

// The drive that "cdaudio" means: the environment variable ORVEL_CDAUDIO
// chooses a simulated drive ("simulated:<tracks>[,options]", see
// SimulatedCdDrive) or a device path; unset, the machine's default drive.
// Null when there is no such drive.
std::shared_ptr<CdDrive> OpenConfiguredCdDrive();

} // namespace orvel

#pragma once

#include "platform/CdDrive.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace orvel {

// A CD drive without hardware, for tests and machines without a drive. Its
// disc has the given number of audio tracks of fixed, differing lengths;
// while it plays, its position follows a millisecond clock that tests can
// drive. The environment chooses it with
//   ORVEL_CDAUDIO=simulated:<tracks>[,noeject][,open][,playing]
// (noeject: a drive that cannot eject; open: the tray starts open; playing:
// another program already plays the disc from track 1). Zero tracks is a
// closed drive without a disc.
class SimulatedCdDrive : public CdDrive
{
public:
    using MsClock = std::function<int64_t()>;

    struct Options
    {
        int tracks = 0;
        bool canEject = true;
        bool trayOpen = false;
        bool playing = false;
    };

    explicit SimulatedCdDrive(const Options &options);

    // The options of a description after "simulated:", e.g. "12,noeject";
    // nothing when it cannot be read.
    static std::optional<Options> ParseOptions(const QString &text);

    // The simulated drive of this process, made from ORVEL_CDAUDIO when first
    // asked for. It lives as long as the process, as a drive does, so that a
    // disc plays on after the device was closed. Null when the environment
    // does not choose a simulated drive.
    static std::shared_ptr<SimulatedCdDrive> ProcessDrive();
    // Forgets the process's drive; the next use makes a new one from the
    // environment (tests).
    static void ResetProcessDrive();

    // The length of track n (1-based) in frames: every track differs.
    static int TrackLength(int n);

    // Clocks: steady time by default.
    void SetClock(MsClock clock);
    // The drive stops answering, as an unplugged drive does.
    void Disconnect() { m_connected = false; }
    // Another disc: the tray closes on a disc with this many tracks.
    void InsertDisc(int tracks);

    // What the drive is doing, for tests.
    bool IsTrayOpen() const { return m_trayOpen; }
    int CurrentFrame();

    bool CanEject() override;
    bool ReadTray(CdTray &tray) override;
    bool ReadToc(CdToc &toc) override;
    bool PlayMsf(int start, int end) override;
    bool Pause() override;
    bool Resume() override;
    bool Stop() override;
    bool ReadSubchannel(CdSubchannel &subchannel) override;
    bool OpenTray() override;
    bool CloseTray() override;

private:
    bool hasDisc() const { return m_connected && !m_trayOpen && m_tracks > 0; }
    // Moves the play position on to the clock's time; a play that reached
    // its end is over.
    void advance();

    MsClock m_clock;
    int m_tracks = 0;
    bool m_canEject = true;
    bool m_trayOpen = false;
    bool m_connected = true;
    CdAudioStatus m_status = CdAudioStatus::Idle;
    int m_position = -1;
    int m_end = 0;
    // The clock when m_position was last brought up to date.
    int64_t m_since = 0;
};

} // namespace orvel

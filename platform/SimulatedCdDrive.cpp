#include "platform/SimulatedCdDrive.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>

namespace orvel {

namespace {

// The first track starts two seconds in, as on a pressed disc.
constexpr int kFirstTrackStart = 2 * kCdFramesPerSecond;
constexpr int kMaxTracks = 99;

int64_t steadyMilliseconds()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return timer.elapsed();
}

struct ProcessDriveSlot
{
    std::shared_ptr<SimulatedCdDrive> drive;
    QString madeFrom;
};

ProcessDriveSlot &processSlot()
{
    static ProcessDriveSlot slot;
    return slot;
}

} // namespace

SimulatedCdDrive::SimulatedCdDrive(const Options &options)
    : m_clock(steadyMilliseconds)
    , m_tracks(std::clamp(options.tracks, 0, kMaxTracks))
    , m_canEject(options.canEject)
    , m_trayOpen(options.trayOpen)
{
    m_since = m_clock();
    if (options.playing && hasDisc()) {
        CdToc toc;
        ReadToc(toc);
        PlayMsf(toc.tracks.front().start, toc.leadOut);
    }
}

std::optional<SimulatedCdDrive::Options> SimulatedCdDrive::ParseOptions(const QString &text)
{
    const QStringList parts = text.split(u',', Qt::KeepEmptyParts);
    bool ok = false;
    Options options;
    options.tracks = parts.front().trimmed().toInt(&ok);
    if (!ok || options.tracks < 0 || options.tracks > kMaxTracks)
        return std::nullopt;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString option = parts.at(i).trimmed().toLower();
        if (option == u"noeject")
            options.canEject = false;
        else if (option == u"open")
            options.trayOpen = true;
        else if (option == u"playing")
            options.playing = true;
        else
            return std::nullopt;
    }
    return options;
}

std::shared_ptr<SimulatedCdDrive> SimulatedCdDrive::ProcessDrive()
{
    const QString choice = qEnvironmentVariable("ORVEL_CDAUDIO").trimmed();
    ProcessDriveSlot &slot = processSlot();
    if (slot.drive && slot.madeFrom == choice)
        return slot.drive;
    slot.drive.reset();
    slot.madeFrom = choice;
    const qsizetype colon = choice.indexOf(u':');
    if (colon < 0 || choice.left(colon).trimmed().compare(QLatin1String("simulated"), Qt::CaseInsensitive) != 0)
        return nullptr;
    if (const std::optional<Options> options = ParseOptions(choice.mid(colon + 1)))
        slot.drive = std::make_shared<SimulatedCdDrive>(*options);
    return slot.drive;
}

void SimulatedCdDrive::ResetProcessDrive()
{
    processSlot() = {};
}

int SimulatedCdDrive::TrackLength(int n)
{
    return (3 * 60 + (n * 47) % 120) * kCdFramesPerSecond + (n * 11) % kCdFramesPerSecond;
}

void SimulatedCdDrive::SetClock(MsClock clock)
{
    advance();
    m_clock = std::move(clock);
    m_since = m_clock();
}

void SimulatedCdDrive::InsertDisc(int tracks)
{
    m_tracks = std::clamp(tracks, 0, kMaxTracks);
    m_trayOpen = false;
    m_status = CdAudioStatus::Idle;
    m_position = -1;
}

int SimulatedCdDrive::CurrentFrame()
{
    advance();
    return m_position;
}

void SimulatedCdDrive::advance()
{
    const int64_t now = m_clock();
    if (m_status == CdAudioStatus::Playing) {
        const int64_t frames = (now - m_since) * kCdFramesPerSecond / 1000;
        // Whole frames only; the rest of a frame counts towards the next one.
        m_since += frames * 1000 / kCdFramesPerSecond;
        if (m_position + frames >= m_end) {
            m_position = m_end;
            m_status = CdAudioStatus::Idle;
        } else {
            m_position += int(frames);
        }
        return;
    }
    m_since = now;
}

bool SimulatedCdDrive::CanEject()
{
    return m_connected && m_canEject;
}

bool SimulatedCdDrive::ReadTray(CdTray &tray)
{
    if (!m_connected)
        return false;
    tray = m_trayOpen ? CdTray::Open : CdTray::Closed;
    return true;
}

bool SimulatedCdDrive::ReadToc(CdToc &toc)
{
    if (!hasDisc())
        return false;
    toc.tracks.clear();
    int start = kFirstTrackStart;
    for (int n = 1; n <= m_tracks; ++n) {
        toc.tracks.push_back({n, start, true});
        start += TrackLength(n);
    }
    toc.leadOut = start;
    return true;
}

bool SimulatedCdDrive::PlayMsf(int start, int end)
{
    CdToc toc;
    if (!ReadToc(toc) || start < toc.tracks.front().start || start >= end || end > toc.leadOut)
        return false;
    m_position = start;
    m_end = end;
    m_status = CdAudioStatus::Playing;
    m_since = m_clock();
    return true;
}

bool SimulatedCdDrive::Pause()
{
    if (!hasDisc())
        return false;
    advance();
    if (m_status == CdAudioStatus::Playing)
        m_status = CdAudioStatus::Paused;
    return true;
}

bool SimulatedCdDrive::Resume()
{
    if (!hasDisc())
        return false;
    advance();
    if (m_status == CdAudioStatus::Paused)
        m_status = CdAudioStatus::Playing;
    return true;
}

bool SimulatedCdDrive::Stop()
{
    if (!hasDisc())
        return false;
    advance();
    m_status = CdAudioStatus::Idle;
    return true;
}

bool SimulatedCdDrive::ReadSubchannel(CdSubchannel &subchannel)
{
    if (!m_connected)
        return false;
    advance();
    subchannel.status = hasDisc() ? m_status : CdAudioStatus::Idle;
    subchannel.position = hasDisc() ? m_position : -1;
    return true;
}

bool SimulatedCdDrive::OpenTray()
{
    if (!m_connected || !m_canEject)
        return false;
    m_trayOpen = true;
    m_status = CdAudioStatus::Idle;
    m_position = -1;
    return true;
}

bool SimulatedCdDrive::CloseTray()
{
    if (!m_connected)
        return false;
    m_trayOpen = false;
    return true;
}

} // namespace orvel

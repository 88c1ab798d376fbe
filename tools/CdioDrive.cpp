#include "tools/CdioDrive.h"

// cdio.h first: the other headers rely on its types.
#include <cdio/cdio.h>

#include <cdio/audio.h>
#include <cdio/logging.h>
#include <cdio/memory.h>
#include <cdio/mmc.h>
#include <cdio/sector.h>

#include <cstdlib>

namespace orvel {

namespace {

// libcdio would write its complaints (no disc, no drive) to the terminal;
// the command-string layer answers with error codes instead.
void quietLog(cdio_log_level_t, const char *) {}

msf_t msfOf(int frame)
{
    msf_t msf{};
    cdio_lba_to_msf(frame, &msf);
    return msf;
}

} // namespace

CdioDrive::CdioDrive(QByteArray device, CdIo_t *cdio)
    : m_device(std::move(device))
    , m_cdio(cdio)
{}

CdioDrive::~CdioDrive()
{
    if (m_cdio)
        cdio_destroy(m_cdio);
}

std::shared_ptr<CdDrive> CdioDrive::Open(const QString &device)
{
    QByteArray path = device.toLocal8Bit();
    if (path.isEmpty()) {
        char *found = cdio_get_default_device(nullptr);
        if (!found)
            return nullptr;
        path = found;
        cdio_free(found);
    }
    CdIo_t *cdio = cdio_open(path.constData(), DRIVER_DEVICE);
    if (!cdio)
        return nullptr;
    return std::shared_ptr<CdDrive>(new CdioDrive(path, cdio));
}

CdIo_t *CdioDrive::handle()
{
    if (!m_cdio)
        m_cdio = cdio_open(m_device.constData(), DRIVER_DEVICE);
    return m_cdio;
}

void CdioDrive::reopen()
{
    if (m_cdio)
        cdio_destroy(m_cdio);
    m_cdio = cdio_open(m_device.constData(), DRIVER_DEVICE);
}

bool CdioDrive::CanEject()
{
    CdIo_t *cdio = handle();
    if (!cdio)
        return false;
    cdio_drive_read_cap_t read = 0;
    cdio_drive_write_cap_t write = 0;
    cdio_drive_misc_cap_t misc = 0;
    cdio_get_drive_cap(cdio, &read, &write, &misc);
    if (misc & CDIO_DRIVE_CAP_ERROR)
        return false;
    return (misc & (CDIO_DRIVE_CAP_MISC_EJECT | CDIO_DRIVE_CAP_UNKNOWN)) != 0;
}

bool CdioDrive::ReadTray(CdTray &tray)
{
    CdIo_t *cdio = handle();
    if (!cdio)
        return false;
    switch (mmc_get_tray_status(cdio)) {
    case 0:
        tray = CdTray::Closed;
        return true;
    case 1:
        tray = CdTray::Open;
        return true;
    default:
        break;
    }
    // A drive that cannot tell about its tray: closed when a disc is read.
    CdToc toc;
    tray = CdTray::Closed;
    return ReadToc(toc);
}

bool CdioDrive::ReadToc(CdToc &toc)
{
    CdIo_t *cdio = handle();
    if (!cdio)
        return false;
    if (cdio_get_media_changed(cdio) == 1) {
        reopen();
        cdio = m_cdio;
        if (!cdio)
            return false;
    }
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        // Nothing read yet; the next attempt starts afresh.
        reopen();
        return false;
    }
    toc.tracks.clear();
    for (track_t n = first; n < first + count; ++n) {
        const lsn_t lsn = cdio_get_track_lsn(cdio, n);
        if (lsn == CDIO_INVALID_LSN)
            return false;
        toc.tracks.push_back({int(n), int(cdio_lsn_to_lba(lsn)), cdio_get_track_format(cdio, n) == TRACK_FORMAT_AUDIO});
    }
    const lsn_t leadOut = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LSN)
        return false;
    toc.leadOut = int(cdio_lsn_to_lba(leadOut));
    return true;
}

bool CdioDrive::PlayMsf(int start, int end)
{
    CdIo_t *cdio = handle();
    if (!cdio)
        return false;
    msf_t from = msfOf(start);
    msf_t to = msfOf(end);
    return cdio_audio_play_msf(cdio, &from, &to) == DRIVER_OP_SUCCESS;
}

bool CdioDrive::Pause()
{
    CdIo_t *cdio = handle();
    return cdio && cdio_audio_pause(cdio) == DRIVER_OP_SUCCESS;
}

bool CdioDrive::Resume()
{
    CdIo_t *cdio = handle();
    return cdio && cdio_audio_resume(cdio) == DRIVER_OP_SUCCESS;
}

bool CdioDrive::Stop()
{
    CdIo_t *cdio = handle();
    return cdio && cdio_audio_stop(cdio) == DRIVER_OP_SUCCESS;
}

bool CdioDrive::ReadSubchannel(CdSubchannel &subchannel)
{
    CdIo_t *cdio = handle();
    if (!cdio)
        return false;
    cdio_subchannel_t sub{};
    if (cdio_audio_read_subchannel(cdio, &sub) != DRIVER_OP_SUCCESS) {
        // No disc to ask about; the drive itself still answers.
        subchannel = {};
        return mmc_get_tray_status(cdio) >= 0;
    }
    switch (sub.audio_status) {
    case CDIO_MMC_READ_SUB_ST_PLAY:
        subchannel.status = CdAudioStatus::Playing;
        break;
    case CDIO_MMC_READ_SUB_ST_PAUSED:
        subchannel.status = CdAudioStatus::Paused;
        break;
    default:
        subchannel.status = CdAudioStatus::Idle;
        break;
    }
    const bool known = sub.audio_status == CDIO_MMC_READ_SUB_ST_PLAY || sub.audio_status == CDIO_MMC_READ_SUB_ST_PAUSED
                       || sub.audio_status == CDIO_MMC_READ_SUB_ST_COMPLETED;
    subchannel.position = known ? int(cdio_msf_to_lba(&sub.abs_addr)) : -1;
    return true;
}

bool CdioDrive::OpenTray()
{
    CdIo_t *cdio = handle();
    if (!cdio)
        return false;
    cdio_audio_stop(cdio);
    // Ejecting frees the handle; the next use opens the device again.
    if (cdio_eject_media(&m_cdio) == DRIVER_OP_SUCCESS)
        return true;
    return cdio_eject_media_drive(m_device.constData()) == DRIVER_OP_SUCCESS;
}

bool CdioDrive::CloseTray()
{
    driver_id_t driver = DRIVER_DEVICE;
    const bool closed = cdio_close_tray(m_device.constData(), &driver) == DRIVER_OP_SUCCESS;
    reopen();
    return closed;
}

void InstallCdioDrive()
{
    static const bool installed = [] {
        cdio_log_set_handler(quietLog);
        SetSystemCdDriveFactory(CdioDrive::Open);
        return true;
    }();
    (void)installed;
}

} // namespace orvel

#pragma once

#include "platform/CdDrive.h"

#include <QByteArray>

using CdIo_t = struct _CdIo;

namespace orvel {

// The machine's CD drive through libcdio: the table of contents, audio
// played by the drive itself, its subchannel position, the tray.
class CdioDrive : public CdDrive
{
public:
    // The drive at the device path, or the default drive for an empty path;
    // null when there is none.
    static std::shared_ptr<CdDrive> Open(const QString &device);
    ~CdioDrive() override;
    CdioDrive(const CdioDrive &) = delete;
    CdioDrive &operator=(const CdioDrive &) = delete;

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
    CdioDrive(QByteArray device, CdIo_t *cdio);
    // The open handle, opened again after the tray moved (libcdio keeps
    // the table of contents it read first).
    CdIo_t *handle();
    void reopen();

    QByteArray m_device;
    CdIo_t *m_cdio = nullptr;
};

// Lets "cdaudio" reach the machine's drive through libcdio.
void InstallCdioDrive();

} // namespace orvel

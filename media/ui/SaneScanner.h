#pragma once

#include "platform/Bitmap.h"

#include <sane/sane.h>

#include <QByteArray>

namespace orvel {

// Scanning through SANE, as the imaging control's scanner layer (LeadScanner
// in media/Lead.h). Preparing the source starts SANE, finds the devices and
// opens one: the only one, or the one the user picks in "Quelle auswählen"
// when there are several. Acquiring scans one picture (grey, colour or line
// art) into a bitmap that records the scan's resolution, and releases the
// device and SANE again, so that a scanner is never held between scans.
//
// Results are LeadResult codes: LeadNoScanner when there is no device or
// the device fails, LeadScanCancelled when the user cancels the choice of
// device or presses Escape during the scan.
class SaneScanner
{
public:
    static SaneScanner &instance();

    short SelectSource();
    // Selects the source first when none is open.
    short Acquire(BitmapPtr *bitmap);
    // Closes the device and ends SANE, if they are open.
    void Release();

private:
    SaneScanner() = default;
    short scan(BitmapPtr *bitmap);
    // The resolution option's value in dots per inch (the one of the
    // direction, where the device has one for each); 0 when it has none.
    int resolution(const char *directionalName) const;

    bool m_initialised = false;
    SANE_Handle m_handle = nullptr;
    // The device chosen last, selected first in the list next time.
    QByteArray m_lastDevice;
};

// Installs SaneScanner as the imaging control's scanner layer; repeated
// calls do nothing more.
void InstallSaneScanner();
// Puts back the scanner layer that was installed before and releases the
// device.
void UninstallSaneScanner();

} // namespace orvel

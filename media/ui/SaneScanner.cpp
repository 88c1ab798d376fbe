#include "media/ui/SaneScanner.h"

#include "media/Lead.h"
#include "media/ui/SaneSourceDialog.h"
#include "media/ui/ScanImageAssembler.h"
#include "platform/Services.h"
#include "platform/gfx/ImageBitmap.h"

#include <sane/saneopts.h>

#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <cmath>
#include <cstring>
#include <vector>

namespace orvel {

namespace {

// A colour scan comes in one frame or in three (red, green, blue).
constexpr int kMaxFrames = 3;
constexpr SANE_Int kReadChunk = 64 * 1024;

QString DeviceLabel(const SANE_Device &device)
{
    const auto text = [](const char *s) { return s != nullptr ? QString::fromUtf8(s).trimmed() : QString(); };
    QString label = (text(device.vendor) + u' ' + text(device.model)).trimmed();
    const QString name = text(device.name);
    return label.isEmpty() ? name : label + QStringLiteral(" (") + name + u')';
}

QWidget *DialogParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

} // namespace

SaneScanner &SaneScanner::instance()
{
    static SaneScanner scanner;
    return scanner;
}

short SaneScanner::SelectSource()
{
    Release();
    SANE_Int version = 0;
    if (sane_init(&version, nullptr) != SANE_STATUS_GOOD)
        return LeadNoScanner;
    m_initialised = true;

    // Copied: the list lives only until SANE is asked again or ends.
    const SANE_Device **devices = nullptr;
    std::vector<QByteArray> names;
    QStringList labels;
    if (sane_get_devices(&devices, SANE_FALSE) == SANE_STATUS_GOOD && devices != nullptr) {
        for (int i = 0; devices[i] != nullptr; ++i) {
            if (devices[i]->name == nullptr)
                continue;
            names.emplace_back(devices[i]->name);
            labels.append(DeviceLabel(*devices[i]));
        }
    }
    if (names.empty()) {
        Release();
        return LeadNoScanner;
    }

    std::size_t choice = 0;
    if (names.size() > 1) {
        int last = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == m_lastDevice)
                last = int(i);
        }
        SaneSourceDialog dialog(labels, last, DialogParent());
        if (dialog.exec() != QDialog::Accepted || dialog.Choice() < 0) {
            Release();
            return LeadScanCancelled;
        }
        choice = std::size_t(dialog.Choice());
    }
    if (sane_open(names[choice].constData(), &m_handle) != SANE_STATUS_GOOD) {
        m_handle = nullptr;
        Release();
        return LeadNoScanner;
    }
    m_lastDevice = names[choice];
    return LeadOk;
}

short SaneScanner::Acquire(BitmapPtr *bitmap)
{
    if (m_handle == nullptr) {
        const short selected = SelectSource();
        if (selected != LeadOk)
            return selected;
    }
    short result = LeadNoScanner;
    {
        WaitCursor wait;
        result = scan(bitmap);
    }
    Release();
    return result;
}

short SaneScanner::scan(BitmapPtr *bitmap)
{
    const int dpiX = resolution(SANE_NAME_SCAN_X_RESOLUTION);
    const int dpiY = resolution(SANE_NAME_SCAN_Y_RESOLUTION);
    ScanImageAssembler assembler;
    std::vector<SANE_Byte> buffer(kReadChunk);
    // Every way out of a started scan ends it, or the device stays busy.
    const auto stop = [this](short result) {
        sane_cancel(m_handle);
        return result;
    };
    for (int frame = 0; !assembler.complete(); ++frame) {
        if (frame == kMaxFrames)
            return stop(LeadNoScanner);
        const SANE_Status started = sane_start(m_handle);
        if (started == SANE_STATUS_CANCELLED)
            return stop(LeadScanCancelled);
        SANE_Parameters parameters{};
        if (started != SANE_STATUS_GOOD || sane_get_parameters(m_handle, &parameters) != SANE_STATUS_GOOD
            || !assembler.beginFrame(parameters))
            return stop(LeadNoScanner);
        for (;;) {
            SANE_Int length = 0;
            const SANE_Status status = sane_read(m_handle, buffer.data(), kReadChunk, &length);
            if (status == SANE_STATUS_EOF)
                break;
            if (status == SANE_STATUS_CANCELLED)
                return stop(LeadScanCancelled);
            if (status != SANE_STATUS_GOOD || length > kReadChunk || !assembler.add(buffer.data(), length))
                return stop(LeadNoScanner);
            if (EscapePressedAndConfirmed())
                return stop(LeadScanCancelled);
        }
        if (!assembler.endFrame())
            return stop(LeadNoScanner);
    }
    stop(LeadOk);

    QImage picture = assembler.picture();
    const auto perMeter = [](int dpi) { return dpi > 0 ? int(std::lround(dpi / 0.0254)) : 0; };
    picture.setDotsPerMeterX(perMeter(dpiX));
    picture.setDotsPerMeterY(perMeter(dpiY));
    *bitmap = ImageBitmap::Make(std::move(picture));
    return *bitmap ? LeadOk : LeadNoScanner;
}

int SaneScanner::resolution(const char *directionalName) const
{
    // The common option, unless the device sets each direction apart.
    int found = 0;
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor *option = sane_get_option_descriptor(m_handle, i);
        if (option == nullptr)
            break;
        if (option->name == nullptr || !SANE_OPTION_IS_ACTIVE(option->cap) || option->size != sizeof(SANE_Word)
            || (option->type != SANE_TYPE_INT && option->type != SANE_TYPE_FIXED))
            continue;
        const bool directional = std::strcmp(option->name, directionalName) == 0;
        if (!directional && std::strcmp(option->name, SANE_NAME_SCAN_RESOLUTION) != 0)
            continue;
        SANE_Word value = 0;
        if (sane_control_option(m_handle, i, SANE_ACTION_GET_VALUE, &value, nullptr) != SANE_STATUS_GOOD)
            continue;
        const double dpi = option->type == SANE_TYPE_FIXED ? SANE_UNFIX(value) : double(value);
        if (dpi > 0 && dpi < 100000)
            found = int(std::lround(dpi));
        if (directional)
            break;
    }
    return found;
}

void SaneScanner::Release()
{
    if (m_handle != nullptr) {
        sane_close(m_handle);
        m_handle = nullptr;
    }
    if (m_initialised) {
        sane_exit();
        m_initialised = false;
    }
}

namespace {

LeadScanner &PreviousScanner()
{
    static LeadScanner previous;
    return previous;
}

bool &Installed()
{
    static bool installed = false;
    return installed;
}

} // namespace

void InstallSaneScanner()
{
    if (Installed())
        return;
    Installed() = true;
    LeadScanner scanner;
    scanner.prepare = [] { return SaneScanner::instance().SelectSource(); };
    scanner.acquire = [](BitmapPtr *bitmap) { return SaneScanner::instance().Acquire(bitmap); };
    PreviousScanner() = SetLeadScanner(scanner);
}

void UninstallSaneScanner()
{
    SaneScanner::instance().Release();
    if (!Installed())
        return;
    Installed() = false;
    SetLeadScanner(PreviousScanner());
}

} // namespace orvel

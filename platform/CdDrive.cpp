#include "platform/CdDrive.h"

#include "platform/SimulatedCdDrive.h"

#include <QtGlobal>

namespace orvel {

namespace {

CdDriveFactory &systemFactory()
{
    static CdDriveFactory factory;
    return factory;
}

} // namespace

void SetSystemCdDriveFactory(CdDriveFactory factory)
{
    systemFactory() = std::move(factory);
}

std::shared_ptr<CdDrive> OpenConfiguredCdDrive()
{
    const QString choice = qEnvironmentVariable("ORVEL_CDAUDIO").trimmed();
    if (choice.startsWith(QLatin1String("simulated"), Qt::CaseInsensitive))
        return SimulatedCdDrive::ProcessDrive();
    if (!systemFactory())
        return nullptr;
    return systemFactory()(choice);
}

} // namespace orvel

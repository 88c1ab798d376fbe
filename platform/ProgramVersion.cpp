#include "platform/ProgramVersion.h"

#ifndef ORVEL_VERSION
#error "ORVEL_VERSION must be defined by the build"
#endif

namespace orvel {

QString ProgramVersion()
{
    return QStringLiteral(ORVEL_VERSION);
}

QString BuildStamp()
{
    return QStringLiteral("Built: ") + QLatin1StringView(__DATE__) + QStringLiteral("; ") + QLatin1StringView(__TIME__);
}

} // namespace orvel

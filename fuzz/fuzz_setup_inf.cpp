// Reads arbitrary bytes as Setup's description file. Whatever the bytes, a
// description that is accepted stays within its limits and names only paths
// below the folders it installs into, and its placeholders substitute.
#include "setup/SetupInf.h"

#include <cstdint>
#include <cstdlib>

using namespace orvel::setup;

namespace {

bool climbs(const QString &path)
{
    return path.isEmpty() || path.startsWith(QLatin1Char('/'))
           || path.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SetupInf inf;
    QString reason;
    if (!ParseSetupInf(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &inf, &reason))
        return 0;
    if (inf.diskLabels.size() > kMaxDisks || inf.files.size() > kMaxFiles || inf.shortcuts.size() > kMaxShortcuts
        || inf.regFileLines.size() > kMaxRegFileLines || inf.registryLines.size() > kMaxRegistryLines)
        std::abort();
    QStringList finalPaths;
    for (const InfFile &file : inf.files) {
        if (file.disk < 1 || file.disk > inf.diskLabels.size() || climbs(file.source) || climbs(file.destination)
            || file.finalName.contains(QLatin1Char('/')) || file.size < 0 || file.size > kMaxInfFileSize)
            std::abort();
        finalPaths << QStringLiteral("/t/") + file.finalName;
    }
    for (const QString &line : inf.regFileLines)
        SubstitutePlaceholders(line, finalPaths, QStringLiteral("/t"), QStringLiteral("/w"));
    for (const RegistryLine &line : inf.registryLines) {
        if (!IsSafeRegistryKey(line.key))
            std::abort();
        SubstitutePlaceholders(line.data, finalPaths, QStringLiteral("/t"), QStringLiteral("/w"));
    }
    return 0;
}

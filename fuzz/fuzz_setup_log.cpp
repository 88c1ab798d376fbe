// Reads arbitrary bytes as Setup's installation log. Whatever the bytes, a
// log that is accepted names only clean absolute paths, the only thing its
// uninstallation acts upon.
#include "setup/SetupLog.h"

#include <QDir>

#include <cstdint>
#include <cstdlib>

using namespace orvel::setup;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SetupLogContents contents;
    if (!ParseSetupLog(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &contents, nullptr))
        return 0;
    for (const LogItem &item : contents.items) {
        if (!item.path.startsWith(QLatin1Char('/')) || QDir::cleanPath(item.path) != item.path)
            std::abort();
    }
    return 0;
}

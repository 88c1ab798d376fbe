#include "support/TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>

#include <atomic>

namespace orvel::test {
namespace {

QTemporaryDir &processDir()
{
    static QTemporaryDir dir(QDir::tempPath() + "/orvel-test-XXXXXX");
    return dir;
}

} // namespace

QString ConfigDir()
{
    return processDir().path() + "/config";
}

QString RuntimeDir()
{
    return processDir().path() + "/runtime";
}

QString TempDir()
{
    return processDir().path() + "/tmp";
}

QString FixturesDir()
{
    return qEnvironmentVariable("ORVEL_TEST_FIXTURES");
}

std::string FixtureBytes(const QString &text)
{
    std::string bytes;
    for (QChar c : text)
        bytes.push_back(char(c.unicode() & 0xFF));
    return bytes;
}

QString SourceDir()
{
    return qEnvironmentVariable("ORVEL_SOURCE_DIR");
}

QString MakeScratchDir()
{
    static std::atomic<int> counter{0};
    const QString path = processDir().path() + "/scratch" + QString::number(++counter);
    QDir().mkpath(path);
    return path;
}

} // namespace orvel::test

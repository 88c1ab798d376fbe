#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] = "Aufruf:\n"
                      "  orvel-cli --help | --version\n";

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("orvel-cli %s\n", ORVEL_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}

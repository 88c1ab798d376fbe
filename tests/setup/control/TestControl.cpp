// A stand-in shared control for the Setup tests: its registration entry
// points append a line to the file that ORVEL_SETUP_CONTROL_LOG names.
#include <cstdio>
#include <cstdlib>

namespace {

int note(const char *what)
{
    const char *path = std::getenv("ORVEL_SETUP_CONTROL_LOG");
    if (!path)
        return 1;
    std::FILE *file = std::fopen(path, "a");
    if (!file)
        return 1;
    std::fprintf(file, "%s\n", what);
    std::fclose(file);
    return 0;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int DllRegisterServer()
{
    return note("register");
}

extern "C" __attribute__((visibility("default"))) int DllUnregisterServer()
{
    return note("unregister");
}

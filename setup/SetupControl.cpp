#include "setup/SetupControl.h"

#include <QFile>

#include <cstring>
#include <dlfcn.h>

namespace orvel::setup {
namespace {

// An ELF shared object (e_type ET_DYN), which is what a control is here.
bool isSharedLibrary(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(18);
    if (head.size() < 18
        || !head.startsWith("\x7f"
                            "ELF"))
        return false;
    const bool little = head.at(5) == 1;
    const int type =
            little ? (uchar(head.at(16)) | uchar(head.at(17)) << 8) : (uchar(head.at(17)) | uchar(head.at(16)) << 8);
    return type == 3;
}

ControlResult callEntry(const QString &path, const char *entry)
{
    if (!isSharedLibrary(path))
        return ControlResult::NotALibrary;
    void *library = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return ControlResult::Failed;
    using Entry = int (*)();
    void *symbol = ::dlsym(library, entry);
    ControlResult result = ControlResult::NoEntryPoint;
    if (symbol) {
        Entry function = nullptr;
        static_assert(sizeof(function) == sizeof(symbol));
        std::memcpy(&function, &symbol, sizeof(function));
        result = function() == 0 ? ControlResult::Done : ControlResult::Failed;
    }
    ::dlclose(library);
    return result;
}

} // namespace

ControlResult RegisterControl(const QString &path)
{
    return callEntry(path, "DllRegisterServer");
}

ControlResult UnregisterControl(const QString &path)
{
    return callEntry(path, "DllUnregisterServer");
}

} // namespace orvel::setup

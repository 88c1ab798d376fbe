#pragma once

#include <QString>

namespace orvel::setup {

enum class ControlResult {
    NotALibrary,  // no shared library: only recorded
    NoEntryPoint, // a library without the entry point: only recorded
    Done,         // the entry point ran and reported success
    Failed,       // a library that would not load, or whose entry point failed
};

// "Registers" a shared control: a shared library that exports
// `DllRegisterServer` (int (void), 0 for success) is loaded and that entry
// point called; `DllUnregisterServer` the same way for the removal.
ControlResult RegisterControl(const QString &path);
ControlResult UnregisterControl(const QString &path);

} // namespace orvel::setup

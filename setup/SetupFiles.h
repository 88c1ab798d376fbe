#pragma once

#include "setup/SetupInf.h"

#include <QString>

#include <optional>

namespace orvel::setup {

// The program's own version (the build's), which Setup records for the
// program's executables and libraries.
FileVersion ProgramFileVersion();

// An executable or shared library of the program (an ELF file).
bool IsProgramBinary(const QByteArray &head);

// "%d.%d.%d.%d", "?" when there is none.
QString FormatVersion(const std::optional<FileVersion> &version);
// "%d.%m.%Y - %H:%M" of the file's modification time, local time; "?" when
// the file cannot be found.
QString FormatFileDate(const QString &path);
// "%.2f MB" of bytes / 1048576.
QString FormatMegabytes(qint64 bytes);

} // namespace orvel::setup

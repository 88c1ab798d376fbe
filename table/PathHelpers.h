#pragma once

#include "platform/AnsiString.h"

namespace orvel {

// Paths that picture and link values hold. A value names a file either
// absolutely or relative to the folder of the database file (picture fields
// with format bit 2 are saved that way). Relative paths are written with "/";
// stored relative paths with "\" (from older files) are read as "/". Paths
// are never lower-cased: Linux names are case sensitive.

// Absolute when it starts with "/" or its second character is ":" (a drive
// path from a Windows file, which is left alone).
bool IsAbsolutePath(AnsiView path);

// The path relative to `baseFolder` (an absolute folder), with "../" for
// every folder of the base that the path does not share. A drive path is
// returned unchanged; an empty path stays empty; a relative path is taken as
// relative to the base already.
AnsiString MakeRelativePath(AnsiView path, AnsiView baseFolder);

// The stored path made absolute against `baseFolder`, with "." and ".."
// resolved. Absolute and drive paths are returned unchanged; an empty value
// stays empty ("no object").
AnsiString MakeAbsolutePath(AnsiView storedPath, AnsiView baseFolder);

} // namespace orvel

#pragma once

// The object file: memo texts, OLE objects and embedded pictures of one
// database, kept beside it as "name.dbo". A record value of such a field
// holds only an object reference, the decimal byte offset of the object in
// the object file.
//
//   offset 0   10 bytes  "OVD-BLOBS" and the byte 0x03
//   offset 10  objects, one after another: u32 length L (little-endian),
//              then L bytes exactly as the object's temporary file held them
//
// Single objects travel between an object file and their users (memo editor,
// embedded documents, pictures) as temporary files: ReadObject copies one out,
// WriteObject puts one in. Both stream through a fixed buffer, so a large
// picture never sits in memory whole.
//
// The document's private working copy of its object file is CWorkingStore
// (table/WorkingStore.h); copying many objects from one object file into
// another, as Save As and pasting records do, is CObjectCopier
// (table/ObjectCopier.h). Both are included here for convenience.

#include "platform/AnsiString.h"
#include "table/ObjectCopier.h"
#include "table/WorkingStore.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace orvel {

// The 10 bytes every object file starts with.
inline constexpr char kObjectFileMagic[] = "OVD-BLOBS\x03";
inline constexpr std::uint64_t kObjectFileMagicSize = 10;
// The offset of the first object, and so the smallest valid reference.
inline constexpr std::uint64_t kFirstObjectOffset = 10;
// The length that precedes each object's bytes.
inline constexpr std::uint64_t kObjectLengthSize = 4;
// An object's length is stored in 32 bits.
inline constexpr std::uint64_t kMaxObjectSize = 0xFFFFFFFFu;

// True for the references that name no object: the empty text and "0".
bool IsNoObjectReference(AnsiView reference);

// The offset a reference names, when it can name an object at all: decimal
// digits only (no sign, no blanks), at least kFirstObjectOffset, within 64
// bits. The empty text, "0", negative, non-numeric and too small values give
// nothing. Whether an object really lies there is for the reader to check.
std::optional<std::uint64_t> ParseObjectReference(AnsiView reference);

// The reference text of an offset: plain decimal digits.
AnsiString FormatObjectReference(std::uint64_t offset);

// The object file that belongs to a database file: the database path with
// the extension of its file name replaced by "dbo", or ".dbo" appended when
// the name has none ("/a.b/name" gives "/a.b/name.dbo"). A dot in a folder
// name never counts.
QString ObjectFilePathFor(const QString &databasePath);

// Copies the object `reference` names out of `objectFile` into a new
// temporary file (MakeTempFileName("tmp")) and returns that file's path; the
// caller owns the file. Returns an empty path, and leaves no temporary file
// behind, when the object file is not given or cannot be read, or the
// reference does not name an object that lies wholly inside the file (beyond
// the end, inside the magic, negative, non-numeric, or a stored length that
// runs past the end). A reference that names no object (IsNoObjectReference)
// gives an existing, empty temporary file, so that an editor can start a new
// object from it. Shows the wait cursor.
QString ReadObject(const QString &objectFile, AnsiView reference);

// Puts the file `sourcePath` into `objectFile` (created when missing, the
// magic written when it lacks it) and returns the new reference, or empty
// text on failure (source or object file not readable or writable, a write
// failed, a source beyond 4 GiB). When `oldReference` names an object whose
// stored length is at least the new length, the new object overwrites it in
// place and keeps its reference; otherwise the new object is appended. The
// first object of a new object file gets the reference "10". The source file
// is deleted in every case, since it was handed over to the store. Shows the
// wait cursor.
//
// Rewriting in place replaces the object for every value that holds the same
// reference; callers that duplicate a reference within one store give up
// that object's independence.
AnsiString WriteObject(const QString &sourcePath, AnsiView oldReference, const QString &objectFile);

// Shows message 515: objects could not be written (end of a save).
void ReportObjectsNotWritten();

} // namespace orvel

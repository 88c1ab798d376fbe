#pragma once

#include "platform/AnsiString.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace orvel {

// Copies objects from one object file into another, one value at a time:
// the database writer on Save As (working store → new object file, in record
// order, so the result holds each referenced object once), and the record
// copy and paste paths (one object file → another store).
//
// Both files stay open for the copier's lifetime and all bytes move through
// two fixed buffers, so ten thousand small memo objects cost little more than
// copying the file, and a large picture never sits in memory whole. Nothing
// goes through temporary files.
//
//     CObjectCopier copier(workingStore.path(), targetObjectFile, CObjectCopier::Replace);
//     for each value of a memo, OLE or embedded picture field:
//         std::optional<AnsiString> ref = copier.CopyObject(value);
//         if (!ref) { failure = true; ref = AnsiString(); }   // value written empty, 515 later
//         write *ref
//     if (!copier.Finish()) failure = true;
class CObjectCopier
{
public:
    enum Mode {
        // The target is made anew: an existing file is truncated when the
        // first object is written; the first object gets the reference 10.
        // When no object is written the target is not touched at all
        // (wroteAny() tells whether it exists as the copier left it).
        Replace,
        // New objects are appended to the target (created when missing),
        // whose existing objects and references stay valid.
        Append,
    };

    // `bufferSize` is the size of each of the two buffers; any size copies
    // the same bytes.
    static constexpr std::size_t kDefaultBufferSize = 256 * 1024;
    CObjectCopier(const QString &sourceObjectFile, const QString &targetObjectFile, Mode mode,
                  std::size_t bufferSize = kDefaultBufferSize);
    // Writes what is still buffered (without flushing to disk); call
    // Finish() to learn whether that worked.
    ~CObjectCopier();
    CObjectCopier(const CObjectCopier &) = delete;
    CObjectCopier &operator=(const CObjectCopier &) = delete;

    // Copies the object `reference` names in the source into the target and
    // returns the target's reference for it.
    // - A reference that names no object ("" or "0") gives "" and writes
    //   nothing: an empty value stays empty and is no failure.
    // - nothing (failure) when the source cannot be read, the reference does
    //   not name an object lying wholly inside the source, or the target
    //   cannot be written. After a write failure every later call fails too.
    std::optional<AnsiString> CopyObject(AnsiView reference);

    // Writes the buffered bytes, flushes the target to disk when `flush` is
    // set, and closes both files. Returns false when any write of the target
    // failed since construction: then references handed out may name objects
    // that never reached the file (a reader finds no object there).
    bool Finish(bool flush = true);

    // True once an object has been written into the target.
    bool wroteAny() const;
    // Objects copied so far.
    int copiedCount() const;
    // The target's length, including bytes still buffered.
    std::uint64_t targetLength() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orvel

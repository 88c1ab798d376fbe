#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace orvel {

// The private working copy of a document's object file. Every open document
// owns one: all object reads and writes of the document go to it and every
// object reference its records hold points into it. It is created empty with
// the document, filled from the object file when a database is opened,
// copied over (or, on Save As, compacted into) the object file when it is
// saved, and removed when the document closes.
//
// The file is a temporary file of this user only (mode 0600), named by
// MakeTempFileName("tmp").
class CWorkingStore
{
public:
    // Creates a new, empty working store. When no temporary file could be
    // made, path() is empty and every operation fails.
    CWorkingStore();
    // Removes the working store's file.
    ~CWorkingStore();
    CWorkingStore(const CWorkingStore &) = delete;
    CWorkingStore &operator=(const CWorkingStore &) = delete;

    // The object file path to hand to ReadObject, WriteObject and
    // CObjectCopier.
    const QString &path() const { return m_path; }
    bool isValid() const { return !m_path.isEmpty(); }
    // The current length in bytes (0 when it cannot be read).
    std::uint64_t size() const;

    // Opening a database: the object file's bytes replace the working
    // store's. A missing object file leaves the store empty (a database
    // without objects), which is success. Returns false when the object file
    // exists but could not be copied; the store is then empty too, so that
    // no reference of the new database reads stale objects. The caller shows
    // the progress caption 430 around this.
    bool LoadFrom(const QString &objectFile);

    // Plain save: writes the working store's bytes into `target` (created,
    // or truncated and overwritten; an existing file keeps its permissions),
    // flushed to disk when `flush` is set so that a rename over the real
    // object file may follow. Returns false when anything failed; the caller
    // then removes the half-written target.
    bool CopyTo(const QString &target, bool flush = true) const;

    // Empties the store (a document that starts over).
    bool Clear();

private:
    QString m_path;
};

// Before a save: true when the file system that holds the working store
// `storePath` has at least as many bytes free as the store is long.
// Otherwise shows message 516 and returns false. Returns false without a
// message when the store cannot be opened for reading.
bool CheckWorkingStoreSpace(const QString &storePath);

// How CheckWorkingStoreSpace learns the free bytes of the file system that
// holds a path (statvfs: blocks available to this user × fragment size).
// nothing = unknown, which counts as enough: a file system that cannot say
// is not a reason to refuse a save.
using FreeSpaceProbe = std::function<std::optional<std::uint64_t>(const QString &path)>;
// Replaces the probe (tests simulate a full disk this way); an empty
// function restores the real one. Returns the previous probe.
FreeSpaceProbe SetFreeSpaceProbe(FreeSpaceProbe probe);

} // namespace orvel

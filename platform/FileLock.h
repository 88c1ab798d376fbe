#pragma once

#include <QString>

namespace orvel {

// The lock an open database holds on its file: an advisory whole-file read
// lock on a read descriptor (open file description lock). Other Orvel windows
// and processes can still open and read the file, but none writes a file that
// another one holds.
class FileLock
{
public:
    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Opens the file for reading and takes the lock. Fails when the file
    // cannot be opened; a file system without lock support still gives a
    // held descriptor (the lock is advisory).
    bool acquire(const QString &path);
    void release();
    bool isHeld() const { return m_fd >= 0; }
    const QString &path() const { return m_path; }
    // The descriptor, for reading the locked file without reopening it.
    int descriptor() const { return m_fd; }

    // True when a lock other than `own` is held on the file at `path`
    // (by this process's other documents or by another process).
    static bool IsHeldByAnother(const QString &path, FileLock *own = nullptr);

private:
    int m_fd = -1;
    QString m_path;
};

} // namespace orvel

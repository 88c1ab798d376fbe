#pragma once

// File primitives of the object store: descriptors, positioned reads and
// writes that finish or fail as a whole, and a streaming file copy. Plain
// POSIX calls, so that every short read and every failed write is seen where
// it happens, not later inside a buffered stream.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace orvel::objectio {

// Owns a file descriptor.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept
        : m_fd(other.release())
    {}
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    int release();
    void reset();
    // Closes and reports whether the close succeeded (a delayed write error
    // may show only here).
    bool close();

private:
    int m_fd = -1;
};

// open(2) on the file name in the local 8-bit encoding; close-on-exec.
UniqueFd OpenFile(const QString &path, int flags, unsigned mode = 0666);

// The file's length; nothing when it cannot be determined.
std::optional<std::uint64_t> FileLength(int fd);
// True when both descriptors name the same file.
bool SameFile(int a, int b);
// True when the two paths name one existing file.
bool SameFile(const QString &a, const QString &b);

// Reads exactly `size` bytes at `offset`; false on an error or a short read
// (the file ends early).
bool ReadAt(int fd, void *data, std::size_t size, std::uint64_t offset);
// Writes all `size` bytes at `offset`; false on any error.
bool WriteAt(int fd, const void *data, std::size_t size, std::uint64_t offset);

// Cuts the file to `length` bytes.
bool Truncate(int fd, std::uint64_t length);

// Copies `length` bytes from `from` at `fromOffset` to `to` at `toOffset`
// through `buffer`. False when the source ends early or a write fails.
bool CopyRange(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset, std::uint64_t length, char *buffer,
               std::size_t bufferSize);

// The chunk size of streaming copies.
inline constexpr std::size_t kCopyChunk = 64 * 1024;

} // namespace orvel::objectio

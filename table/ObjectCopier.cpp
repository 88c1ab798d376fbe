#include "table/ObjectCopier.h"
#include "platform/DiskSync.h"

#include "platform/ByteOrder.h"
#include "table/ObjectFileIo.h"
#include "table/ObjectStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace orvel {

using namespace objectio;

// Objects are read through a window on the source and written through a
// buffer on the target. Save As walks the records in order, and objects that
// were written in that order lie side by side, so one read serves many small
// objects; the target grows strictly by appending, so one write does too.
struct CObjectCopier::Impl
{
    explicit Impl(std::size_t size)
        : bufferSize(std::max<std::size_t>(size, 1))
        , window(std::make_unique_for_overwrite<char[]>(bufferSize))
    {}

    std::size_t bufferSize;
    QString targetPath;
    Mode mode = Replace;
    UniqueFd source;
    UniqueFd target;
    std::uint64_t sourceLength = 0;
    bool sameFile = false; // appending to the file being read
    bool targetTried = false;
    bool failed = false;
    bool finished = false;
    int copied = 0;

    std::unique_ptr<char[]> window;
    std::uint64_t windowStart = 0;
    std::size_t windowLength = 0;

    std::vector<char> pending;    // bytes not yet written to the target
    std::uint64_t flushedEnd = 0; // target length on disk

    std::uint64_t logicalEnd() const { return flushedEnd + pending.size(); }

    bool openTarget()
    {
        if (targetTried)
            return target.isOpen();
        targetTried = true;
        const int flags = mode == Replace ? O_RDWR | O_CREAT | O_TRUNC : O_RDWR | O_CREAT;
        target = OpenFile(targetPath, flags);
        if (!target.isOpen())
            return false;
        const std::optional<std::uint64_t> length = FileLength(target.get());
        // The magic is written every time, as a single write does: a store
        // that lost its first bytes is a store again afterwards.
        if (!length || !WriteAt(target.get(), kObjectFileMagic, kObjectFileMagicSize, 0)) {
            target.reset();
            return false;
        }
        flushedEnd = std::max(*length, kObjectFileMagicSize);
        sameFile = source.isOpen() && SameFile(source.get(), target.get());
        return true;
    }

    bool flush()
    {
        if (pending.empty())
            return true;
        if (!WriteAt(target.get(), pending.data(), pending.size(), flushedEnd)) {
            failed = true;
            return false;
        }
        flushedEnd += pending.size();
        pending.clear();
        return true;
    }

    bool append(const char *data, std::size_t size)
    {
        while (size > 0) {
            if (pending.size() == bufferSize && !flush())
                return false;
            const std::size_t chunk = std::min(size, bufferSize - pending.size());
            pending.insert(pending.end(), data, data + chunk);
            data += chunk;
            size -= chunk;
        }
        return true;
    }

    // Makes the window start at or before `offset` and hold at least one byte
    // after it; returns how many bytes from `offset` are in it (0: the source
    // ends or cannot be read).
    std::size_t view(std::uint64_t offset, const char **data)
    {
        if (offset < windowStart || offset >= windowStart + windowLength) {
            windowLength = 0;
            if (offset >= sourceLength)
                return 0;
            const std::size_t size =
                    static_cast<std::size_t>(std::min<std::uint64_t>(bufferSize, sourceLength - offset));
            if (!ReadAt(source.get(), window.get(), size, offset))
                return 0;
            windowStart = offset;
            windowLength = size;
        }
        const auto skip = static_cast<std::size_t>(offset - windowStart);
        *data = window.get() + skip;
        return windowLength - skip;
    }

    bool read(std::uint64_t offset, char *out, std::size_t size)
    {
        while (size > 0) {
            const char *data = nullptr;
            const std::size_t available = std::min(size, view(offset, &data));
            if (available == 0)
                return false;
            std::memcpy(out, data, available);
            out += available;
            offset += available;
            size -= available;
        }
        return true;
    }

    // Takes back an object that could not be completed, so that the target
    // holds no half object.
    void rollback(std::uint64_t start)
    {
        // When source and target are one file, the window may hold the
        // bytes being taken back.
        windowLength = 0;
        if (start >= flushedEnd) {
            pending.resize(static_cast<std::size_t>(start - flushedEnd));
            return;
        }
        pending.clear();
        if (Truncate(target.get(), start))
            flushedEnd = start;
        else
            failed = true;
    }
};

CObjectCopier::CObjectCopier(const QString &sourceObjectFile, const QString &targetObjectFile, Mode mode,
                             std::size_t bufferSize)
    : d(std::make_unique<Impl>(bufferSize))
{
    d->targetPath = targetObjectFile;
    d->mode = mode;
    d->source = OpenFile(sourceObjectFile, O_RDONLY);
    d->sourceLength = FileLength(d->source.get()).value_or(0);
    d->pending.reserve(d->bufferSize);
    // Truncating the file we are to read from would destroy every object in
    // it: refuse that outright.
    if (mode == Replace && SameFile(sourceObjectFile, targetObjectFile))
        d->failed = true;
    // An appended store is opened at once, so that its length is known.
    if (mode == Append && !d->failed && !d->openTarget())
        d->failed = true;
}

CObjectCopier::~CObjectCopier()
{
    if (!d->finished)
        d->flush();
}

std::optional<AnsiString> CObjectCopier::CopyObject(AnsiView reference)
{
    if (IsNoObjectReference(reference))
        return AnsiString();
    if (d->failed || d->finished || !d->source.isOpen())
        return std::nullopt;
    const std::optional<std::uint64_t> offset = ParseObjectReference(reference);
    if (!offset)
        return std::nullopt;
    if (d->sameFile) {
        // Objects appended earlier may be what the reference names.
        if (!d->flush())
            return std::nullopt;
        d->sourceLength = d->flushedEnd;
    }

    char header[4];
    if (*offset > d->sourceLength || d->sourceLength - *offset < kObjectLengthSize
        || !d->read(*offset, header, sizeof header))
        return std::nullopt;
    const std::uint32_t length = ReadLe32(header);
    if (length > d->sourceLength - *offset - kObjectLengthSize)
        return std::nullopt;
    if (!d->openTarget()) {
        d->failed = true;
        return std::nullopt;
    }

    const std::uint64_t start = d->logicalEnd();
    if (!d->append(header, sizeof header))
        return std::nullopt;
    std::uint64_t position = *offset + kObjectLengthSize;
    std::uint64_t remaining = length;
    while (remaining > 0) {
        const char *data = nullptr;
        const std::size_t available =
                static_cast<std::size_t>(std::min<std::uint64_t>(remaining, d->view(position, &data)));
        if (available == 0) {
            // The source shrank under us: no object rather than a torn one.
            d->rollback(start);
            return std::nullopt;
        }
        if (!d->append(data, available))
            return std::nullopt;
        position += available;
        remaining -= available;
    }
    ++d->copied;
    return FormatObjectReference(start);
}

bool CObjectCopier::Finish(bool flush)
{
    if (d->finished)
        return !d->failed;
    d->finished = true;
    if (d->target.isOpen()) {
        d->flush();
        if (flush && !SyncToDisk(d->target.get()))
            d->failed = true;
        if (!d->target.close())
            d->failed = true;
    }
    d->source.reset();
    return !d->failed;
}

bool CObjectCopier::wroteAny() const
{
    return d->copied > 0;
}

int CObjectCopier::copiedCount() const
{
    return d->copied;
}

std::uint64_t CObjectCopier::targetLength() const
{
    return d->target.isOpen() || d->finished ? d->logicalEnd() : 0;
}

} // namespace orvel

#include "table/WorkingStore.h"
#include "platform/DiskSync.h"

#include "platform/Services.h"
#include "platform/TempFile.h"
#include "resources/StringIds.h"
#include "table/ObjectFileIo.h"
#include "table/ObjectStore.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <memory>

namespace orvel {

using namespace objectio;

namespace {

// Copies the whole of `from` into `to` from offset 0 and cuts `to` to that
// length.
bool CopyWholeFile(int from, int to)
{
    const std::optional<std::uint64_t> length = FileLength(from);
    if (!length)
        return false;
    auto buffer = std::make_unique_for_overwrite<char[]>(kCopyChunk);
    return CopyRange(from, 0, to, 0, *length, buffer.get(), kCopyChunk) && Truncate(to, *length);
}

std::optional<std::uint64_t> StatvfsFreeSpace(const QString &path)
{
    struct statvfs info;
    if (::statvfs(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

FreeSpaceProbe &CurrentProbe()
{
    static FreeSpaceProbe probe;
    return probe;
}

} // namespace

CWorkingStore::CWorkingStore()
    : m_path(MakeTempFileName(QStringLiteral("tmp")))
{}

CWorkingStore::~CWorkingStore()
{
    RemoveFileQuietly(m_path);
}

std::uint64_t CWorkingStore::size() const
{
    const UniqueFd fd = OpenFile(m_path, O_RDONLY);
    return FileLength(fd.get()).value_or(0);
}

bool CWorkingStore::Clear()
{
    const UniqueFd fd = OpenFile(m_path, O_WRONLY | O_TRUNC);
    return fd.isOpen();
}

bool CWorkingStore::LoadFrom(const QString &objectFile)
{
    UniqueFd store = OpenFile(m_path, O_WRONLY | O_TRUNC);
    if (!store.isOpen())
        return false;
    const UniqueFd source = OpenFile(objectFile, O_RDONLY);
    if (!source.isOpen()) {
        // No object file is a database without objects; one that is there
        // but cannot be read is a failure.
        return !QFile::exists(objectFile);
    }
    if (!CopyWholeFile(source.get(), store.get()) || !store.close()) {
        Clear();
        return false;
    }
    return true;
}

bool CWorkingStore::CopyTo(const QString &target, bool flush) const
{
    const UniqueFd source = OpenFile(m_path, O_RDONLY);
    if (!source.isOpen() || SameFile(m_path, target))
        return false;
    UniqueFd out = OpenFile(target, O_WRONLY | O_CREAT | O_TRUNC);
    if (!out.isOpen() || !CopyWholeFile(source.get(), out.get()))
        return false;
    if (flush && !SyncToDisk(out.get()))
        return false;
    return out.close();
}

FreeSpaceProbe SetFreeSpaceProbe(FreeSpaceProbe probe)
{
    FreeSpaceProbe previous = std::move(CurrentProbe());
    CurrentProbe() = std::move(probe);
    return previous;
}

bool CheckWorkingStoreSpace(const QString &storePath)
{
    const UniqueFd store = OpenFile(storePath, O_RDONLY);
    const std::optional<std::uint64_t> length = FileLength(store.get());
    if (!store.isOpen() || !length)
        return false;
    const FreeSpaceProbe &probe = CurrentProbe();
    const std::optional<std::uint64_t> available = probe ? probe(storePath) : StatvfsFreeSpace(storePath);
    if (available && *available < *length) {
        MessageBoxById(ids::kMsgNoSpaceForObjects, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace orvel

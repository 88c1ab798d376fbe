#include "table/ObjectStore.h"

#include "platform/ByteOrder.h"
#include "platform/Services.h"
#include "platform/TempFile.h"
#include "resources/StringIds.h"
#include "table/ObjectFileIo.h"

#include <fcntl.h>

#include <algorithm>
#include <charconv>
#include <memory>

namespace orvel {

using namespace objectio;

bool IsNoObjectReference(AnsiView reference)
{
    return reference.empty() || reference == "0";
}

std::optional<std::uint64_t> ParseObjectReference(AnsiView reference)
{
    // from_chars alone would take "-5" apart from "5" but accept "12abc" as
    // 12; a reference is written as plain digits, so anything else is damage.
    if (reference.empty())
        return std::nullopt;
    for (const char c : reference) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(reference.data(), reference.data() + reference.size(), value);
    if (ec != std::errc() || end != reference.data() + reference.size() || value < kFirstObjectOffset)
        return std::nullopt;
    return value;
}

AnsiString FormatObjectReference(std::uint64_t offset)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, offset);
    return AnsiString(buffer, result.ptr);
}

QString ObjectFilePathFor(const QString &databasePath)
{
    const qsizetype slash = databasePath.lastIndexOf(u'/');
    const qsizetype dot = databasePath.lastIndexOf(u'.');
    if (dot > slash)
        return databasePath.left(dot + 1) + QStringLiteral("dbo");
    return databasePath + QStringLiteral(".dbo");
}

namespace {

// Where an object lies and how long it is, when it lies wholly inside a file
// of `fileLength` bytes.
struct ObjectExtent
{
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
};

std::optional<ObjectExtent> LocateObject(int fd, std::uint64_t fileLength, std::uint64_t offset)
{
    if (offset > fileLength || fileLength - offset < kObjectLengthSize)
        return std::nullopt;
    unsigned char header[4];
    if (!ReadAt(fd, header, sizeof header, offset))
        return std::nullopt;
    const std::uint32_t length = ReadLe32(header);
    if (length > fileLength - offset - kObjectLengthSize)
        return std::nullopt;
    return ObjectExtent{offset, length};
}

// Most objects are memo texts of a few KB: no need for a full chunk.
std::size_t CopyBufferSize(std::uint64_t length)
{
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(length, 1, kCopyChunk));
}

} // namespace

QString ReadObject(const QString &objectFile, AnsiView reference)
{
    WaitCursor wait;
    const UniqueFd in = OpenFile(objectFile, O_RDONLY);
    if (!in.isOpen())
        return QString();
    if (IsNoObjectReference(reference))
        return MakeTempFileName(QStringLiteral("tmp"));

    // Everything about the object is checked before a temporary file exists,
    // so that a failed read leaves nothing behind.
    const std::optional<std::uint64_t> offset = ParseObjectReference(reference);
    const std::optional<std::uint64_t> fileLength = FileLength(in.get());
    if (!offset || !fileLength)
        return QString();
    const std::optional<ObjectExtent> object = LocateObject(in.get(), *fileLength, *offset);
    if (!object)
        return QString();

    TempFile temp = TempFile::Create(QStringLiteral("tmp"));
    if (temp.isNull())
        return QString();
    UniqueFd out = OpenFile(temp.path(), O_WRONLY | O_TRUNC);
    if (!out.isOpen())
        return QString();
    const std::size_t bufferSize = CopyBufferSize(object->length);
    auto buffer = std::make_unique_for_overwrite<char[]>(bufferSize);
    if (!CopyRange(in.get(), object->offset + kObjectLengthSize, out.get(), 0, object->length, buffer.get(), bufferSize)
        || !out.close())
        return QString();
    return temp.release();
}

AnsiString WriteObject(const QString &sourcePath, AnsiView oldReference, const QString &objectFile)
{
    WaitCursor wait;
    // The source was handed over to the store and goes whatever happens, but
    // never when it is the object file itself: that would lose every object.
    TempFile source(sourcePath);
    if (SameFile(sourcePath, objectFile)) {
        source.release();
        return AnsiString();
    }

    const UniqueFd in = OpenFile(sourcePath, O_RDONLY);
    UniqueFd out = OpenFile(objectFile, O_RDWR | O_CREAT);
    if (!in.isOpen() || !out.isOpen())
        return AnsiString();
    if (!WriteAt(out.get(), kObjectFileMagic, kObjectFileMagicSize, 0))
        return AnsiString();
    const std::optional<std::uint64_t> sourceLength = FileLength(in.get());
    const std::optional<std::uint64_t> fileLength = FileLength(out.get());
    if (!sourceLength || !fileLength || *sourceLength > kMaxObjectSize)
        return AnsiString();
    const auto length = static_cast<std::uint32_t>(*sourceLength);

    // In place only over an object that is really there and long enough;
    // a damaged reference appends instead of overwriting whatever it names.
    std::uint64_t target = *fileLength;
    if (const std::optional<std::uint64_t> old = ParseObjectReference(oldReference)) {
        const std::optional<ObjectExtent> object = LocateObject(out.get(), *fileLength, *old);
        if (object && object->length >= length)
            target = object->offset;
    }

    unsigned char header[4];
    WriteLe32(header, length);
    const std::size_t bufferSize = CopyBufferSize(length);
    auto buffer = std::make_unique_for_overwrite<char[]>(bufferSize);
    const bool written =
            WriteAt(out.get(), header, sizeof header, target)
            && CopyRange(in.get(), 0, out.get(), target + kObjectLengthSize, length, buffer.get(), bufferSize);
    if (!written) {
        // A half-appended object would only be dead weight: cut it off (if
        // even that fails, the tail stays behind unreferenced). An object
        // rewritten in place is lost either way.
        if (target == *fileLength)
            Truncate(out.get(), *fileLength);
        return AnsiString();
    }
    if (!out.close())
        return AnsiString();
    return FormatObjectReference(target);
}

void ReportObjectsNotWritten()
{
    MessageBoxById(ids::kMsgObjectsNotWritten, MsgIcon::Exclamation);
}

} // namespace orvel

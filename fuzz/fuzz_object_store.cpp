// Takes the input as an object file and reads it the ways the program does:
// every object along the chain from offset 10, and a reference made of the
// input's last bytes (damaged values are text too). Each object is read with
// ReadObject, copied with CObjectCopier and rewritten with WriteObject; the
// three must agree on what the object is, and none may crash, hang or read
// outside the file.
#include "platform/TempFile.h"
#include "table/ObjectStore.h"

#include <QByteArray>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using orvel::AnsiString;

// Files of this process in the temporary folder; each input removes them
// again, since libFuzzer ends a run without running destructors.
QString ScratchFile(const char *role)
{
    return orvel::TempFolder() + QStringLiteral("/orvel-fuzz-object-store-") + QString::number(::getpid()) + u'-'
           + QLatin1String(role) + QStringLiteral(".dbo");
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

// The object's bytes, or nothing when ReadObject found none.
bool Read(const QString &store, const AnsiString &ref, QByteArray *bytes)
{
    const QString temp = orvel::ReadObject(store, ref);
    if (temp.isEmpty())
        return false;
    QFile file(temp);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    *bytes = file.readAll();
    file.close();
    QFile::remove(temp);
    return true;
}

std::vector<AnsiString> References(const uint8_t *data, size_t size)
{
    std::vector<AnsiString> refs;
    std::uint64_t offset = orvel::kFirstObjectOffset;
    for (int i = 0; i < 8 && offset + 4 <= size; ++i) {
        refs.push_back(orvel::FormatObjectReference(offset));
        const std::uint64_t length = std::uint64_t(data[offset]) | std::uint64_t(data[offset + 1]) << 8
                                     | std::uint64_t(data[offset + 2]) << 16 | std::uint64_t(data[offset + 3]) << 24;
        offset += 4 + length;
    }
    const size_t tail = size < 12 ? size : 12;
    refs.emplace_back(reinterpret_cast<const char *>(data) + size - tail, tail);
    return refs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (data == nullptr)
        return 0;
    const QString source = ScratchFile("source");
    const QString target = ScratchFile("target");
    const QString rewritten = ScratchFile("rewritten");
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    WriteFile(source, input);
    QFile::remove(target);

    const std::vector<AnsiString> refs = References(data, size);
    orvel::CObjectCopier copier(source, target, orvel::CObjectCopier::Replace);
    std::vector<std::pair<AnsiString, QByteArray>> copies;
    for (const AnsiString &ref : refs) {
        QByteArray bytes;
        const bool found = Read(source, ref, &bytes);
        const std::optional<AnsiString> copied = copier.CopyObject(ref);
        if (orvel::IsNoObjectReference(ref)) {
            if (!found || !bytes.isEmpty() || copied != AnsiString())
                std::abort();
            continue;
        }
        if (found != copied.has_value())
            std::abort();
        if (found)
            copies.emplace_back(*copied, bytes);

        // Rewriting whatever the reference names must give back the new bytes.
        WriteFile(rewritten, input);
        const QString temp = orvel::MakeTempFileName(QStringLiteral("tmp"));
        WriteFile(temp, QByteArray("rewritten"));
        const AnsiString newRef = orvel::WriteObject(temp, ref, rewritten);
        QByteArray back;
        if (QFile::exists(temp) || newRef.empty() || !Read(rewritten, newRef, &back) || back != "rewritten")
            std::abort();
    }
    if (!copier.Finish(false))
        std::abort();
    for (const auto &[ref, bytes] : copies) {
        QByteArray back;
        if (!Read(target, ref, &back) || back != bytes)
            std::abort();
    }
    for (const QString &path : {source, target, rewritten})
        QFile::remove(path);
    return 0;
}

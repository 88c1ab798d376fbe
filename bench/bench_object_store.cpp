// Save As rebuilds the object file object by object; a plain save copies the
// working store whole. The two are measured side by side on 10000 memo
// objects of 1 to 4 KB, so that the per-object cost stays visible.
#include "platform/TempFile.h"
#include "table/ObjectStore.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

#include <cstdint>
#include <vector>

namespace {

using namespace orvel;

constexpr int kMemoCount = 10000;

struct MemoStore
{
    QString folder;
    CWorkingStore working;
    std::vector<AnsiString> refs;

    MemoStore()
    {
        folder = TempFolder() + QStringLiteral("/orvel-bench-objects");
        QDir().mkpath(folder);
        // One write of the whole file: the layout is the object file's, and
        // building it through WriteObject would take longer than the runs.
        QByteArray bytes(kObjectFileMagic, int(kObjectFileMagicSize));
        std::uint32_t seed = 20261207;
        for (int i = 0; i < kMemoCount; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const std::uint32_t length = 1024 + (seed >> 8) % 3073;
            refs.push_back(FormatObjectReference(std::uint64_t(bytes.size())));
            for (int b = 0; b < 4; ++b)
                bytes += char(length >> (8 * b));
            bytes += QByteArray(int(length), char('a' + i % 26));
        }
        const QString file = folder + QStringLiteral("/memos.dbo");
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
        out.close();
        working.LoadFrom(file);
        QFile::remove(file);
    }
    ~MemoStore() { QDir(folder).removeRecursively(); }
};

MemoStore &Store()
{
    static MemoStore store;
    return store;
}

void ObjectStore_CompactMemos(benchmark::State &state)
{
    MemoStore &store = Store();
    const QString target = store.folder + QStringLiteral("/compacted.dbo");
    for (auto _ : state) {
        CObjectCopier copier(store.working.path(), target, CObjectCopier::Replace);
        for (const AnsiString &ref : store.refs)
            benchmark::DoNotOptimize(copier.CopyObject(ref));
        if (!copier.Finish(false))
            state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(store.working.size()));
    QFile::remove(target);
}
BENCHMARK(ObjectStore_CompactMemos)->Name("ObjectStore/CompactMemos")->Unit(benchmark::kMillisecond);

// The plain save of the same store, for comparison.
void ObjectStore_CopyFile(benchmark::State &state)
{
    MemoStore &store = Store();
    const QString target = store.folder + QStringLiteral("/copied.dbo");
    for (auto _ : state) {
        if (!store.working.CopyTo(target, false))
            state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(store.working.size()));
    QFile::remove(target);
}
BENCHMARK(ObjectStore_CopyFile)->Name("ObjectStore/CopyFile")->Unit(benchmark::kMillisecond);

} // namespace

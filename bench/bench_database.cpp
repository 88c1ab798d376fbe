// Opening and saving a database at the table's limits: 30000 records of 32
// fields of realistic German data, about 16 MB on disk.
#include "bench/GeneratedTable.h"
#include "document/DatabaseWriter.h"
#include "document/OrvelDoc.h"
#include "platform/DiskSync.h"
#include "platform/ScriptedServices.h"
#include "platform/TempFile.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

#include <memory>

namespace {

using namespace orvel;

struct GeneratedDatabase
{
    QString folder;
    QString path;

    GeneratedDatabase()
    {
        folder = TempFolder() + QStringLiteral("/orvel-bench-database");
        QDir().mkpath(folder);
        path = folder + QStringLiteral("/generated.ovd");
        const auto table = bench::MakeGeneratedTable();
        CFormObjects form;
        form.CreateDefaultForm(table->GetFieldCount());
        const PageSettings page;
        const CWorkingStore store;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        DatabaseWriteResult result;
        WriteDatabaseFile(file, {*table, form, page, store, false}, {path, folder + QStringLiteral("/generated.dbo")},
                          false, nullptr, result);
    }
    // 32 MB of files have no business staying in the temporary folder.
    ~GeneratedDatabase() { QDir(folder).removeRecursively(); }
    GeneratedDatabase(const GeneratedDatabase &) = delete;
    GeneratedDatabase &operator=(const GeneratedDatabase &) = delete;
};

const GeneratedDatabase &Generated()
{
    static const GeneratedDatabase database;
    return database;
}

// Progress and messages go nowhere.
ScriptedServices &QuietServices()
{
    static ScriptedServices services;
    installServices(&services);
    services.clear();
    return services;
}

void OpenDatabase(benchmark::State &state)
{
    const QString &path = Generated().path;
    QuietServices();
    std::size_t recordBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<COrvelDoc>();
        state.ResumeTiming();
        if (!doc->Open(path, true))
            state.SkipWithError("the generated database did not open");
        benchmark::DoNotOptimize(doc->GetTable().GetRecordCount());
        state.PauseTiming();
        recordBytes = doc->GetTable().RecordMemoryBytes();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["RecordMiB"] = double(recordBytes) / (1024.0 * 1024.0);
}
BENCHMARK(OpenDatabase)->Name("Database/Open")->Unit(benchmark::kMillisecond);

// Writing the file, without the flush to disk that a real save adds.
void SaveDatabase(benchmark::State &state)
{
    QuietServices();
    COrvelDoc doc;
    if (!doc.Open(Generated().path, true)) {
        state.SkipWithError("the generated database did not open");
        return;
    }
    const QString target = Generated().folder + QStringLiteral("/saved.ovd");
    const DatabaseWriteTarget where{target, Generated().folder + QStringLiteral("/saved.dbo")};
    for (auto _ : state) {
        state.PauseTiming();
        QFile file(target);
        file.open(QIODevice::ReadWrite | QIODevice::Truncate);
        state.ResumeTiming();
        if (!doc.WriteDatabase(file, where, false))
            state.SkipWithError("the database could not be written");
        state.PauseTiming();
        file.close();
        state.ResumeTiming();
    }
    QuietServices();
}
BENCHMARK(SaveDatabase)->Name("Database/Save")->Unit(benchmark::kMillisecond);

// 10000 records with a memo of 1-4 KB each, in the working store of an open
// document: Save As copies every object into a new object file.
struct MemoDatabase
{
    QString folder = TempFolder() + QStringLiteral("/orvel-bench-memos");
    std::unique_ptr<COrvelDoc> doc;

    MemoDatabase()
    {
        QDir().mkpath(folder);
        QuietServices();
        doc = std::make_unique<COrvelDoc>();
        CDataTable &table = doc->GetTable();
        table.SetFieldType(FT_MEMO, table.InsertField("Notiz"));
        uint32_t seed = 1;
        const QString scratch = folder + QStringLiteral("/memo.tmp");
        for (int i = 0; i < 10000; ++i) {
            seed = seed * 1103515245u + 12345u;
            QFile memo(scratch);
            memo.open(QIODevice::WriteOnly | QIODevice::Truncate);
            memo.write(QByteArray(1024 + int(seed >> 16) % 3072, char('a' + i % 26)));
            memo.close();
            const AnsiString reference = WriteObject(scratch, AnsiView(), doc->GetWorkingStorePath());
            auto record = table.CreateRecord(false);
            record->SetRawValue(reference, 0);
            table.AddRecord(std::move(record));
        }
    }
    ~MemoDatabase()
    {
        doc.reset();
        QDir(folder).removeRecursively();
    }
    MemoDatabase(const MemoDatabase &) = delete;
    MemoDatabase &operator=(const MemoDatabase &) = delete;
};

MemoDatabase &Memos()
{
    static MemoDatabase database;
    return database;
}

// Save As of the memo database, flushes included.
void SaveAsMemos(benchmark::State &state)
{
    MemoDatabase &memos = Memos();
    QuietServices();
    const QString target = memos.folder + QStringLiteral("/saved.ovd");
    for (auto _ : state) {
        if (!memos.doc->Save(target, 1, true))
            state.SkipWithError("the memo database could not be saved");
    }
    state.counters["ObjectMiB"] = double(memos.doc->GetWorkingStore().size()) / (1024.0 * 1024.0);
}
BENCHMARK(SaveAsMemos)->Name("Database/SaveAsMemos")->Unit(benchmark::kMillisecond);

// What Save As of the memo database is measured against: copying its object
// file and flushing the copy.
void CopyMemoObjectFile(benchmark::State &state)
{
    MemoDatabase &memos = Memos();
    const QString target = memos.folder + QStringLiteral("/copy.dbo");
    for (auto _ : state) {
        QFile::remove(target);
        QFile::copy(memos.doc->GetWorkingStorePath(), target);
        QFile copy(target);
        copy.open(QIODevice::ReadOnly);
        SyncToDisk(copy.handle());
    }
}
BENCHMARK(CopyMemoObjectFile)->Name("Database/CopyMemoObjectFile")->Unit(benchmark::kMillisecond);

} // namespace

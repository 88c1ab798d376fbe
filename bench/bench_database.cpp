// Opening and saving a database at the table's limits: 30000 records of 32
// fields of realistic German data, about 16 MB on disk.
#include "bench/GeneratedTable.h"
#include "document/DatabaseWriter.h"
#include "document/OrvelDoc.h"
#include "platform/ScriptedServices.h"
#include "platform/TempFile.h"

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

} // namespace

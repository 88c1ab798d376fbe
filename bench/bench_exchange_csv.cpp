// CSV import and export at the table's limits: 30000 records of 32 fields of
// generated German data, written as a German spreadsheet writes them (";",
// decimal commas, UTF-8 with a byte-order mark).
#include "bench/ExchangeBench.h"
#include "bench/GeneratedTable.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "exchange/MemoObjects.h"
#include "platform/TempFile.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

#include <memory>

namespace {

using namespace orvel;

struct CsvFiles
{
    QString folder = TempFolder() + QStringLiteral("/orvel-bench-csv");
    QString csvPath = folder + QStringLiteral("/generated.csv");
    QString storePath = folder + QStringLiteral("/work.dbo");
    std::unique_ptr<CDataTable> table = bench::MakeGeneratedTable();

    CsvFiles()
    {
        QDir().mkpath(folder);
        QFile file(csvPath);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            ExportCsv(*table, file, {}, storePath, nullptr);
    }
    ~CsvFiles() { QDir(folder).removeRecursively(); }
    CsvFiles(const CsvFiles &) = delete;
    CsvFiles &operator=(const CsvFiles &) = delete;
};

CsvFiles &Files()
{
    static CsvFiles files;
    return files;
}

void ImportCsvFile(benchmark::State &state)
{
    const CsvFiles &files = Files();
    bench::QuietServices();
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<CDataTable>();
        QFile::remove(files.storePath);
        state.ResumeTiming();
        QFile file(files.csvPath);
        ObjectFileMemoSink memos(files.storePath);
        if (!file.open(QIODevice::ReadOnly) || ImportCsv(*table, file, {}, memos, nullptr) != 1
            || table->GetRecordCount() != 30000 || table->GetFieldCount() != 32)
            state.SkipWithError("the generated CSV file did not import");
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.counters["FileMiB"] = double(QFile(files.csvPath).size()) / (1024.0 * 1024.0);
}
BENCHMARK(ImportCsvFile)->Name("Exchange/ImportCsv")->Unit(benchmark::kMillisecond);

void ExportCsvWith(benchmark::State &state, int parts)
{
    const CsvFiles &files = Files();
    bench::RunFileExport(state, files.folder + QStringLiteral("/export.csv"), [&](QIODevice &out) {
        return ExportCsv(*files.table, out, {}, files.storePath, nullptr, parts);
    });
}
void ExportCsvFile(benchmark::State &state)
{
    ExportCsvWith(state, 0);
}
BENCHMARK(ExportCsvFile)->Name("Exchange/ExportCsv")->Unit(benchmark::kMillisecond);

// The same formatted by the calling thread alone.
void ExportCsvOneThread(benchmark::State &state)
{
    ExportCsvWith(state, 1);
}
BENCHMARK(ExportCsvOneThread)->Name("Exchange/ExportCsvOneThread")->Unit(benchmark::kMillisecond);

} // namespace

// The text exports and the SDF import at the table's limits: 30000 records of
// 32 fields of generated German data (the SDF file is about 13.6 MB).
#include "bench/ExchangeBench.h"
#include "bench/GeneratedTable.h"
#include "exchange/HtmlExport.h"
#include "exchange/MergeTextExport.h"
#include "exchange/SdfExport.h"
#include "exchange/SdfImport.h"
#include "platform/TempFile.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

#include <functional>
#include <memory>

namespace {

using namespace orvel;

struct ExchangeFiles
{
    QString folder = TempFolder() + QStringLiteral("/orvel-bench-exchange");
    QString sdfPath = folder + QStringLiteral("/generated.sdf");
    std::unique_ptr<CDataTable> table = bench::MakeGeneratedTable();

    ExchangeFiles()
    {
        QDir().mkpath(folder);
        QFile file(sdfPath);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            ExportSdf(*table, file, ExchangeCharSet::Dos, nullptr);
    }
    ~ExchangeFiles() { QDir(folder).removeRecursively(); }
    ExchangeFiles(const ExchangeFiles &) = delete;
    ExchangeFiles &operator=(const ExchangeFiles &) = delete;
};

ExchangeFiles &Files()
{
    static ExchangeFiles files;
    return files;
}

void ImportSdfFile(benchmark::State &state)
{
    const QString &path = Files().sdfPath;
    bench::QuietServices();
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<CDataTable>();
        state.ResumeTiming();
        if (ImportSdf(*table, path, ExchangeCharSet::Dos, nullptr) != 1 || table->GetRecordCount() != 30000)
            state.SkipWithError("the generated SDF file did not import");
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.counters["FileMiB"] = double(QFile(path).size()) / (1024.0 * 1024.0);
}
BENCHMARK(ImportSdfFile)->Name("Exchange/ImportSdf")->Unit(benchmark::kMillisecond);

// Each export writes a fresh file in the temporary folder.
void RunExport(benchmark::State &state, const char *name, const std::function<int(QIODevice &)> &write)
{
    bench::RunFileExport(state, Files().folder + QLatin1Char('/') + QLatin1String(name), write);
}

void ExportSdfFile(benchmark::State &state)
{
    const CDataTable &table = *Files().table;
    RunExport(state, "export.sdf",
              [&](QIODevice &out) { return ExportSdf(table, out, ExchangeCharSet::Dos, nullptr); });
}
BENCHMARK(ExportSdfFile)->Name("Exchange/ExportSdf")->Unit(benchmark::kMillisecond);

// The same formatted by the calling thread alone (the export splits the
// records over the processor cores otherwise).
void ExportSdfOneThread(benchmark::State &state)
{
    const CDataTable &table = *Files().table;
    RunExport(state, "export.sdf",
              [&](QIODevice &out) { return ExportSdf(table, out, ExchangeCharSet::Dos, nullptr, 1); });
}
BENCHMARK(ExportSdfOneThread)->Name("Exchange/ExportSdfOneThread")->Unit(benchmark::kMillisecond);

void ExportHtmlFile(benchmark::State &state)
{
    const CDataTable &table = *Files().table;
    RunExport(state, "export.htm",
              [&](QIODevice &out) { return ExportHtml(table, out, QStringLiteral("export.htm"), nullptr); });
}
BENCHMARK(ExportHtmlFile)->Name("Exchange/ExportHtml")->Unit(benchmark::kMillisecond);

void ExportHtmlOneThread(benchmark::State &state)
{
    const CDataTable &table = *Files().table;
    RunExport(state, "export.htm",
              [&](QIODevice &out) { return ExportHtml(table, out, QStringLiteral("export.htm"), nullptr, 1); });
}
BENCHMARK(ExportHtmlOneThread)->Name("Exchange/ExportHtmlOneThread")->Unit(benchmark::kMillisecond);

void ExportMergeTextFile(benchmark::State &state)
{
    const CDataTable &table = *Files().table;
    RunExport(state, "export.txt", [&](QIODevice &out) { return ExportMergeText(table, out, nullptr); });
}
BENCHMARK(ExportMergeTextFile)->Name("Exchange/ExportMergeText")->Unit(benchmark::kMillisecond);

} // namespace

// dBASE import and export at the table's limits: 30000 records of 32 fields
// of realistic German data, about 28 MB as a dBASE file.
#include "bench/GeneratedTable.h"
#include "exchange/DbaseExport.h"
#include "exchange/DbaseImport.h"
#include "platform/ScriptedServices.h"
#include "table/DataTable.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>

#include <memory>

namespace {

using namespace orvel;

// Progress and messages go nowhere.
ScriptedServices &QuietServices()
{
    static ScriptedServices services;
    installServices(&services);
    services.clear();
    return services;
}

// The generated table written once as a dBASE file.
const QByteArray &GeneratedDbaseFile()
{
    static const QByteArray bytes = [] {
        const auto table = bench::MakeGeneratedTable();
        QByteArray file;
        QBuffer buffer(&file);
        buffer.open(QIODevice::WriteOnly);
        ExportDbase(*table, buffer, ExchangeCharSet::Dos, nullptr);
        return file;
    }();
    return bytes;
}

void ImportDbaseFile(benchmark::State &state)
{
    ScriptedServices &services = QuietServices();
    QByteArray bytes = GeneratedDbaseFile();
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<CDataTable>();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        auto progress = services.beginProgress(0, 0, 0);
        state.ResumeTiming();
        if (ImportDbase(*table, buffer, ExchangeCharSet::Dos, progress.get()) != 1)
            state.SkipWithError("the generated dBASE file was not read");
        benchmark::DoNotOptimize(table->GetRecordCount());
        state.PauseTiming();
        progress.reset();
        table.reset();
        services.clear();
        state.ResumeTiming();
    }
    state.counters["FileMiB"] = double(bytes.size()) / (1024.0 * 1024.0);
}
BENCHMARK(ImportDbaseFile)->Name("Exchange/ImportDbase")->Unit(benchmark::kMillisecond);

void ExportDbaseFile(benchmark::State &state)
{
    ScriptedServices &services = QuietServices();
    const auto table = bench::MakeGeneratedTable();
    const qsizetype size = GeneratedDbaseFile().size();
    QByteArray bytes;
    bytes.reserve(size);
    for (auto _ : state) {
        state.PauseTiming();
        bytes.resize(0);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        auto progress = services.beginProgress(0, 0, 0);
        state.ResumeTiming();
        if (ExportDbase(*table, buffer, ExchangeCharSet::Dos, progress.get()) != 1)
            state.SkipWithError("the generated table was not written");
        state.PauseTiming();
        progress.reset();
        services.clear();
        state.ResumeTiming();
    }
    state.counters["FileMiB"] = double(size) / (1024.0 * 1024.0);
}
BENCHMARK(ExportDbaseFile)->Name("Exchange/ExportDbase")->Unit(benchmark::kMillisecond);

} // namespace

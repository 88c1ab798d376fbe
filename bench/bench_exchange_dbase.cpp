// dBASE import and export at the table's limits: 30000 records of 32 fields
// of realistic German data, about 28 MB as a dBASE file; and the import of
// the same table with its two note fields as memo fields in a .dbt file.
#include "bench/GeneratedTable.h"
#include "document/DatabaseWriter.h"
#include "document/PageSettings.h"
#include "exchange/DbaseExport.h"
#include "exchange/DbaseImport.h"
#include "form/FormObjects.h"
#include "platform/ScriptedServices.h"
#include "platform/TempFile.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/ObjectStore.h"
#include "table/RecordStream.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>

#include <algorithm>
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

// The generated dBASE file on disk, for the benchmarks that read a file.
bool WriteGeneratedDbaseFile(const QString &path)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(GeneratedDbaseFile()) >= 0;
}

// The same file read from disk in the Windows character set, as
// "orvel-cli convert daten.dbf daten.ovd --charset ansi" reads it: through
// the stretches of a QFile, without a code page to convert.
void ImportDbaseFromDisk(benchmark::State &state)
{
    QuietServices();
    const QString path = TempFolder() + QStringLiteral("/orvel-bench-import.dbf");
    if (!WriteGeneratedDbaseFile(path)) {
        state.SkipWithError("the dBASE file could not be written");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<CDataTable>();
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        state.ResumeTiming();
        if (ImportDbase(*table, in, ExchangeCharSet::Ansi, nullptr) != 1 || table->GetRecordCount() != 30000)
            state.SkipWithError("the dBASE file was not read");
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    QFile::remove(path);
}
BENCHMARK(ImportDbaseFromDisk)->Name("Exchange/ImportDbaseFromDisk")->Unit(benchmark::kMillisecond);

// "orvel-cli convert daten.dbf daten.ovd --charset ansi" without the
// process around it: the dBASE file on disk converted into a database file,
// its records streamed (Arg 1) or read into the table first and then saved
// (Arg 0).
void ConvertDbaseToDatabase(benchmark::State &state)
{
    QuietServices();
    const bool streamed = state.range(0) != 0;
    const QString folder = TempFolder() + QStringLiteral("/orvel-bench-convert");
    QDir().mkpath(folder);
    const QString source = folder + QStringLiteral("/daten.dbf");
    const QString target = folder + QStringLiteral("/daten.ovd");
    if (!WriteGeneratedDbaseFile(source)) {
        state.SkipWithError("the dBASE file could not be written");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        auto table = std::make_unique<CDataTable>();
        auto in = std::make_unique<QFile>(source);
        in->open(QIODevice::ReadOnly);
        QFile out(target);
        out.open(QIODevice::ReadWrite | QIODevice::Truncate);
        state.ResumeTiming();
        std::unique_ptr<RecordStream> stream;
        const int read = streamed ? StreamDbase(*table, std::move(in), ExchangeCharSet::Ansi, nullptr, {}, stream)
                                  : ImportDbase(*table, *in, ExchangeCharSet::Ansi, nullptr);
        CFormObjects form;
        form.CreateDefaultForm(table->GetFieldCount());
        const PageSettings page;
        const CWorkingStore store;
        DatabaseWriteResult result;
        if (read != 1
            || !WriteDatabaseFile(out, {*table, form, page, store, false, stream.get()},
                                  {target, folder + QStringLiteral("/daten.dbo")}, true, nullptr, result))
            state.SkipWithError("the dBASE file was not converted");
        state.PauseTiming();
        out.close();
        table.reset();
        state.ResumeTiming();
    }
    QDir(folder).removeRecursively();
}
BENCHMARK(ConvertDbaseToDatabase)
        ->Name("Exchange/ConvertDbaseToDatabase")
        ->ArgName("streamed")
        ->Arg(0)
        ->Arg(1)
        ->Unit(benchmark::kMillisecond);

// The generated table as a dBASE III table with a memo file: the two note
// fields (18 and 19) become memo fields whose texts lie in 512-byte blocks,
// the others character fields as wide as their longest value.
struct MemoTable
{
    QByteArray table;
    QByteArray memo;
};

const MemoTable &GeneratedMemoTable()
{
    static const MemoTable files = [] {
        const auto source = bench::MakeGeneratedTable();
        const int fields = source->GetFieldCount();
        const auto isMemo = [](int k) { return k == 18 || k == 19; };
        std::vector<int> widths(std::size_t(fields), 1);
        for (int i = 0; i < source->GetRecordCount(); ++i) {
            for (int k = 0; k < fields; ++k) {
                const auto size = int(source->GetRecord(i)->GetRawValue(k).size());
                widths[std::size_t(k)] = isMemo(k) ? 10 : std::clamp(size, widths[std::size_t(k)], 254);
            }
        }
        MemoTable made;
        made.memo = QByteArray(512, '\0');
        QByteArray &table = made.table;
        table = QByteArray(32, '\0');
        table[0] = char(0x83);
        const auto put = [&table](int at, unsigned value, int size) {
            for (int i = 0; i < size; ++i)
                table[at + i] = char((value >> (8 * i)) & 0xFF);
        };
        put(4, unsigned(source->GetRecordCount()), 4);
        put(8, unsigned(32 * fields + 33), 2);
        for (int k = 0; k < fields; ++k) {
            QByteArray descriptor(32, '\0');
            descriptor.replace(0, 3, QByteArray("F") + QByteArray::number(k).rightJustified(2, '0'));
            descriptor[11] = isMemo(k) ? 'M' : 'C';
            descriptor[16] = char(widths[std::size_t(k)]);
            table += descriptor;
        }
        table += '\x0D';
        for (int i = 0; i < source->GetRecordCount(); ++i) {
            table += ' ';
            for (int k = 0; k < fields; ++k) {
                const AnsiView value = source->GetRecord(i)->GetRawValue(k);
                const QByteArray bytes(value.data(), qsizetype(value.size()));
                if (!isMemo(k)) {
                    table += bytes.left(widths[std::size_t(k)]).leftJustified(widths[std::size_t(k)], ' ');
                    continue;
                }
                if (bytes.isEmpty()) {
                    table += QByteArray(10, ' ');
                    continue;
                }
                table += QByteArray::number(made.memo.size() / 512).rightJustified(10, ' ');
                const QByteArray stored = bytes + "\x1A\x1A";
                made.memo += stored.leftJustified((stored.size() + 511) / 512 * 512, '\0');
            }
        }
        table += '\x1A';
        return made;
    }();
    return files;
}

void ImportDbaseWithMemos(benchmark::State &state)
{
    ScriptedServices &services = QuietServices();
    const MemoTable &files = GeneratedMemoTable();
    QByteArray table = files.table;
    QByteArray memo = files.memo;
    TempFile store = TempFile::Create(QStringLiteral("TMP"), QStringLiteral("tmp"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::resize(store.path(), 0);
        auto imported = std::make_unique<CDataTable>();
        QBuffer tableFile(&table);
        tableFile.open(QIODevice::ReadOnly);
        QBuffer memoFile(&memo);
        memoFile.open(QIODevice::ReadOnly);
        DbaseMemoSource source;
        source.file = &memoFile;
        source.name = QStringLiteral("BENCH.DBT");
        source.objectStore = store.path();
        state.ResumeTiming();
        if (ImportDbase(*imported, tableFile, ExchangeCharSet::Ansi, nullptr, source) != 1
            || !services.messages().empty()) {
            state.SkipWithError("the generated dBASE file with memos was not read whole");
            break;
        }
        benchmark::DoNotOptimize(imported->GetRecordCount());
        state.PauseTiming();
        imported.reset();
        services.clear();
        state.ResumeTiming();
    }
    state.counters["FileMiB"] = double(table.size() + memo.size()) / (1024.0 * 1024.0);
}
BENCHMARK(ImportDbaseWithMemos)->Name("Exchange/ImportDbaseWithMemos")->Unit(benchmark::kMillisecond);

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

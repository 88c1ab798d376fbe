// Sorting and the duplicate search at the table's limits: 30000 records of
// 32 fields from the seeded generator.

#include "bench/GeneratedTable.h"
#include "platform/Collation.h"
#include "table/Duplicates.h"
#include "table/GermanFold.h"
#include "table/SortKeys.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace orvel;

namespace {

// Display positions of the generated table's fields.
constexpr int kName = 0;
constexpr int kVorname = 1;
constexpr int kPlz = 3;
constexpr int kOrt = 4;
constexpr int kUmsatz = 21;
constexpr int kGeburtstag = 26;

CDataTable &generatedTable()
{
    static const std::unique_ptr<CDataTable> table = bench::MakeGeneratedTable();
    return *table;
}

SortKeys keysOf(int field1, int desc1, int field2, int desc2, int field3, int desc3)
{
    SortKeys keys;
    keys.key[0] = {field1, desc1};
    keys.key[1] = {field2, desc2};
    keys.key[2] = {field3, desc3};
    return keys;
}

void sortOrFail(benchmark::State &state, CDataTable &table, SortKeys keys)
{
    if (!table.Sort(keys))
        state.SkipWithError("sort ran out of memory");
}

// Two key sets taken in turn, so that every sort starts from an order that
// is not already its own.
void runSorts(benchmark::State &state, const SortKeys &first, const SortKeys &second, bool cold)
{
    CDataTable &table = generatedTable();
    sortOrFail(state, table, second);
    sortOrFail(state, table, first); // both sets warm
    bool even = true;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            ReleaseCollationCache();
            table.ReleaseSortCache();
            state.ResumeTiming();
        }
        sortOrFail(state, table, even ? second : first);
        even = !even;
    }
    state.SetItemsProcessed(state.iterations() * table.GetRecordCount());
}

void Sort3Keys(benchmark::State &state)
{
    runSorts(state, keysOf(kName, 0, kVorname, 0, kOrt, 0), keysOf(kOrt, 0, kName, 1, kVorname, 0), false);
}
BENCHMARK(Sort3Keys)->Name("Table/Sort3Keys")->Unit(benchmark::kMillisecond);

void SortTextDateNumber(benchmark::State &state)
{
    runSorts(state, keysOf(kOrt, 0, kGeburtstag, 1, kUmsatz, 0), keysOf(kUmsatz, 1, kOrt, 0, kGeburtstag, 0), false);
}
BENCHMARK(SortTextDateNumber)->Name("Table/SortTextDateNumber")->Unit(benchmark::kMillisecond);

// Right after loading: no key of any value known yet.
void Sort3KeysCold(benchmark::State &state)
{
    runSorts(state, keysOf(kName, 0, kVorname, 0, kOrt, 0), keysOf(kOrt, 0, kName, 1, kVorname, 0), true);
}
BENCHMARK(Sort3KeysCold)->Name("Table/Sort3KeysCold")->Unit(benchmark::kMillisecond);

// Name, first name and town compared; the sort by name is included and
// starts from the order of the postcodes each time.
void MarkDuplicatesBench(benchmark::State &state)
{
    CDataTable &table = generatedTable();
    const std::vector<int> fields{kName, kVorname, kOrt};
    int marked = 0;
    for (auto _ : state) {
        state.PauseTiming();
        table.UnmarkAllRecords();
        sortOrFail(state, table, keysOf(kPlz, 0, -1, 0, -1, 0));
        state.ResumeTiming();
        marked = MarkDuplicates(table, fields);
        benchmark::DoNotOptimize(marked);
    }
    table.UnmarkAllRecords();
    state.counters["marked"] = marked;
    state.SetItemsProcessed(state.iterations() * table.GetRecordCount());
}
BENCHMARK(MarkDuplicatesBench)->Name("Table/MarkDuplicates")->Unit(benchmark::kMillisecond);

// The same with similar spellings (and by sound) counted as equal: every
// value folded, the records grouped by a hash map.
void MarkDuplicatesMatchBench(benchmark::State &state, DuplicateMatch match)
{
    CDataTable &table = generatedTable();
    const std::vector<int> fields{kName, kVorname, kOrt};
    int marked = 0;
    for (auto _ : state) {
        state.PauseTiming();
        table.UnmarkAllRecords();
        sortOrFail(state, table, keysOf(kPlz, 0, -1, 0, -1, 0));
        state.ResumeTiming();
        marked = MarkDuplicates(table, fields, match);
        benchmark::DoNotOptimize(marked);
    }
    table.UnmarkAllRecords();
    state.counters["marked"] = marked;
    state.SetItemsProcessed(state.iterations() * table.GetRecordCount());
}
BENCHMARK_CAPTURE(MarkDuplicatesMatchBench, similar, DuplicateMatch::Similar)
        ->Name("Table/MarkDuplicatesFuzzy")
        ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MarkDuplicatesMatchBench, sound, DuplicateMatch::Sound)
        ->Name("Table/MarkDuplicatesPhonetic")
        ->Unit(benchmark::kMillisecond);

// Folding and coding 30000 values of 255 bytes: umlauts and sharp s that
// double, punctuation only, and one long word of letters.
void FoldLongValues(benchmark::State &state)
{
    const AnsiString values[] = {AnsiString(255, '\xDF'), AnsiString(255, '.'), AnsiString(255, 'm'),
                                 AnsiString(255, '\xFC')};
    AnsiString out;
    AnsiString scratch;
    out.reserve(1024);
    for (auto _ : state) {
        for (int i = 0; i < 30000; ++i) {
            out.clear();
            AppendPhoneticKey(values[i % 4], out, scratch);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * 30000);
}
BENCHMARK(FoldLongValues)->Name("Table/FoldLongValues")->Unit(benchmark::kMillisecond);

std::size_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    statm >> pages >> resident;
    return resident * std::size_t(sysconf(_SC_PAGESIZE));
}

// What a full table costs: its records (objects, value buffers, the array),
// the keys a three-key sort keeps, and the growth of the resident set while
// the table is made and sorted.
void Memory(benchmark::State &state)
{
    std::size_t recordBytes = 0;
    std::size_t sortBytes = 0;
    std::size_t rssGrowth = 0;
    for (auto _ : state) {
#if defined(__GLIBC__)
        malloc_trim(0); // what earlier tables freed goes back first
#endif
        const std::size_t before = residentBytes();
        auto table = bench::MakeGeneratedTable();
        SortKeys keys = keysOf(kName, 0, kVorname, 0, kOrt, 0);
        table->Sort(keys);
        rssGrowth = residentBytes() - before;
        recordBytes = table->RecordMemoryBytes();
        sortBytes = table->SortCacheBytes();
        benchmark::DoNotOptimize(table);
    }
    using benchmark::Counter;
    state.counters["RecordBytes"] = Counter(double(recordBytes), Counter::kDefaults, Counter::kIs1024);
    state.counters["SortCacheBytes"] = Counter(double(sortBytes), Counter::kDefaults, Counter::kIs1024);
    state.counters["RssGrowth"] = Counter(double(rssGrowth), Counter::kDefaults, Counter::kIs1024);
}
BENCHMARK(Memory)->Name("Table/Memory")->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

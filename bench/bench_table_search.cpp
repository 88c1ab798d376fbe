#include "bench/GeneratedTable.h"
#include "table/DataTable.h"
#include "table/Search.h"

#include <benchmark/benchmark.h>

namespace {

using namespace orvel;

// Field positions of the generated table.
constexpr int kNotesField = 18; // free text up to 255 bytes
constexpr int kSalesField = 21; // numeric, 2 decimals, up to 1.000.000

CDataTable &SearchTable()
{
    static const std::unique_ptr<CDataTable> table = bench::MakeGeneratedTable();
    return *table;
}

// "Alle markieren" over the whole table; the marks are cleared outside the
// timing so that every iteration tests and marks every record anew.
void MarkAll(benchmark::State &state, const SearchCriterion &criterion)
{
    CDataTable &table = SearchTable();
    const SearchSpec spec{criterion, {}};
    int marked = 0;
    for (auto _ : state) {
        marked = MarkMatches(table, spec, SL_NONE);
        benchmark::DoNotOptimize(marked);
        state.PauseTiming();
        table.UnmarkAllRecords();
        state.ResumeTiming();
    }
    state.counters["marked"] = marked;
}

// A word with an umlaut typed in lower case: found as "Gewähr" only when
// both sides are folded.
void BM_FindText(benchmark::State &state)
{
    MarkAll(state, SearchCriterion{kNotesField, 0, "gew\xE4hr", {}});
}

// A number as the user sees it: every value is formatted for the locale
// before it is searched.
void BM_FindNumeric(benchmark::State &state)
{
    MarkAll(state, SearchCriterion{kSalesField, 0, "1.000", {}});
}

} // namespace

BENCHMARK(BM_FindText)->Name("Table/FindText")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNumeric)->Name("Table/FindNumeric")->Unit(benchmark::kMillisecond);

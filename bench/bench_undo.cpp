// Undo and redo at the table's limits: taking back a sort and a replace-all
// over 30000 records of 32 fields, what 100 cell edits add to the undo
// list, and taking back a move in the designer on the generated form of the
// 32 fields (with the 30000 records behind it).

#include "bench/GeneratedTable.h"
#include "document/DocumentRecorder.h"
#include "document/OrvelDoc.h"
#include "form/FormObjects.h"
#include "table/DataRecord.h"
#include "table/Search.h"
#include "table/SortKeys.h"
#include "table/TableJournal.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace orvel;

namespace {

constexpr int kName = 0;
constexpr int kOrt = 4;

// Times Undo alone; the Redo that brings the step back for the next round
// is not counted.
void undoRounds(benchmark::State &state, CDataTable &table, CTableJournal &journal)
{
    for (auto _ : state) {
        if (!journal.Undo(table)) {
            state.SkipWithError("undo refused");
            return;
        }
        state.PauseTiming();
        journal.Redo(table);
        state.ResumeTiming();
    }
    state.counters["step_bytes"] = double(journal.Bytes());
}

void UndoSort(benchmark::State &state)
{
    auto table = bench::MakeGeneratedTable();
    SortKeys keys;
    keys.key[0] = {kOrt, 0};
    keys.key[1] = {kName, 1};
    CTableJournal journal;
    journal.Begin(*table);
    table->Sort(keys);
    journal.Finish();
    undoRounds(state, *table, journal);
}
BENCHMARK(UndoSort)->Name("Undo/UndoSort")->Unit(benchmark::kMillisecond);

void UndoReplaceAll(benchmark::State &state)
{
    auto table = bench::MakeGeneratedTable();
    // A letter most town names hold: most of the 30000 values change.
    SearchCriterion criterion{kOrt, 0, "e", "E"};
    CTableJournal journal;
    journal.Begin(*table);
    const int replaced = ReplaceAll(*table, criterion);
    journal.Finish();
    state.counters["replaced"] = replaced;
    undoRounds(state, *table, journal);
}
BENCHMARK(UndoReplaceAll)->Name("Undo/UndoReplaceAll")->Unit(benchmark::kMillisecond);

std::size_t heapInUse()
{
#if defined(__GLIBC__)
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

// 100 edits of single cells, each one step as the undo list keeps it: the
// heap they add beyond the values themselves.
void CellEditSteps(benchmark::State &state)
{
    auto table = bench::MakeGeneratedTable();
    std::size_t added = 0;
    std::size_t journalBytes = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<CTableJournal>> steps;
        const std::size_t before = heapInUse();
        for (int i = 0; i < 100; ++i) {
            auto journal = std::make_unique<CTableJournal>();
            journal->Begin(*table);
            table->GetRecord(i * 293)->SetValue("Ge\xE4ndert " + std::to_string(i), i % 32);
            journal->Finish();
            steps.push_back(std::move(journal));
        }
        added = heapInUse() - before;
        journalBytes = 0;
        for (const auto &step : steps)
            journalBytes += step->Bytes();
        state.PauseTiming();
        for (auto it = steps.rbegin(); it != steps.rend(); ++it)
            (*it)->Undo(*table);
        state.ResumeTiming();
    }
    state.counters["heap_added"] = double(added);
    state.counters["journal_bytes"] = double(journalBytes);
}
BENCHMARK(CellEditSteps)->Name("Undo/CellEdits100")->Unit(benchmark::kMicrosecond);

// A step of the designer: every data field moved, as a drag of the whole
// selection does. Times the undo (its check of the form and the form put
// back); the step's size is reported.
void UndoFormStep(benchmark::State &state)
{
    COrvelDoc doc;
    bench::FillGeneratedTable(doc.GetTable(), 30000);
    doc.CreateDefaultForm();
    std::unique_ptr<CDocumentStep> step;
    doc.GetRecorder().SetSink(
            [&step](std::unique_ptr<CDocumentStep> made, const QString &, int) { step = std::move(made); });
    {
        const CDocumentStepScope scope(doc.GetRecorder(), QStringLiteral("Verschieben"), 0, true);
        CFormObjects &form = doc.GetForm();
        for (const auto &object : form.GetObjects()) {
            RECT moved = object->position;
            OffsetRect(moved, 20, 10);
            form.MoveObject(object.get(), moved);
        }
    }
    if (!step) {
        state.SkipWithError("no step");
        return;
    }
    for (auto _ : state) {
        if (!step->Undo(doc.GetTable(), doc.GetForm(), &doc.GetPageSettings())) {
            state.SkipWithError("undo refused");
            return;
        }
        state.PauseTiming();
        step->Redo(doc.GetTable(), doc.GetForm(), &doc.GetPageSettings());
        state.ResumeTiming();
    }
    state.counters["objects"] = double(doc.GetForm().GetObjects().size());
    state.counters["step_bytes"] = double(step->Bytes());
}
BENCHMARK(UndoFormStep)->Name("Undo/UndoFormStep")->Unit(benchmark::kMillisecond);

} // namespace

// The list grid at the table's limits: a 1280 × 800 grid over the generated
// 32 fields, paged through and painted synchronously, frame by frame.
#include "bench/GeneratedTable.h"
#include "bench/WidgetBench.h"
#include "document/OrvelDoc.h"
#include "listview/ListGrid.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

using namespace orvel;
using bench::EnsureApplication;
using bench::Median;
using bench::QuietServices;

class BenchHost : public ListGridHost
{
public:
    int currentRecord() const override { return m_record; }
    int currentField() const override { return m_field; }
    void setCurrentCell(int record, int field) override
    {
        m_record = record;
        m_field = field;
    }
    void appendIfNeeded() override {}
    void notifyOtherViews(const UpdateHint &) override {}
    void showStatusText(const QString &) override {}
    LOGFONT gridFont() const override { return StockFont(ANSI_VAR_FONT); }

private:
    int m_record = 0;
    int m_field = 0;
};

// An opened document of generated records, kept per size.
COrvelDoc &GeneratedDocument(int records)
{
    static std::map<int, std::unique_ptr<COrvelDoc>> documents;
    auto &doc = documents[records];
    if (!doc) {
        doc = std::make_unique<COrvelDoc>();
        bench::FillGeneratedTable(doc->GetTable(), records);
        doc->CreateDefaultForm();
    }
    return *doc;
}

struct ShownGrid
{
    BenchHost host;
    std::unique_ptr<CListGrid> grid;

    explicit ShownGrid(COrvelDoc &doc)
    {
        grid = std::make_unique<CListGrid>(host, doc);
        grid->resize(1280, 800);
        grid->show();
        bench::WaitUntilExposed(*grid);
        grid->Initialise();
        grid->viewport()->repaint();
    }
};

// Page down and paint the frame, as holding Page Down does. At the end of
// the table the grid goes back to the first record (not timed).
void PageDownFrame(benchmark::State &state)
{
    EnsureApplication();
    QuietServices();
    COrvelDoc &doc = GeneratedDocument(int(state.range(0)));
    ShownGrid shown(doc);
    CListGrid &grid = *shown.grid;
    const int last = doc.GetTable().GetRecordCount() - 1;
    std::vector<double> frames;
    QElapsedTimer timer;
    for (auto _ : state) {
        if (shown.host.currentRecord() >= last) {
            state.PauseTiming();
            grid.First();
            grid.viewport()->repaint();
            state.ResumeTiming();
        }
        timer.start();
        grid.PageDown();
        grid.viewport()->repaint();
        frames.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    state.counters["median_ms"] = Median(frames);
    state.counters["max_ms"] = frames.empty() ? 0 : *std::max_element(frames.begin(), frames.end());
}
BENCHMARK(PageDownFrame)->Name("Grid/PageDownFrame")->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

// From an opened document to the first painted frame of a new grid.
void FirstPaint(benchmark::State &state)
{
    EnsureApplication();
    QuietServices();
    COrvelDoc &doc = GeneratedDocument(30000);
    for (auto _ : state) {
        auto shown = std::make_unique<ShownGrid>(doc);
        benchmark::DoNotOptimize(shown->grid->FirstRow());
        state.PauseTiming();
        shown.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstPaint)->Name("Grid/FirstPaint")->Unit(benchmark::kMillisecond);

} // namespace

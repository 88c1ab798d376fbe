// Printing the full table (30000 records, 32 fields, every field printed)
// to a PDF file, next to a bare loop that draws the same texts at the same
// places into a PDF writer; and the preview's first page.
#include "bench/GeneratedTable.h"
#include "bench/WidgetBench.h"
#include "document/OrvelDoc.h"
#include "print/ui/PrintPreviewWindow.h"
#include "print/ui/TablePrintJob.h"
#include "table/DataTable.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

#include <fstream>
#include <string>

namespace {

using namespace orvel;

struct PrintBench
{
    COrvelDoc doc;
    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/orvel-bench-print-XXXXXX")};

    PrintBench()
    {
        bench::EnsureApplication();
        bench::QuietServices();
        bench::FillGeneratedTable(doc.GetTable());
        for (int field = 0; field < doc.GetTable().GetFieldCount(); ++field)
            doc.GetTable().SetPrintFlag(1, field);
        PageSettings &page = doc.GetPageSettings();
        page.pageHeader = "Seite &p";
        page.marginLeft = page.marginTop = page.marginRight = page.marginBottom = 10;
    }
    QString file(const char *name) const { return folder.filePath(QString::fromLatin1(name)); }
    static void SetUpPdf(QPrinter &printer, const QString &path)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }
};

PrintBench &Bench()
{
    static PrintBench *bench = new PrintBench;
    return *bench;
}

// The peak of the resident set so far, in MiB.
double PeakResidentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

void PdfAll(benchmark::State &state)
{
    PrintBench &bench = Bench();
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        PrintBench::SetUpPdf(printer, bench.file("alle.pdf"));
        const TablePrintJob job(bench.doc, MetricsOfPrinter(printer), JobOptionsFor(bench.doc));
        pages = job.Layout().PageCount();
        PrintJobPages(printer, job, 1, pages);
    }
    state.counters["pages"] = pages;
    state.counters["PeakRssMiB"] = PeakResidentMiB();
    state.counters["PdfMiB"] = double(QFile(bench.file("alle.pdf")).size()) / (1024.0 * 1024.0);
}
BENCHMARK(PdfAll)->Name("Print/PdfAll")->Unit(benchmark::kMillisecond)->Iterations(1);

// The same texts at the same places, drawn by a plain loop: the texts and
// places are collected before the clock runs.
void PdfBaseline(benchmark::State &state)
{
    PrintBench &bench = Bench();
    QPrinter probe(QPrinter::HighResolution);
    PrintBench::SetUpPdf(probe, bench.file("probe.pdf"));
    const TablePrintJob job(bench.doc, MetricsOfPrinter(probe), JobOptionsFor(bench.doc));
    struct Placed
    {
        QPointF at;
        QString text;
    };
    std::vector<std::vector<Placed>> pages;
    for (int number = 1; number <= job.Layout().PageCount(); ++number) {
        std::vector<Placed> placed;
        for (PrintedPage::Text &text : job.Layout().Page(number).texts)
            placed.push_back({QPointF(text.rect.left, text.rect.top + 20), std::move(text.text)});
        pages.push_back(std::move(placed));
    }
    for (auto _ : state) {
        QPdfWriter writer(bench.file("baseline.pdf"));
        writer.setResolution(probe.resolution());
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        QPainter painter(&writer);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        bool first = true;
        for (const std::vector<Placed> &page : pages) {
            if (!first)
                writer.newPage();
            first = false;
            for (const Placed &placed : page)
                painter.drawText(placed.at, placed.text);
        }
    }
    state.counters["pages"] = double(pages.size());
}
BENCHMARK(PdfBaseline)->Name("Print/PdfBaseline")->Unit(benchmark::kMillisecond)->Iterations(1);

// From the command to the first page painted in the preview window.
void PreviewFirstPage(benchmark::State &state)
{
    PrintBench &bench = Bench();
    QPrinter printer(QPrinter::HighResolution);
    PrintBench::SetUpPdf(printer, bench.file("vorschau.pdf"));
    for (auto _ : state) {
        PrintPreviewWindow window(bench.doc, printer);
        window.show();
        window.PageWidget()->repaint();
        benchmark::DoNotOptimize(window.PageWidget()->Paints());
        state.PauseTiming();
        window.close();
        state.ResumeTiming();
    }
}
BENCHMARK(PreviewFirstPage)->Name("Print/PreviewFirstPage")->Unit(benchmark::kMillisecond);

} // namespace

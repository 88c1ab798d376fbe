// Printing through the form to a PDF file: the generated table (32 fields)
// through its generated form, one record per page, next to the same number
// of pages of the table's own printout; and address labels, 24 to a sheet.
// The routine runs print the first 3000 records; with ORVEL_BENCH_FULL=1
// all 30000 as well.
#include "bench/GeneratedTable.h"
#include "bench/WidgetBench.h"
#include "document/OrvelDoc.h"
#include "form/FormObjects.h"
#include "print/ui/FormPrintJob.h"
#include "print/ui/TablePrintJob.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

using namespace orvel;

struct FormPrintBench
{
    COrvelDoc doc;
    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/orvel-bench-formprint-XXXXXX")};

    FormPrintBench()
    {
        bench::EnsureApplication();
        bench::QuietServices();
        bench::FillGeneratedTable(doc.GetTable());
        doc.GetForm().CreateDefaultForm(doc.GetTable().GetFieldCount());
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
    // The first `count` records marked, the others not.
    void MarkFirst(int count)
    {
        CDataTable &table = doc.GetTable();
        for (int index = 0; index < table.GetRecordCount(); ++index)
            table.GetRecord(index)->SetMark(index < count);
    }
};

FormPrintBench &Bench()
{
    static FormPrintBench *bench = new FormPrintBench;
    return *bench;
}

// The pages printed and the milliseconds per page of the last iteration.
void SetPageCounters(benchmark::State &state, int pages, qint64 elapsedMs)
{
    state.counters["pages"] = pages;
    state.counters["msPerPage"] = pages > 0 ? double(elapsedMs) / pages : 0.0;
}

// One record per page through the generated form with its 32 data fields.
void FormAllRecords(benchmark::State &state)
{
    FormPrintBench &bench = Bench();
    const int records = int(state.range(0));
    bench.MarkFirst(records);
    FormPrintChoice choice;
    choice.range = records >= bench.doc.GetTable().GetRecordCount() ? RecordRange::All : RecordRange::Marked;
    int pages = 0;
    qint64 elapsed = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QPrinter printer(QPrinter::HighResolution);
        FormPrintBench::SetUpPdf(printer, bench.file("formular.pdf"));
        const auto printout = FormPrintout::Form(bench.doc, MetricsOfPrinter(printer), choice);
        pages = printout->PageCount();
        PrintFormPages(printer, *printout, 1, pages, ids::kCaptionPrintingForm);
        elapsed = clock.elapsed();
    }
    SetPageCounters(state, pages, elapsed);
    state.counters["PdfMiB"] = double(QFile(bench.file("formular.pdf")).size()) / (1024.0 * 1024.0);
}

// The same number of pages of the table's printout (as many as it has, if
// fewer).
void TablePages(benchmark::State &state)
{
    FormPrintBench &bench = Bench();
    bench.MarkFirst(0);
    int pages = 0;
    qint64 elapsed = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QPrinter printer(QPrinter::HighResolution);
        FormPrintBench::SetUpPdf(printer, bench.file("tabelle.pdf"));
        const TablePrintJob job(bench.doc, MetricsOfPrinter(printer), JobOptionsFor(bench.doc));
        pages = std::min(int(state.range(0)), job.Layout().PageCount());
        PrintJobPages(printer, job, 1, pages);
        elapsed = clock.elapsed();
    }
    SetPageCounters(state, pages, elapsed);
}

// Address labels of 4 lines, 24 to a sheet.
void LabelsAllRecords(benchmark::State &state)
{
    FormPrintBench &bench = Bench();
    const int records = int(state.range(0));
    bench.MarkFirst(records);
    LabelPrintChoice choice;
    choice.sheet.columns = 3;
    choice.sheet.rows = 8;
    choice.sheet.labelWidth = 70;
    choice.sheet.labelHeight = 37;
    choice.sheet.marginTop = 0.5;
    const CDataTable &table = bench.doc.GetTable();
    for (int field = 0; field < 4; ++field)
        choice.content.lines.push_back("[" + table.GetFieldName(field) + "] [" + table.GetFieldName(field + 4) + "]");
    choice.range = records >= table.GetRecordCount() ? RecordRange::All : RecordRange::Marked;
    int pages = 0;
    qint64 elapsed = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QPrinter printer(QPrinter::HighResolution);
        FormPrintBench::SetUpPdf(printer, bench.file("etiketten.pdf"));
        const auto printout = FormPrintout::Labels(bench.doc, MetricsOfPrinter(printer), choice);
        pages = printout->PageCount();
        PrintFormPages(printer, *printout, 1, pages, ids::kCaptionPrintingForm);
        elapsed = clock.elapsed();
    }
    SetPageCounters(state, pages, elapsed);
    state.counters["records"] = records;
}

const bool registered = [] {
    std::vector<int64_t> sizes{3000};
    if (const char *full = std::getenv("ORVEL_BENCH_FULL"); full != nullptr && full[0] == '1')
        sizes.push_back(30000);
    for (const int64_t size : sizes) {
        benchmark::RegisterBenchmark("Print/FormAllRecords", FormAllRecords)
                ->Arg(size)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
        benchmark::RegisterBenchmark("Print/TablePagesSameCount", TablePages)
                ->Arg(size)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
        benchmark::RegisterBenchmark("Print/LabelsAllRecords", LabelsAllRecords)
                ->Arg(size)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
    }
    return true;
}();

} // namespace

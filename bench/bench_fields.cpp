// Changing the field definitions of a full table (30000 records, 32
// fields) while a list window shows it: what the user waits for when the
// field dialog applies a change.
#include "bench/GeneratedTable.h"
#include "bench/WidgetBench.h"
#include "document/OrvelDoc.h"
#include "listview/OrvelView.h"
#include "table/FieldType.h"

#include <benchmark/benchmark.h>

#include <numeric>

namespace {

using namespace orvel;

struct ShownDocument
{
    COrvelDoc doc;
    std::unique_ptr<COrvelView> list;

    ShownDocument()
    {
        bench::EnsureApplication();
        bench::QuietServices();
        bench::FillGeneratedTable(doc.GetTable());
        doc.CreateDefaultForm();
        list = std::make_unique<COrvelView>(doc, nullptr, nullptr, true);
        list->resize(1280, 800);
        list->show();
        bench::WaitUntilExposed(*list);
        list->OnInitialUpdate();
    }
};

// Never destroyed: widgets cannot go after the application at exit.
ShownDocument &Shown()
{
    static ShownDocument *shown = new ShownDocument;
    return *shown;
}

// "Schließen" with a new order: the last field moves to the top.
void Reorder(benchmark::State &state)
{
    COrvelDoc &doc = Shown().doc;
    std::vector<int> order(std::size_t(doc.GetTable().GetFieldCount()));
    std::iota(order.begin() + 1, order.end(), 0);
    order.front() = int(order.size()) - 1;
    for (auto _ : state) {
        doc.ApplyFieldOrder(order);
        Shown().list->repaint();
    }
}
BENCHMARK(Reorder)->Name("Fields/Reorder")->Unit(benchmark::kMillisecond);

// "Löschen" of the last field and "Neu..." of a field in its place: every
// record drops a value and gets one.
void DeleteAndCreate(benchmark::State &state)
{
    COrvelDoc &doc = Shown().doc;
    FieldDefinition definition;
    definition.name = "Neu";
    for (auto _ : state) {
        doc.DeleteFieldWithDataFields(doc.GetTable().GetFieldCount() - 1);
        doc.CreateField(definition, {});
        Shown().list->repaint();
    }
}
BENCHMARK(DeleteAndCreate)->Name("Fields/DeleteAndCreate")->Unit(benchmark::kMillisecond);

// A text field becomes a number field and back: the values stay, the list
// shows them by the new type.
void ChangeType(benchmark::State &state)
{
    COrvelDoc &doc = Shown().doc;
    FieldDefinition definition = doc.GetFieldDefinition(0);
    const int original = definition.type;
    for (auto _ : state) {
        definition.type = definition.type == original ? (original == FT_NUMERIC ? FT_TEXT : FT_NUMERIC) : original;
        doc.ChangeField(0, definition);
        Shown().list->repaint();
    }
}
BENCHMARK(ChangeType)->Name("Fields/ChangeType")->Unit(benchmark::kMillisecond);

} // namespace

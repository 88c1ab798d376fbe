// Finding, marking and replacing over a full table (30000 records, 32
// fields) through the real dialogs, as the user waits for them: each timed
// from the click on the dialog's button to the end of the list's repaint.
#include "bench/GeneratedTable.h"
#include "bench/WidgetBench.h"
#include "document/OrvelDoc.h"
#include "listview/OrvelView.h"
#include "listview/ViewSearch.h"
#include "platform/ui/WidgetServices.h"
#include "tools/FindDialog.h"
#include "tools/ReplaceDialog.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

using namespace orvel;

// The program's own message boxes, progress windows and Escape polling,
// except that a message is answered at once instead of waiting for a click.
class AnsweringServices : public WidgetServices
{
public:
    MsgResult showMessage(const Message &message) override
    {
        return message.buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
    }
};

// The record whose name the find benchmark looks for, half the table away.
constexpr int kTarget = 15000;
// "Kategorie", a short text field.
constexpr int kCategory = 14;

struct ShownDocument
{
    COrvelDoc doc;
    std::unique_ptr<COrvelView> list;

    ShownDocument()
    {
        bench::EnsureApplication();
        static AnsweringServices services;
        installServices(&services);
        bench::FillGeneratedTable(doc.GetTable());
        doc.GetTable().GetRecord(kTarget)->SetRawValue("Zielperson", 0);
        doc.CreateDefaultForm();
        list = std::make_unique<COrvelView>(doc, nullptr, nullptr, true);
        list->resize(1280, 800);
        list->show();
        bench::WaitUntilExposed(*list);
        list->OnInitialUpdate();
    }
};

ShownDocument &Shown()
{
    static ShownDocument *shown = new ShownDocument;
    return *shown;
}

void setText(QDialog &dialog, const char *combo, const char *text)
{
    dialog.findChild<QComboBox *>(QLatin1StringView(combo))->lineEdit()->setText(QString::fromLatin1(text));
}

// Runs `open` (which shows a modal dialog), fills the dialog in with `fill`
// and clicks `button`; the time from the click until `open` has returned
// and the list is painted again.
template<class D>
double timedDialog(const std::function<void()> &open, const std::function<void(D &)> &fill, const char *button)
{
    QElapsedTimer clock;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        fill(*dialog);
        clock.start();
        dialog->template findChild<QPushButton *>(QLatin1StringView(button))->click();
        // A button that found nothing to do leaves the dialog open.
        if (dialog->isVisible())
            dialog->reject();
    });
    open();
    Shown().list->repaint();
    return double(clock.nsecsElapsed()) / 1e9;
}

void DialogFindNext(benchmark::State &state)
{
    COrvelView &view = *Shown().list;
    for (auto _ : state) {
        view.SetCurrentCell(0, 0);
        const double seconds = timedDialog<FindDialog>([&view] { view.Search().Find(); },
                                                       [](FindDialog &dialog) {
                                                           setText(dialog, "textCombo1", "zielperson");
                                                           dialog.First().field->setCurrentIndex(0);
                                                       },
                                                       "searchButton");
        state.SetIterationTime(seconds);
        if (view.GetCurrentRecord() != kTarget)
            state.SkipWithError("the search did not find its record");
        view.Search().CloseBars();
    }
}
BENCHMARK(DialogFindNext)->Name("Find/DialogFindNext")->UseManualTime()->Unit(benchmark::kMillisecond);

// "Alle ersetzen" of a category in one field, and back in the next round.
void ReplaceAll(benchmark::State &state)
{
    COrvelView &view = *Shown().list;
    // The direction goes on from one run of the benchmark to the next.
    static bool forth = true;
    for (auto _ : state) {
        const char *from = forth ? "Kunde" : "Kundin";
        const char *to = forth ? "Kundin" : "Kunde";
        forth = !forth;
        const double seconds = timedDialog<ReplaceDialog>([&view] { view.Search().Replace(); },
                                                          [from, to](ReplaceDialog &dialog) {
                                                              setText(dialog, "searchCombo", from);
                                                              setText(dialog, "replaceCombo", to);
                                                              auto *field = dialog.findChild<QComboBox *>(
                                                                      QStringLiteral("fieldCombo"));
                                                              field->setCurrentIndex(field->findData(kCategory));
                                                          },
                                                          "replaceAllButton");
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(ReplaceAll)->Name("Find/ReplaceAll")->UseManualTime()->Unit(benchmark::kMillisecond);

// "Alle markieren" of the names holding "er" (a third of the table).
void MarkAll(benchmark::State &state)
{
    COrvelView &view = *Shown().list;
    CDataTable &table = view.GetTable();
    for (auto _ : state) {
        table.UnmarkAllRecords();
        const double seconds = timedDialog<FindDialog>([&view] { view.Search().Find(); },
                                                       [](FindDialog &dialog) {
                                                           setText(dialog, "textCombo1", "er");
                                                           dialog.First().field->setCurrentIndex(0);
                                                       },
                                                       "markAllButton");
        state.SetIterationTime(seconds);
        if (table.GetMarkedCount() == 0)
            state.SkipWithError("nothing was marked");
    }
}
BENCHMARK(MarkAll)->Name("Find/MarkAll")->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

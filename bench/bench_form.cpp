// The form view at its working size: 1280 × 800 over a form of 300 objects
// (100 rectangles, rounded rectangles and ellipses, 60 lines and polygons,
// 60 texts, 60 data fields, 20 pictures of 200 × 150 stretched), repainted
// whole, dragged with 50 objects selected, and hit-tested.
#include "bench/GeneratedTable.h"
#include "bench/WidgetBench.h"
#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/DrawPicture.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "form/FormObjects.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/OrvelView.h"
#include "media/gfx/QtPictureDecoder.h"
#include "platform/Codepage.h"
#include "resources/CommandIds.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QWindow>

#include <memory>
#include <vector>

namespace {

using namespace orvel;

class BenchDesignerHost : public DesignerHost
{
public:
    COLORREF CurrentLineColor() const override { return 0; }
    COLORREF CurrentFillColor() const override { return 0xFFFFFF; }
    void SetCurrentLineColor(COLORREF) override {}
    void SetCurrentFillColor(COLORREF) override {}
    int CurrentRecord() const override { return 0; }
    int CurrentField() const override { return 0; }
    void SetCurrentField(int) override {}
    bool IsActiveView() const override { return true; }
    void ShowStatusText(const QString &) override {}
    QMenu *BuildContextMenu(const QString &, int) override { return nullptr; }
    void NotifyOtherViews(const UpdateHint &) override {}
    int PictureFilterIndex() const override { return 1; }
    void SetPictureFilterIndex(int) override {}
};

// The 300 objects in a grid of cells over the visible part of the form.
class BenchForm
{
public:
    BenchForm()
    {
        bench::FillGeneratedTable(doc.GetTable(), 100);
        RegisterQtPictureDecoder();
        QImage picture(200, 150, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
        const QString pictureFile = folder.filePath(QStringLiteral("bild.png"));
        picture.save(pictureFile);

        CFormObjects &form = doc.GetForm();
        form.Clear();
        int cell = 0;
        const auto nextCell = [&cell] {
            // 20 columns of 62 and 15 rows of 52 pixels.
            const int column = cell % 20;
            const int row = cell / 20;
            ++cell;
            return RECT{5 + column * 62, 5 + row * 52, 5 + column * 62 + 58, 5 + row * 52 + 46};
        };
        for (int i = 0; i < 100; ++i) {
            auto shape = std::make_unique<CDrawRect>(CDrawRect::Shape(i % 3), nextCell(),
                                                     DrawColors{COLORREF(i * 2000), COLORREF(0xFFFFFF - i * 1000)});
            shape->pen.lopnWidth = {1 + i % 3, 1 + i % 3};
            form.Add(std::move(shape));
        }
        for (int i = 0; i < 60; ++i) {
            const RECT r = nextCell();
            if (i % 2 == 0) {
                auto line = std::make_unique<CDrawRect>(CDrawRect::line, r);
                line->pen.lopnWidth = {1 + i % 4, 1 + i % 4};
                form.Add(std::move(line));
            } else {
                auto poly = std::make_unique<CDrawPoly>(RECT{}, DrawColors{0x008000, 0x80FF80});
                poly->hasBrush = 1;
                for (POINT p : {POINT{r.left, r.bottom}, POINT{r.left + 20, r.top}, POINT{r.right, r.top + 10},
                                POINT{r.right - 10, r.bottom}, POINT{r.left + 30, r.top + 25}})
                    poly->AddPoint(p);
                form.Add(std::move(poly));
            }
        }
        for (int i = 0; i < 60; ++i) {
            auto text = std::make_unique<CDrawText>(nextCell());
            text->text = "Text " + std::to_string(i) + " mit Umbruch";
            text->drawFlags = DT_WORDBREAK | DT_CENTER;
            text->font.lfEscapement = i % 10 == 0 ? 900 : 0;
            form.Add(std::move(text));
        }
        for (int i = 0; i < 60; ++i) {
            auto field = std::make_unique<CDrawEdit>(i % doc.GetTable().GetFieldCount(), nextCell());
            field->font = StockFont(DEFAULT_GUI_FONT);
            form.Add(std::move(field));
        }
        for (int i = 0; i < 20; ++i) {
            auto object = std::make_unique<CDrawPicture>(nextCell());
            object->path = QStringToAnsi(pictureFile);
            object->viewer.SetFileName(pictureFile);
            object->LoadFailed();
            form.Add(std::move(object));
        }
        form.SetModified(false);

        view = std::make_unique<CFormView>(doc, host);
        view->resize(1280, 800);
        view->show();
        bench::WaitUntilExposed(*view);
        view->Initialise();
        view->viewport()->repaint();
    }

    QTemporaryDir folder;
    COrvelDoc doc;
    BenchDesignerHost host;
    std::unique_ptr<CFormView> view;
};

BenchForm &Form()
{
    static BenchForm *form = [] {
        bench::EnsureApplication();
        bench::QuietServices();
        return new BenchForm;
    }();
    return *form;
}

void Paint(benchmark::State &state)
{
    BenchForm &bench = Form();
    bench.view->SetDesignMode(state.range(0) != 0);
    std::vector<double> frames;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        bench.view->viewport()->repaint();
        frames.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    state.counters["median_ms"] = bench::Median(frames);
    state.counters["p95_ms"] = bench::Percentile(frames, 0.95);
}
BENCHMARK(Paint)->Name("Form/Paint")->ArgName("design")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void send(QWidget *widget, QEvent::Type type, QPoint p, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(p), QPointF(widget->mapToGlobal(p)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// One mouse move of a drag of 50 selected objects, with the repaint it
// causes.
void Drag50(benchmark::State &state)
{
    BenchForm &bench = Form();
    CFormView &view = *bench.view;
    view.SetDesignMode(true);
    CFormDesigner &designer = view.Designer();
    const auto &objects = bench.doc.GetForm().GetObjects();
    // Fifty neighbours in the middle of the form: a block of cells.
    for (std::size_t i = 105; i < 155; ++i)
        designer.Select(objects[i].get(), true);
    QWidget *viewport = view.viewport();
    viewport->repaint();
    const RECT first = objects[105]->GetNormalizedPosition();
    QPoint at(first.left + 20, first.top + 20);
    send(viewport, QEvent::MouseButtonPress, at, Qt::LeftButton);
    std::vector<double> frames;
    QElapsedTimer timer;
    int step = 0;
    for (auto _ : state) {
        // Back and forth, so that the objects stay where they were.
        const int dx = (step++ / 20) % 2 == 0 ? 3 : -3;
        at += QPoint(dx, step % 2 == 0 ? 1 : -1);
        timer.start();
        send(viewport, QEvent::MouseMove, at, Qt::LeftButton);
        // The window paints what the move invalidated, as it does when the
        // event loop next asks it to.
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(view.windowHandle(), &request);
        frames.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    send(viewport, QEvent::MouseButtonRelease, at, Qt::NoButton);
    designer.ClearSelection();
    view.SetDesignMode(false);
    state.counters["median_ms"] = bench::Median(frames);
    state.counters["p95_ms"] = bench::Percentile(frames, 0.95);
}
BENCHMARK(Drag50)->Name("Form/Drag50")->Unit(benchmark::kMillisecond);

// The form of the generator's table in data mode: its 32 data fields, one
// text field turned into a picture field whose records name four photos of
// 3000 × 2000 pixels, one record after the other.
struct PictureTable
{
    PictureTable()
    {
        bench::FillGeneratedTable(doc.GetTable(), 30000);
        CDataTable &table = doc.GetTable();
        // The second field is a text field of the generator.
        constexpr int pictureField = 1;
        table.SetFieldType(FT_PICTURE, pictureField);
        std::vector<AnsiString> photos;
        for (int i = 0; i < 4; ++i) {
            QImage photo(3000, 2000, QImage::Format_RGB32);
            photo.fill(QColor::fromHsv(i * 90, 160, 220));
            QPainter(&photo).fillRect(500, 400, 2000, 1200, QColor::fromHsv(i * 90 + 45, 200, 120));
            const QString file = folder.filePath(QStringLiteral("foto%1.jpg").arg(i));
            photo.save(file, "JPG", 85);
            photos.push_back(QStringToAnsi(file));
        }
        for (int r = 0; r < table.GetRecordCount(); ++r)
            table.GetRecord(r)->SetRawValue(photos[std::size_t(r) % photos.size()], pictureField);
        doc.CreateDefaultForm();
        // The picture gets room to be seen.
        if (CDrawEdit *field = doc.GetForm().FindDataField(pictureField)) {
            field->position.right = field->position.left + 300;
            field->position.bottom = field->position.top + 200;
        }
        view = std::make_unique<COrvelView>(doc, nullptr, nullptr, false);
        view->resize(1280, 800);
        view->show();
        bench::WaitUntilExposed(*view);
        view->OnInitialUpdate();
        view->repaint();
    }

    QTemporaryDir folder;
    COrvelDoc doc;
    std::unique_ptr<COrvelView> view;
};

void PaintDataFields(benchmark::State &state)
{
    bench::EnsureApplication();
    bench::QuietServices();
    RegisterQtPictureDecoder();
    static PictureTable *bench = new PictureTable;
    COrvelView &view = *bench->view;
    const int last = bench->doc.GetTable().GetRecordCount() - 1;
    std::vector<double> frames;
    QElapsedTimer timer;
    for (auto _ : state) {
        if (view.GetCurrentRecord() >= last) {
            state.PauseTiming();
            view.OnCmdMsg(ID_RECORD_FIRST, nullptr);
            state.ResumeTiming();
        }
        timer.start();
        view.OnCmdMsg(ID_RECORD_NEXT, nullptr);
        // The form paints the new record at once (as the grid's benchmark
        // paints its page).
        view.GetFormView()->viewport()->repaint();
        frames.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    state.counters["median_ms"] = bench::Median(frames);
    state.counters["p95_ms"] = bench::Percentile(frames, 0.95);
}
BENCHMARK(PaintDataFields)->Name("Form/PaintDataFields")->Unit(benchmark::kMillisecond);

// The front object under a point, through the 300 objects.
void HitTest(benchmark::State &state)
{
    BenchForm &bench = Form();
    const CFormObjects &form = bench.doc.GetForm();
    int x = 0;
    for (auto _ : state) {
        x = (x + 37) % 1240;
        benchmark::DoNotOptimize(form.ObjectAt(QPoint(x, 400)));
    }
}
BENCHMARK(HitTest)->Name("Form/HitTest")->Unit(benchmark::kMicrosecond);

} // namespace

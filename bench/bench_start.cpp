// What a user waits for at the start: a template opened as an untitled copy
// from the "Neu" dialog, and the painted caption drawn for a wide window.
#include "bench/WidgetBench.h"
#include "document/OrvelDoc.h"
#include "platform/ScriptedServices.h"
#include "platform/gfx/CaptionPainter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>

namespace {

using namespace orvel;
using orvel::bench::EnsureApplication;

// The templates the build wrote beside the program.
QString TemplatePath(const char *name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../app/Template/") + QLatin1StringView(name);
}

void OpenTemplateCopy(benchmark::State &state, const char *name)
{
    EnsureApplication();
    const QString path = TemplatePath(name);
    if (!QFileInfo(path).isFile()) {
        state.SkipWithError("the templates are not built");
        return;
    }
    ScriptedServices scripted;
    ScopedServices scope(&scripted);
    for (auto _ : state) {
        COrvelDoc doc;
        if (!doc.Open(path, true))
            state.SkipWithError("the template did not open");
        benchmark::DoNotOptimize(doc.GetTable().GetRecordCount());
    }
}
BENCHMARK_CAPTURE(OpenTemplateCopy, Address, "Address.dtf")
        ->Name("Template/OpenCopyAddress")
        ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenTemplateCopy, Pics, "Pics.dtf")->Name("Template/OpenCopyPics")->Unit(benchmark::kMillisecond);

void CaptionPaint(benchmark::State &state)
{
    EnsureApplication();
    CaptionLook look;
    look.activeCaption = QColor(0, 0, 128);
    look.inactiveCaption = QColor(128, 128, 128);
    look.activeText = Qt::white;
    look.inactiveText = QColor(192, 192, 192);
    look.buttonFace = QColor(192, 192, 192);
    look.buttonLight = Qt::white;
    look.buttonShadow = QColor(128, 128, 128);
    look.buttonText = Qt::black;
    look.title = QStringLiteral("Orvel 97 - [Adressen.ovd]");
    for (auto _ : state) {
        const QImage image = PaintCaption(QSize(1920, 22), look);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(CaptionPaint)->Name("Caption/Paint1920")->Unit(benchmark::kMicrosecond);

} // namespace

// Loading a photo of 12 megapixels (4000 × 3000, JPEG) through the imaging
// control, next to Qt's image reader alone on the same file: what the
// control adds to decoding (recognising the format, the decoder registry,
// the bitmap) must stay small.
#include "bench/WidgetBench.h"
#include "media/Lead.h"
#include "media/gfx/QtPictureDecoder.h"
#include "media/ui/MagickPictureDecoder.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace {

using namespace orvel;

// A picture with the smooth areas and fine detail of a photo, so that the
// JPEG file has a realistic size (a few megabytes).
struct GeneratedPhoto
{
    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/orvel-bench-picture-XXXXXX")};
    QString path;

    GeneratedPhoto()
    {
        bench::EnsureApplication();
        RegisterQtPictureDecoder();
        RegisterMagickPictureDecoder();
        QImage photo(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
            for (int x = 0; x < photo.width(); ++x) {
                const int detail = int(40 * std::sin(x * 0.05) * std::cos(y * 0.07)) + ((x * 7 + y * 13) % 17);
                line[x] = qRgb(std::clamp(x / 16 + detail, 0, 255), std::clamp(y / 12 + detail, 0, 255),
                               std::clamp(128 + detail - (x + y) / 64, 0, 255));
            }
        }
        path = folder.filePath(QStringLiteral("foto.jpg"));
        photo.save(path, "JPEG", 90);
    }
};

const GeneratedPhoto &Photo()
{
    static const GeneratedPhoto photo;
    return photo;
}

void LoadJpeg(benchmark::State &state)
{
    const QString &path = Photo().path;
    for (auto _ : state) {
        CLead lead;
        if (lead.Load(path) != LeadOk)
            state.SkipWithError("the photo did not load");
        benchmark::DoNotOptimize(lead.GetBitmapWidth());
    }
}
BENCHMARK(LoadJpeg)->Name("Picture/LoadJpeg12MP")->Unit(benchmark::kMillisecond);

void ReadJpegWithQt(benchmark::State &state)
{
    const QString &path = Photo().path;
    for (auto _ : state) {
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.isNull())
            state.SkipWithError("the photo did not read");
        benchmark::DoNotOptimize(image.width());
    }
}
BENCHMARK(ReadJpegWithQt)->Name("Picture/QImageReaderJpeg12MP")->Unit(benchmark::kMillisecond);

} // namespace

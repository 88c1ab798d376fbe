#pragma once

// What the picture tests of the media layer share: sample pictures, files
// written by ImageMagick, and a SANE configuration of the tests' own with
// SANE's "test" backend.
#include "DialogDriver.h"
#include "gfx/PictureBytes.h"
#include "media/ui/MagickPictureDecoder.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <Magick++.h>

namespace orvel::test {

// A 6 × 4 picture whose pixel (x, y) has colour (x + y) % 6.
inline QImage SamplePicture()
{
    QImage image(6, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            image.setPixel(x, y, kSampleColours[(x + y) % 6]);
    return image;
}

inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The picture as ImageMagick's coder writes it, stating `dpi` when it is
// not 0 (the decoder must have been registered: that starts ImageMagick).
inline QByteArray WrittenByMagick(const QImage &picture, const char *coder, int dpi = 0)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    QByteArray pixels;
    for (int y = 0; y < rgb.height(); ++y)
        pixels.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), rgb.width() * 3);
    Magick::Image image(size_t(rgb.width()), size_t(rgb.height()), "RGB", Magick::CharPixel, pixels.constData());
    if (dpi > 0) {
        image.resolutionUnits(Magick::PixelsPerInchResolution);
        image.density(Magick::Geometry(size_t(dpi), size_t(dpi)));
    }
    image.magick(coder);
    Magick::Blob blob;
    image.write(&blob);
    return QByteArray(static_cast<const char *>(blob.data()), qsizetype(blob.length()));
}

// SANE reads the folder of its configuration once per process, at the
// first sane_init(), but the files in it at every sane_init(): all scans of
// the test process use one folder, and each test writes the backends and
// the test backend's settings it needs before it scans.
class SaneTestSetup
{
public:
    static QString Folder()
    {
        static const QString folder = [] {
            const QString path = ConfigDir() + QStringLiteral("/sane");
            QDir().mkpath(path);
            qputenv("SANE_CONFIG_DIR", QFile::encodeName(path));
            return path;
        }();
        return folder;
    }

    // No scanner at all.
    static void NoDevices() { WriteFile(Folder() + QStringLiteral("/dll.conf"), QByteArray()); }

    // The test backend with `devices` virtual scanners, scanning 40 × 30 mm
    // at `dpi`, with the settings in `extra` (one "option value" a line:
    // "mode Color", "depth 16", "test-picture \"Solid white\"", ...).
    static void TestBackend(int devices, int dpi, const QByteArray &extra)
    {
        WriteFile(Folder() + QStringLiteral("/dll.conf"), "test\n");
        const QByteArray settings = "number_of_devices " + QByteArray::number(devices) + "\nresolution "
                                    + QByteArray::number(dpi) + "\ntl_x 0.0\ntl_y 0.0\nbr_x 40.0\nbr_y 30.0\n" + extra;
        WriteFile(Folder() + QStringLiteral("/test.conf"), settings);
    }

    // What the test backend makes of 40 × 30 mm at `dpi`.
    static QSize ScanSize(int dpi) { return QSize(int(40 / 25.4 * dpi), int(30 / 25.4 * dpi)); }
};

} // namespace orvel::test

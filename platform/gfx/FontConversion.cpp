#include "platform/gfx/FontConversion.h"

#include "platform/Codepage.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QMutex>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace orvel {
namespace {

// Larger sizes come only from damaged files and would only cost time.
constexpr int kMaxPixelSize = 4000;
// The em height of the stock GUI font at 96 dots per inch.
constexpr int kDefaultEmHeight = 11;

constexpr uint8_t FIXED_PITCH = 1;
constexpr uint8_t VARIABLE_PITCH = 2;
constexpr uint8_t FF_ROMAN = 0x10;
constexpr uint8_t FF_SWISS = 0x20;
constexpr uint8_t FF_MODERN = 0x30;
constexpr uint8_t FF_SCRIPT = 0x40;
constexpr uint8_t FF_DECORATIVE = 0x50;
constexpr uint8_t NONANTIALIASED_QUALITY = 3;
constexpr uint8_t ANTIALIASED_QUALITY = 4;

QFont::StyleHint styleHintFor(uint8_t pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case FF_ROMAN:
        return QFont::Serif;
    case FF_SWISS:
        return QFont::SansSerif;
    case FF_MODERN:
        return QFont::TypeWriter;
    case FF_SCRIPT:
        return QFont::Cursive;
    case FF_DECORATIVE:
        return QFont::Decorative;
    default:
        return QFont::AnyStyle;
    }
}

uint8_t familyBitsFor(QFont::StyleHint hint)
{
    switch (hint) {
    case QFont::Serif:
        return FF_ROMAN;
    case QFont::SansSerif:
        return FF_SWISS;
    case QFont::TypeWriter:
    case QFont::Monospace:
        return FF_MODERN;
    case QFont::Cursive:
        return FF_SCRIPT;
    case QFont::Decorative:
    case QFont::Fantasy:
        return FF_DECORATIVE;
    default:
        return 0;
    }
}

// Without a face name the family bits choose, as the old font mapper did.
QString faceForFamilyBits(uint8_t pitchAndFamily)
{
    if (pitchAndFamily & FIXED_PITCH)
        return QStringLiteral("Courier New");
    switch (pitchAndFamily & 0xF0) {
    case FF_ROMAN:
        return QStringLiteral("Times New Roman");
    case FF_MODERN:
        return QStringLiteral("Courier New");
    default:
        return QStringLiteral("MS Sans Serif");
    }
}

// The largest pixel size whose cell (ascent + descent) fits the height:
// scaled once from a large reference size, then corrected by the hinted
// metrics of the sizes next to it. Remembered per face and style, since forms
// create their fonts on every paint.
int pixelSizeForCellHeight(const QFont &font, int cellHeight)
{
    static QMutex mutex;
    static QHash<QString, int> cache;
    const QString key = font.family() + u'|' + QString::number(font.weight()) + u'|' + QString::number(font.italic())
                        + u'|' + QString::number(int(font.styleHint())) + u'|' + QString::number(cellHeight);
    {
        const QMutexLocker lock(&mutex);
        const auto found = cache.constFind(key);
        if (found != cache.constEnd())
            return *found;
    }

    constexpr int kReference = 100;
    QFont probe(font);
    probe.setPixelSize(kReference);
    const QFontMetricsF reference(probe);
    const qreal ratio = (reference.ascent() + reference.descent()) / kReference;
    int size = std::clamp(ratio > 0 ? int(cellHeight / ratio) : cellHeight, 1, kMaxPixelSize);
    auto heightAt = [&probe](int pixels) {
        probe.setPixelSize(pixels);
        return QFontMetrics(probe).height();
    };
    for (int step = 0; step < 32 && size > 1 && heightAt(size) > cellHeight; ++step)
        --size;
    for (int step = 0; step < 32 && size < kMaxPixelSize && heightAt(size + 1) <= cellHeight; ++step)
        ++size;

    const QMutexLocker lock(&mutex);
    cache.insert(key, size);
    return size;
}

} // namespace

void InstallFontSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QStringList sans{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")};
        const QStringList arial{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
        const QStringList serif{QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")};
        const QStringList mono{QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")};
        // Palatino's look-alikes under their usual Linux names, then any serif.
        const QStringList palatino{QStringLiteral("TeX Gyre Pagella"),
                                   QStringLiteral("URW Palladio L"),
                                   QStringLiteral("P052"),
                                   QStringLiteral("Palatino Linotype"),
                                   QStringLiteral("Palatino"),
                                   QStringLiteral("Liberation Serif"),
                                   QStringLiteral("DejaVu Serif")};
        for (const char *face : {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "System", "Helv"})
            QFont::insertSubstitutions(QString::fromLatin1(face), sans);
        QFont::insertSubstitutions(QStringLiteral("Arial"), arial);
        for (const char *face : {"Times New Roman", "Tms Rmn"})
            QFont::insertSubstitutions(QString::fromLatin1(face), serif);
        for (const char *face : {"Courier New", "Courier"})
            QFont::insertSubstitutions(QString::fromLatin1(face), mono);
        QFont::insertSubstitutions(QStringLiteral("Book Antiqua"), palatino);
    });
}

QFont LogFontToQFont(const LOGFONT &logFont, int logicalDpiY)
{
    InstallFontSubstitutions();

    QFont font;
    const AnsiString face = logFont.faceName();
    font.setFamily(face.empty() ? faceForFamilyBits(logFont.lfPitchAndFamily) : AnsiToQString(face));
    font.setStyleHint(styleHintFor(logFont.lfPitchAndFamily));
    if (logFont.lfPitchAndFamily & FIXED_PITCH)
        font.setFixedPitch(true);
    font.setWeight(QFont::Weight(logFont.lfWeight <= 0 ? 400 : std::min(logFont.lfWeight, 1000)));
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);
    font.setKerning(false);
    if (logFont.lfQuality == NONANTIALIASED_QUALITY)
        font.setStyleStrategy(QFont::NoAntialias);
    else if (logFont.lfQuality >= ANTIALIASED_QUALITY)
        font.setStyleStrategy(QFont::PreferAntialias);

    // int64: -INT32_MIN does not fit an int.
    const int64_t height = logFont.lfHeight;
    int pixels;
    if (height < 0)
        pixels = int(std::min<int64_t>(-height, kMaxPixelSize));
    else if (height > 0)
        pixels = pixelSizeForCellHeight(font, int(std::min<int64_t>(height, kMaxPixelSize)));
    else
        pixels = std::max(1, (kDefaultEmHeight * std::max(logicalDpiY, 1) + 48) / 96);
    font.setPixelSize(pixels);

    if (logFont.lfWidth > 0) {
        // Qt stretches by percent of the natural width.
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0)
            font.setStretch(std::clamp(int(std::lround(100.0 * logFont.lfWidth / natural)), 1, 4000));
    }
    return font;
}

LOGFONT QFontToLogFont(const QFont &font, int logicalDpiY)
{
    LOGFONT logFont;
    if (font.pixelSize() > 0)
        logFont.lfHeight = -font.pixelSize();
    else if (font.pointSizeF() > 0)
        logFont.lfHeight = -std::max(1, int(std::lround(font.pointSizeF() * logicalDpiY / 72.0)));

    const int stretch = font.stretch();
    if (stretch > 0 && stretch != 100) {
        QFont natural(font);
        natural.setStretch(100);
        logFont.lfWidth = int(std::lround(QFontMetrics(natural).averageCharWidth() * stretch / 100.0));
    }
    logFont.lfWeight = font.weight();
    logFont.lfItalic = font.italic() ? 1 : 0;
    logFont.lfUnderline = font.underline() ? 1 : 0;
    logFont.lfStrikeOut = font.strikeOut() ? 1 : 0;
    if (font.styleStrategy() & QFont::NoAntialias)
        logFont.lfQuality = NONANTIALIASED_QUALITY;
    else if (font.styleStrategy() & QFont::PreferAntialias)
        logFont.lfQuality = ANTIALIASED_QUALITY;

    const uint8_t family = familyBitsFor(font.styleHint());
    const uint8_t pitch = font.fixedPitch() ? FIXED_PITCH : family != 0 ? VARIABLE_PITCH : 0;
    logFont.lfPitchAndFamily = uint8_t(family | pitch);
    logFont.setFaceName(QStringToAnsi(font.family()));
    return logFont;
}

} // namespace orvel

#include "platform/gfx/PainterGdi.h"

#include "platform/gfx/FontConversion.h"
#include "platform/gfx/ImageBitmap.h"
#include "platform/gfx/TextBreak.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QPolygon>
#include <QPolygonF>
#include <QVarLengthArray>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>

namespace orvel {
namespace {

int32_t saturate(int64_t value)
{
    return int32_t(
            std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Wider pens than this come only from damaged files; stroking them would
// just take long.
constexpr int kMaxPenWidth = 4096;

int clampedPenWidth(const LOGPEN &pen)
{
    return std::clamp(pen.lopnWidth.x, 0, kMaxPenWidth);
}

uint32_t penStyle(const LOGPEN &pen)
{
    return pen.lopnStyle & 0x0F; // the style bits without end cap and join
}

bool isPattern(const QBrush &brush)
{
    return brush.style() >= Qt::Dense1Pattern && brush.style() <= Qt::DiagCrossPattern;
}

// A pixel run along one axis from `from` towards `to`, leaving out `to`, the
// way a one-pixel LineTo covers it.
void axisLine(QPainter &painter, int x0, int y0, int x1, int y1, const QColor &color)
{
    if (y0 == y1 && x0 != x1) {
        const int first = x0 < x1 ? x0 : x1 + 1;
        painter.fillRect(QRect(first, y0, std::abs(x1 - x0), 1), color);
    } else if (x0 == x1 && y0 != y1) {
        const int first = y0 < y1 ? y0 : y1 + 1;
        painter.fillRect(QRect(x0, first, 1, std::abs(y1 - y0)), color);
    }
}

// ---- text ----

struct TextLine
{
    qsizetype start = 0; // in the display text
    qsizetype length = 0;
    int width = 0;
    QString shortened; // the line with "..." when DT_END_ELLIPSIS cut it
    bool cut = false;
};

using TextLines = QVarLengthArray<TextLine, 4>;
using Underlines = QVarLengthArray<qsizetype, 2>;

// A view of part of the display text without copying; it lives no longer
// than the display text.
QString slice(const QString &text, qsizetype start, qsizetype length)
{
    if (start == 0 && length == text.size())
        return text;
    return QString::fromRawData(text.constData() + start, length);
}

QString stripPrefixes(const QString &text, Underlines &underlined)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            shown.append(text[i]);
            continue;
        }
        if (++i == text.size())
            break; // a lone "&" at the end marks nothing and shows nothing
        if (text[i] != u'&')
            underlined.append(shown.size());
        shown.append(text[i]);
    }
    return shown;
}

// Never end a piece between the halves of a surrogate pair.
qsizetype keepPairs(const QString &text, qsizetype start, qsizetype count)
{
    if (count > 0 && text[start + count - 1].isHighSurrogate())
        --count;
    return count;
}

// The most characters from `start` (at most `limit`) whose width stays within
// maxWidth once `extra` pixels are added.
qsizetype fittingPrefix(const QFontMetrics &metrics, const QString &text, qsizetype start, qsizetype limit,
                        int maxWidth, int extra)
{
    const QString piece = slice(text, start, limit);
    qsizetype low = 0;
    qsizetype high = limit;
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(piece, int(mid)) + extra <= maxWidth)
            low = mid;
        else
            high = mid - 1;
    }
    return low;
}

void layoutText(const QFontMetrics &metrics, const QString &text, int maxWidth, uint32_t flags, TextLines &lines)
{
    struct Collect
    {
        TextLines &out;
        qsizetype size() const { return out.size(); }
        void append(const TextBreakLine &line) { out.append({line.start, line.length, int(line.width), {}, false}); }
    } collect{lines};
    BreakText(
            text, maxWidth, flags, std::numeric_limits<qsizetype>::max(),
            [&](qsizetype from, qsizetype to) {
                return qreal(metrics.horizontalAdvance(slice(text, from, to - from)));
            },
            collect);
    if (!(flags & DT_END_ELLIPSIS))
        return;
    static const QString dots = QStringLiteral("...");
    for (TextLine &line : lines) {
        if (line.width <= maxWidth)
            continue;
        const int dotsWidth = metrics.horizontalAdvance(dots);
        const qsizetype kept =
                keepPairs(text, line.start, fittingPrefix(metrics, text, line.start, line.length, maxWidth, dotsWidth));
        line.shortened = text.mid(line.start, kept) + dots;
        line.length = kept;
        line.width = metrics.horizontalAdvance(line.shortened);
        line.cut = true;
    }
}

// ---- one-pixel lines ----

// Nearest integer to a / b (b > 0), halves upwards.
int64_t roundDiv(int64_t a, int64_t b)
{
    const int64_t n = 2 * a + b;
    const int64_t d = 2 * b;
    int64_t q = n / d;
    if (n % d != 0 && n < 0)
        --q;
    return q;
}

// Beyond this many pixels a line cannot be on screen anyway; Qt's own
// clipping stroker draws it instead of a pixel walk.
constexpr int64_t kMaxWalkedLine = 16384;

// One-pixel lines are walked pixel by pixel, because the end point that is
// left out must be the end point whichever way the line runs (Qt's stroker
// leaves out the lower or right end). Pixels are filled in runs, so
// horizontal and vertical lines are a single fill. The dash position is
// counted in pixels and carried on into the next segment.
class ThinLine
{
public:
    ThinLine(QPainter &painter, const QPen &pen)
        : m_painter(painter)
        , m_color(pen.color())
        , m_opaque(painter.backgroundMode() == Qt::OpaqueMode)
        , m_walk(painter.combinedTransform().type() <= QTransform::TxTranslate)
    {
        if (pen.style() != Qt::SolidLine) {
            for (const qreal dash : pen.dashPattern())
                m_pattern.append(std::max(1, int(dash)));
            for (const int dash : m_pattern)
                m_period += dash;
        }
    }

    void draw(POINT from, POINT to)
    {
        const int64_t dx = int64_t(to.x) - from.x;
        const int64_t dy = int64_t(to.y) - from.y;
        const int64_t steps = std::max(std::abs(dx), std::abs(dy));
        if (steps == 0)
            return;
        if (!m_walk || steps > kMaxWalkedLine) {
            QPen pen(m_color, 1);
            pen.setCosmetic(true);
            pen.setCapStyle(Qt::FlatCap);
            if (m_period > 0)
                pen.setDashPattern(patternAsReals());
            m_painter.save();
            m_painter.setPen(pen);
            m_painter.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
            m_painter.restore();
            return;
        }
        const bool xMajor = std::abs(dx) >= std::abs(dy);
        for (int64_t i = 0; i < steps; ++i) {
            const int x = int(from.x + (xMajor ? (dx > 0 ? i : -i) : roundDiv(dx * i, steps)));
            const int y = int(from.y + (xMajor ? roundDiv(dy * i, steps) : (dy > 0 ? i : -i)));
            add(x, y, xMajor, isOn());
            ++m_position;
        }
        flush();
    }

private:
    bool isOn() const
    {
        if (m_period == 0)
            return true;
        int offset = int(m_position % m_period);
        for (qsizetype i = 0; i < m_pattern.size(); ++i) {
            if (offset < m_pattern[i])
                return i % 2 == 0;
            offset -= m_pattern[i];
        }
        return true;
    }

    QList<qreal> patternAsReals() const
    {
        QList<qreal> reals;
        for (const int dash : m_pattern)
            reals.append(dash);
        return reals;
    }

    void add(int x, int y, bool xMajor, bool on)
    {
        if (m_length > 0 && on == m_on
            && (xMajor ? y == m_run.y() && std::abs(x - m_last) == 1 : x == m_run.x() && std::abs(y - m_last) == 1)) {
            m_run = m_run.united(QRect(x, y, 1, 1));
            m_last = xMajor ? x : y;
            ++m_length;
            return;
        }
        flush();
        m_run = QRect(x, y, 1, 1);
        m_last = xMajor ? x : y;
        m_on = on;
        m_length = 1;
    }

    void flush()
    {
        if (m_length == 0)
            return;
        if (m_on)
            m_painter.fillRect(m_run, m_color);
        else if (m_opaque)
            m_painter.fillRect(m_run, m_painter.background());
        m_length = 0;
    }

    QPainter &m_painter;
    QColor m_color;
    bool m_opaque;
    bool m_walk;
    QVarLengthArray<int, 6> m_pattern;
    int m_period = 0;
    int64_t m_position = 0;
    QRect m_run;
    int m_last = 0;
    bool m_on = true;
    int m_length = 0;
};

} // namespace

// ---- colours ----

QColor ColorRefToQColor(COLORREF color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF QColorToColorRef(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return RGB(rgb.red(), rgb.green(), rgb.blue());
}

// ---- pens and brushes ----

QPen ToQPen(const LOGPEN &pen)
{
    const uint32_t style = penStyle(pen);
    if (style == PS_NULL)
        return QPen(Qt::NoPen);
    const QColor color = ColorRefToQColor(pen.lopnColor);
    const int width = clampedPenWidth(pen);
    if (width > 1) {
        QPen wide(color, width);
        wide.setCapStyle(Qt::RoundCap);
        wide.setJoinStyle(Qt::RoundJoin);
        return wide;
    }
    QPen thin(color, 1);
    thin.setCosmetic(true);
    thin.setCapStyle(Qt::FlatCap); // leaves out the end point
    thin.setJoinStyle(Qt::MiterJoin);
    // The dash lengths in pixels of the old one-pixel styled pens.
    switch (style) {
    case PS_DASH:
        thin.setDashPattern({18, 6});
        break;
    case PS_DOT:
        thin.setDashPattern({3, 3});
        break;
    case PS_DASHDOT:
        thin.setDashPattern({9, 6, 3, 6});
        break;
    case PS_DASHDOTDOT:
        thin.setDashPattern({9, 3, 3, 3, 3, 3});
        break;
    default:
        break;
    }
    return thin;
}

QBrush ToQBrush(const LOGBRUSH &brush)
{
    const QColor color = ColorRefToQColor(brush.lbColor);
    switch (brush.lbStyle) {
    case BS_NULL:
        return QBrush(Qt::NoBrush);
    case BS_HATCHED:
        switch (brush.lbHatch) {
        case HS_VERTICAL:
            return QBrush(color, Qt::VerPattern);
        case HS_FDIAGONAL:
            return QBrush(color, Qt::FDiagPattern);
        case HS_BDIAGONAL:
            return QBrush(color, Qt::BDiagPattern);
        case HS_CROSS:
            return QBrush(color, Qt::CrossPattern);
        case HS_DIAGCROSS:
            return QBrush(color, Qt::DiagCrossPattern);
        default:
            return QBrush(color, Qt::HorPattern);
        }
    default:
        return QBrush(color);
    }
}

// ---- fills and frames ----

void FillRect(QPainter &painter, const RECT &rect, const QBrush &brush)
{
    if (IsRectEmpty(rect) || brush.style() == Qt::NoBrush)
        return;
    const QRect area = RectToQRect(rect);
    if (isPattern(brush) && painter.backgroundMode() == Qt::OpaqueMode)
        painter.fillRect(area, painter.background());
    painter.fillRect(area, brush);
}

void FillRect(QPainter &painter, const RECT &rect, COLORREF color)
{
    if (!IsRectEmpty(rect))
        painter.fillRect(RectToQRect(rect), ColorRefToQColor(color));
}

void FrameRect(QPainter &painter, const RECT &rect, const QBrush &brush)
{
    if (IsRectEmpty(rect))
        return;
    const QRect area = RectToQRect(rect);
    painter.fillRect(QRect(area.left(), area.top(), area.width(), 1), brush);
    if (area.height() > 1)
        painter.fillRect(QRect(area.left(), area.bottom(), area.width(), 1), brush);
    if (area.height() > 2) {
        painter.fillRect(QRect(area.left(), area.top() + 1, 1, area.height() - 2), brush);
        if (area.width() > 1)
            painter.fillRect(QRect(area.right(), area.top() + 1, 1, area.height() - 2), brush);
    }
}

void FrameRect(QPainter &painter, const RECT &rect, COLORREF color)
{
    FrameRect(painter, rect, QBrush(ColorRefToQColor(color)));
}

void InvertRect(QPainter &painter, const RECT &rect)
{
    if (IsRectEmpty(rect))
        return;
    // |white - x| is 255 - x on every channel of an opaque pixel, and it is
    // its own inverse: the same call erases the handles it drew.
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(RectToQRect(rect), Qt::white);
    painter.setCompositionMode(mode);
}

void Draw3DRect(QPainter &painter, const RECT &rect, COLORREF topLeft, COLORREF bottomRight)
{
    if (IsRectEmpty(rect))
        return;
    const QRect area = RectToQRect(rect);
    const QColor light = ColorRefToQColor(topLeft);
    const QColor dark = ColorRefToQColor(bottomRight);
    const int x = area.left();
    const int y = area.top();
    const int cx = area.width();
    const int cy = area.height();
    painter.fillRect(QRect(x, y, cx - 1, 1), light);
    painter.fillRect(QRect(x, y, 1, cy - 1), light);
    painter.fillRect(QRect(x + cx - 1, y, 1, cy), dark);
    painter.fillRect(QRect(x, y + cy - 1, cx, 1), dark);
}

SysColors SysColorsOf(const QPalette &palette)
{
    SysColors colors;
    colors.face = QColorToColorRef(palette.color(QPalette::Button));
    colors.highlight = QColorToColorRef(palette.color(QPalette::Light));
    colors.light = QColorToColorRef(palette.color(QPalette::Midlight));
    colors.shadow = QColorToColorRef(palette.color(QPalette::Dark));
    colors.darkShadow = QColorToColorRef(palette.color(QPalette::Shadow));
    colors.window = QColorToColorRef(palette.color(QPalette::Base));
    colors.windowText = QColorToColorRef(palette.color(QPalette::Text));
    return colors;
}

QPalette ClassicPalette()
{
    const SysColors &c = kClassicColors;
    QPalette palette;
    palette.setColor(QPalette::Button, ColorRefToQColor(c.face));
    palette.setColor(QPalette::Light, ColorRefToQColor(c.highlight));
    palette.setColor(QPalette::Midlight, ColorRefToQColor(c.light));
    palette.setColor(QPalette::Dark, ColorRefToQColor(c.shadow));
    palette.setColor(QPalette::Mid, QColor(0xA0, 0xA0, 0xA0));
    palette.setColor(QPalette::Shadow, ColorRefToQColor(c.darkShadow));
    palette.setColor(QPalette::Window, ColorRefToQColor(c.window));
    palette.setColor(QPalette::WindowText, ColorRefToQColor(c.windowText));
    palette.setColor(QPalette::Base, ColorRefToQColor(c.window));
    palette.setColor(QPalette::Text, ColorRefToQColor(c.windowText));
    palette.setColor(QPalette::ButtonText, ColorRefToQColor(c.windowText));
    palette.setColor(QPalette::Highlight, QColor(0x00, 0x00, 0x80));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

namespace {

// A ring through the four corners: up the left side, across the top, down
// the right side, back along the bottom, each segment without its end point,
// so that the top-right and bottom-left corners belong to the right and
// bottom colour.
void twoToneRing(QPainter &painter, int l, int t, int r, int b, const QColor &topLeft, const QColor &bottomRight)
{
    axisLine(painter, l, b, l, t, topLeft);
    axisLine(painter, l, t, r, t, topLeft);
    axisLine(painter, r, t, r, b, bottomRight);
    axisLine(painter, r, b, l, b, bottomRight);
}

} // namespace

void Draw3DFrame(QPainter &painter, const RECT &rect, Edge edge, const QPalette &palette)
{
    const bool raised = edge == Edge::Raised;
    const int l = rect.left;
    const int t = rect.top;
    const int r = rect.right;
    const int b = rect.bottom;
    twoToneRing(painter, l + 1, t + 1, r - 1, b - 1, palette.color(raised ? QPalette::Light : QPalette::Shadow),
                palette.color(raised ? QPalette::Dark : QPalette::Midlight));
    twoToneRing(painter, l, t, r, b, palette.color(raised ? QPalette::Midlight : QPalette::Dark),
                palette.color(raised ? QPalette::Shadow : QPalette::Light));
}

void DrawBevelCell(QPainter &painter, const RECT &rect, Edge edge, const QPalette &palette)
{
    if (IsRectEmpty(rect))
        return;
    FrameRect(painter, rect, palette.brush(QPalette::Shadow));
    RECT inside = rect;
    InflateRect(inside, -1, -1);
    FillRect(painter, inside, palette.brush(QPalette::Button));
    const bool raised = edge == Edge::Raised;
    twoToneRing(painter, rect.left + 1, rect.top + 1, rect.right - 2, rect.bottom - 2,
                palette.color(raised ? QPalette::Light : QPalette::Dark),
                palette.color(raised ? QPalette::Dark : QPalette::Light));
}

// ---- text ----

int DrawText(QPainter &painter, const QString &text, RECT &rect, uint32_t flags)
{
    return DrawText(painter, painter.fontMetrics(), text, rect, flags);
}

int DrawText(QPainter &painter, const QFontMetrics &metrics, const QString &text, RECT &rect, uint32_t flags)
{
    Underlines underlined;
    const bool prefixes = !(flags & DT_NOPREFIX) && text.contains(u'&');
    const QString shown = prefixes ? stripPrefixes(text, underlined) : text;
    const int maxWidth = std::max(0, saturate(int64_t(rect.right) - rect.left));

    TextLines lines;
    layoutText(metrics, shown, maxWidth, flags, lines);

    const int cellHeight = metrics.height();
    const int lineHeight = cellHeight + ((flags & DT_EXTERNALLEADING) ? metrics.leading() : 0);
    const int64_t textHeight = int64_t(lines.size()) * lineHeight;

    if (flags & DT_CALCRECT) {
        int maxLineWidth = 0;
        for (const TextLine &line : lines)
            maxLineWidth = std::max(maxLineWidth, line.width);
        rect.right = saturate(int64_t(rect.left) + maxLineWidth);
        rect.bottom = saturate(int64_t(rect.top) + textHeight);
        return saturate(textHeight);
    }
    if (lines.isEmpty())
        return 0;

    int64_t top = rect.top;
    const bool single = flags & DT_SINGLELINE;
    if (single && (flags & DT_VCENTER))
        top = rect.top + (int64_t(rect.bottom) - rect.top - lineHeight) / 2;
    else if (single && (flags & DT_BOTTOM))
        top = int64_t(rect.bottom) - lineHeight;

    auto lineLeft = [&](const TextLine &line) -> int64_t {
        if (flags & DT_CENTER)
            return rect.left + (int64_t(maxWidth) - line.width) / 2;
        if (flags & DT_RIGHT)
            return int64_t(rect.right) - line.width;
        return rect.left;
    };

    // Clip only when something reaches outside: most cells fit, and setting
    // up a clip costs more than drawing them.
    bool clip = false;
    if (!(flags & DT_NOCLIP)) {
        clip = top < rect.top || top + textHeight - lineHeight + cellHeight > rect.bottom;
        for (qsizetype i = 0; i < lines.size() && !clip; ++i) {
            const int64_t x = lineLeft(lines[i]);
            clip = x < rect.left || x + lines[i].width > rect.right;
        }
    }

    const bool opaque = painter.backgroundMode() == Qt::OpaqueMode;
    const QPen oldPen = painter.pen();
    const bool restorePen = oldPen.style() == Qt::NoPen;
    if (clip) {
        painter.save();
        painter.setClipRect(RectToQRect(rect), Qt::IntersectClip);
    }
    if (restorePen)
        painter.setPen(QPen(oldPen.color()));
    if (opaque)
        painter.setBackgroundMode(Qt::TransparentMode); // we fill the boxes ourselves
    const QColor textColor = painter.pen().color();

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const TextLine &line = lines[i];
        const int64_t y = top + int64_t(i) * lineHeight;
        if (clip && y >= rect.bottom)
            break;
        if ((flags & DT_EDITCONTROL) && i > 0 && y + cellHeight > rect.bottom)
            break; // no partly visible last line
        const int x = saturate(lineLeft(line));
        const int lineTop = saturate(y);
        if (opaque)
            painter.fillRect(QRect(x, lineTop, line.width, cellHeight), painter.background());
        const QString piece = line.cut ? line.shortened : slice(shown, line.start, line.length);
        const int baseline = saturate(y + metrics.ascent());
        painter.drawText(QPoint(x, baseline), piece);
        for (const qsizetype index : underlined) {
            if (index < line.start || index >= line.start + line.length)
                continue;
            const qsizetype offset = index - line.start;
            const qsizetype count = shown[index].isHighSurrogate() && index + 1 < shown.size() ? 2 : 1;
            const int before = offset > 0 ? metrics.horizontalAdvance(piece, int(offset)) : 0;
            const int width = metrics.horizontalAdvance(slice(shown, index, count));
            painter.fillRect(QRect(x + before, baseline + std::max(1, metrics.underlinePos()), width,
                                   std::max(1, metrics.lineWidth())),
                             textColor);
        }
    }

    if (opaque)
        painter.setBackgroundMode(Qt::OpaqueMode);
    if (restorePen)
        painter.setPen(oldPen);
    if (clip)
        painter.restore();

    if (single && (flags & (DT_VCENTER | DT_BOTTOM)))
        return saturate(top - rect.top + lineHeight);
    return saturate(textHeight);
}

// ---- the device context ----

CPainterDC::CPainterDC(QPainter &painter, const SysColors &colors, bool printing)
    : m_painter(painter)
    , m_colors(colors)
    , m_printing(printing)
    , m_wasAntialiased(painter.testRenderHint(QPainter::Antialiasing))
    , m_qpen(ToQPen(m_pen))
    , m_qbrush(ToQBrush(m_brush))
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

CPainterDC::~CPainterDC()
{
    m_painter.setRenderHint(QPainter::Antialiasing, m_wasAntialiased);
}

LOGPEN CPainterDC::SelectPen(const LOGPEN &pen)
{
    const LOGPEN old = m_pen;
    m_pen = pen;
    m_qpen = ToQPen(pen);
    return old;
}

LOGBRUSH CPainterDC::SelectBrush(const LOGBRUSH &brush)
{
    const LOGBRUSH old = m_brush;
    m_brush = brush;
    m_qbrush = ToQBrush(brush);
    return old;
}

COLORREF CPainterDC::SetTextColor(COLORREF color)
{
    return std::exchange(m_textColor, color);
}

COLORREF CPainterDC::SetBkColor(COLORREF color)
{
    return std::exchange(m_bkColor, color);
}

int CPainterDC::SetBkMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return std::exchange(m_bkMode, mode);
}

int CPainterDC::SetPolyFillMode(int mode)
{
    if (mode != ALTERNATE && mode != WINDING)
        return 0;
    return std::exchange(m_polyFillMode, mode);
}

void CPainterDC::applyBackground()
{
    m_painter.setBackgroundMode(m_bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    m_painter.setBackground(ColorRefToQColor(m_bkColor));
}

int CPainterDC::penWidth() const
{
    return clampedPenWidth(m_pen);
}

POINT CPainterDC::MoveTo(int x, int y)
{
    return std::exchange(m_position, POINT{x, y});
}

void CPainterDC::LineTo(int x, int y)
{
    const POINT from = std::exchange(m_position, POINT{x, y});
    if (m_qpen.style() == Qt::NoPen)
        return;
    applyBackground();
    if (penWidth() <= 1) {
        ThinLine(m_painter, m_qpen).draw(from, m_position);
    } else { // wide pens are centred on the pixels, not on their corners
        m_painter.setPen(m_qpen);
        m_painter.drawLine(QPointF(from.x + 0.5, from.y + 0.5), QPointF(x + 0.5, y + 0.5));
    }
}

void CPainterDC::Polyline(std::span<const POINT> points)
{
    if (points.size() < 2 || m_qpen.style() == Qt::NoPen)
        return;
    applyBackground();
    if (penWidth() <= 1) {
        ThinLine line(m_painter, m_qpen);
        for (size_t i = 1; i < points.size(); ++i)
            line.draw(points[i - 1], points[i]);
        return;
    }
    m_painter.setPen(m_qpen);
    QPolygonF polygon;
    polygon.reserve(qsizetype(points.size()));
    for (const POINT &p : points)
        polygon.append(QPointF(p.x + 0.5, p.y + 0.5));
    m_painter.drawPolyline(polygon);
}

void CPainterDC::Polygon(std::span<const POINT> points)
{
    if (points.size() < 2)
        return;
    const Qt::FillRule rule = m_polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
    applyBackground();
    m_painter.setPen(m_qpen);
    m_painter.setBrush(m_qbrush);
    if (m_qpen.style() == Qt::NoPen || penWidth() <= 1) {
        // Filled alone, the pixels on the right and bottom edges stay out.
        QPolygon polygon;
        polygon.reserve(qsizetype(points.size()));
        for (const POINT &p : points)
            polygon.append(QPoint(p.x, p.y));
        m_painter.drawPolygon(polygon, rule);
    } else {
        QPolygonF polygon;
        polygon.reserve(qsizetype(points.size()));
        for (const POINT &p : points)
            polygon.append(QPointF(p.x + 0.5, p.y + 0.5));
        m_painter.drawPolygon(polygon, rule);
    }
}

void CPainterDC::Rectangle(int left, int top, int right, int bottom)
{
    drawShape(Shape::Rectangle, left, top, right, bottom);
}

void CPainterDC::RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    drawShape(Shape::RoundRect, left, top, right, bottom, ellipseWidth, ellipseHeight);
}

void CPainterDC::Ellipse(int left, int top, int right, int bottom)
{
    drawShape(Shape::Ellipse, left, top, right, bottom);
}

void CPainterDC::drawShape(Shape shape, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    RECT bounds{left, top, right, bottom};
    NormalizeRect(bounds);
    if (IsRectEmpty(bounds))
        return;
    const int64_t width = int64_t(bounds.right) - bounds.left;
    const int64_t height = int64_t(bounds.bottom) - bounds.top;
    const qreal radiusX = qreal(std::clamp<int64_t>(ellipseWidth, 0, width)) / 2;
    const qreal radiusY = qreal(std::clamp<int64_t>(ellipseHeight, 0, height)) / 2;

    auto draw = [&](const QRectF &outline, qreal shrink) {
        const QRect whole = outline.toRect();
        const bool onPixels = QRectF(whole) == outline; // integer rectangles take Qt's exact paths
        switch (shape) {
        case Shape::Rectangle:
            if (onPixels)
                m_painter.drawRect(whole);
            else
                m_painter.drawRect(outline);
            break;
        case Shape::RoundRect:
            if (radiusX - shrink <= 0 || radiusY - shrink <= 0)
                onPixels ? m_painter.drawRect(whole) : m_painter.drawRect(outline);
            else
                m_painter.drawRoundedRect(outline, radiusX - shrink, radiusY - shrink);
            break;
        case Shape::Ellipse:
            if (onPixels && m_painter.pen().style() != Qt::NoPen && shrink == 0)
                // Qt's aliased ellipse on a one-pixel pen stops a pixel short
                // of a rectangle's right and bottom edges.
                m_painter.drawEllipse(QRectF(outline).adjusted(0, 0, 0.5, 0.5));
            else if (onPixels)
                m_painter.drawEllipse(whole);
            else
                m_painter.drawEllipse(outline);
            break;
        }
    };

    applyBackground();
    const int penPixels = penWidth();
    const bool nullPen = m_qpen.style() == Qt::NoPen;
    // The one-pixel outline runs over the pixels from left to right - 1; a
    // null pen leaves those on the right and bottom edges unfilled.
    const QRectF thinOutline(bounds.left, bounds.top, qreal(width - 1), qreal(height - 1));

    if (nullPen || penPixels <= 1) {
        if (nullPen && m_qbrush.style() == Qt::NoBrush)
            return;
        m_painter.setPen(m_qpen);
        m_painter.setBrush(m_qbrush);
        draw(thinOutline, 0);
        return;
    }
    if (penStyle(m_pen) == PS_INSIDEFRAME) {
        if (width <= penPixels || height <= penPixels) {
            // The frame leaves no room inside: the shape is all pen.
            m_painter.setPen(Qt::NoPen);
            m_painter.setBrush(m_qpen.color());
            draw(QRectF(bounds.left, bounds.top, qreal(width), qreal(height)), 0);
            return;
        }
        // Stroke centred half a pen inside, so the pen ends at the edges.
        const qreal half = qreal(penPixels) / 2;
        m_painter.setPen(m_qpen);
        m_painter.setBrush(m_qbrush);
        draw(QRectF(bounds.left + half, bounds.top + half, qreal(width - penPixels), qreal(height - penPixels)), half);
        return;
    }
    m_painter.setPen(m_qpen);
    m_painter.setBrush(m_qbrush);
    draw(thinOutline.translated(0.5, 0.5), 0);
}

void CPainterDC::PatBlt(int x, int y, int width, int height, uint32_t rop)
{
    RECT area{x, y, saturate(int64_t(x) + width), saturate(int64_t(y) + height)};
    NormalizeRect(area);
    if (IsRectEmpty(area))
        return;
    switch (rop) {
    case PATCOPY:
        applyBackground();
        orvel::FillRect(m_painter, area, m_qbrush);
        break;
    case PATINVERT: {
        const QPainter::CompositionMode mode = m_painter.compositionMode();
        m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        m_painter.fillRect(RectToQRect(area), m_qbrush);
        m_painter.setCompositionMode(mode);
        break;
    }
    case DSTINVERT:
        orvel::InvertRect(m_painter, area);
        break;
    case BLACKNESS:
        m_painter.fillRect(RectToQRect(area), Qt::black);
        break;
    case WHITENESS:
        m_painter.fillRect(RectToQRect(area), Qt::white);
        break;
    default:
        break;
    }
}

int CPainterDC::DrawText(const QString &text, RECT &rect, uint32_t flags)
{
    applyBackground();
    m_painter.setPen(QPen(ColorRefToQColor(m_textColor)));
    if (m_font.lfEscapement == 0 || (flags & DT_CALCRECT))
        return orvel::DrawText(m_painter, text, rect, flags);
    // A slanted font turns the text around the rectangle's top-left corner
    // (tenths of a degree, counter-clockwise).
    m_painter.save();
    m_painter.translate(rect.left, rect.top);
    m_painter.rotate(-m_font.lfEscapement / 10.0);
    RECT turned{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    const int height = orvel::DrawText(m_painter, text, turned, flags | DT_NOCLIP);
    m_painter.restore();
    return height;
}

LOGFONT CPainterDC::SelectFont(const LOGFONT &font)
{
    const LOGFONT old = m_font;
    m_font = font;
    const int dpi = m_painter.device() ? m_painter.device()->logicalDpiY() : 96;
    m_painter.setFont(LogFontToQFont(font, dpi));
    return old;
}

SIZE CPainterDC::GetTextExtent(const QString &text)
{
    const QFontMetrics metrics = m_painter.fontMetrics();
    return SIZE{metrics.horizontalAdvance(text), metrics.height()};
}

void CPainterDC::FillRect(const RECT &rect, COLORREF color)
{
    orvel::FillRect(m_painter, rect, color);
}

void CPainterDC::FillRect(const RECT &rect, const LOGBRUSH &brush)
{
    applyBackground();
    orvel::FillRect(m_painter, rect, ToQBrush(brush));
}

void CPainterDC::FrameRect(const RECT &rect, COLORREF color)
{
    orvel::FrameRect(m_painter, rect, color);
}

void CPainterDC::InvertRect(const RECT &rect)
{
    orvel::InvertRect(m_painter, rect);
}

void CPainterDC::Draw3DRect(const RECT &rect, COLORREF topLeft, COLORREF bottomRight)
{
    orvel::Draw3DRect(m_painter, rect, topLeft, bottomRight);
}

void CPainterDC::Draw3DFrame(const RECT &rect, Edge edge)
{
    QPalette palette;
    palette.setColor(QPalette::Light, ColorRefToQColor(m_colors.highlight));
    palette.setColor(QPalette::Midlight, ColorRefToQColor(m_colors.light));
    palette.setColor(QPalette::Dark, ColorRefToQColor(m_colors.shadow));
    palette.setColor(QPalette::Shadow, ColorRefToQColor(m_colors.darkShadow));
    orvel::Draw3DFrame(m_painter, rect, edge, palette);
}

void CPainterDC::StretchBitmap(const Bitmap &bitmap, const RECT &target, const QRectF &source)
{
    const auto *pixels = dynamic_cast<const ImageBitmap *>(&bitmap);
    if (pixels == nullptr || pixels->image().isNull() || IsRectEmpty(target))
        return;
    const QImage &image = pixels->image();
    const QRect area = RectToQRect(target);
    const QTransform &transform = m_painter.worldTransform();
    if (source.isEmpty() && transform.type() <= QTransform::TxTranslate && m_painter.device() != nullptr) {
        // On screen the whole picture is scaled once to its device pixels
        // and then only copied.
        const qreal ratio = m_painter.device()->devicePixelRatioF();
        const QSize pixelsSize(qRound(area.width() * ratio), qRound(area.height() * ratio));
        QImage scaled = pixels->scaled(pixelsSize);
        scaled.setDevicePixelRatio(ratio);
        m_painter.drawImage(area.topLeft(), scaled);
        return;
    }
    const QRectF from = source.isEmpty() ? QRectF(image.rect()) : source;
    m_painter.save();
    // Pictures are mostly shrunk: smooth scaling keeps them legible.
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_painter.drawImage(QRectF(area), image, from);
    m_painter.restore();
}

} // namespace orvel

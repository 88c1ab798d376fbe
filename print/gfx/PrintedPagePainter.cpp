#include "print/gfx/PrintedPagePainter.h"

#include <QFontMetricsF>
#include <QPainter>

namespace orvel {

namespace {

Qt::PenStyle PenStyleOf(int lineStyle)
{
    switch (lineStyle) {
    case 1:
        return Qt::SolidLine;
    case 2:
        return Qt::DashLine;
    case 3:
        return Qt::DotLine;
    case 4:
        return Qt::DashDotLine;
    case 5:
        return Qt::DashDotDotLine;
    default:
        return Qt::NoPen;
    }
}

} // namespace

PrintedPagePainter::PrintedPagePainter(const QFont &font, int lineStyle)
    : m_font(font)
    , m_linePen(Qt::black, 0, PenStyleOf(lineStyle))
{
    // A hairline: one device pixel, as thin as the printer prints.
    m_linePen.setCosmetic(true);
}

void PrintedPagePainter::Paint(QPainter &painter, const PrintedPage &page, bool showMargins, int pageWidth,
                               int pageHeight) const
{
    painter.save();
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(m_font, painter.device());
    const qreal ascent = metrics.ascent();
    for (const PrintedPage::Text &text : page.texts) {
        const RECT &r = text.rect;
        const int width = r.right - r.left;
        if (width <= 0 || r.bottom <= r.top)
            continue;
        qreal x = r.left;
        if (text.align == PrintedPage::Align::Right)
            x = r.right - text.width;
        else if (text.align == PrintedPage::Align::Centre)
            x = r.left + (width - text.width) / 2.0;
        const qreal y = text.bottom ? r.bottom - metrics.descent() : r.top + ascent;
        if (text.width <= width && x >= r.left) {
            painter.drawText(QPointF(x, y), text.text);
            continue;
        }
        // Too wide for its rectangle: cut at the rectangle's edges.
        painter.save();
        painter.setClipRect(QRect(r.left, r.top, width, r.bottom - r.top), Qt::IntersectClip);
        painter.drawText(QPointF(std::max<qreal>(x, r.left), y), text.text);
        painter.restore();
    }
    if (m_linePen.style() != Qt::NoPen) {
        painter.setPen(m_linePen);
        for (const PrintedPage::Line &line : page.lines)
            painter.drawLine(line.x1, line.y, line.x2, line.y);
    }
    if (showMargins) {
        QPen dotted(Qt::black, 0, Qt::DotLine);
        dotted.setCosmetic(true);
        painter.setPen(dotted);
        const RECT &m = page.margins;
        painter.drawLine(m.left, 0, m.left, pageHeight);
        painter.drawLine(m.right, 0, m.right, pageHeight);
        painter.drawLine(0, m.top, pageWidth, m.top);
        painter.drawLine(0, m.bottom, pageWidth, m.bottom);
    }
    painter.restore();
}

} // namespace orvel

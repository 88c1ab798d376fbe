#include "form/DrawRect.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>

#include <algorithm>

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawRect, CDrawObj, 0);

CDrawRect::CDrawRect(Shape shape_, const RECT &position_, const DrawColors &colors)
    : CDrawObj(position_, colors)
    , shape(shape_)
{}

void CDrawRect::Serialize(CArchive &ar)
{
    CDrawObj::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteU16(uint16_t(shape));
        ar.WriteI32(roundness.x);
        ar.WriteI32(roundness.y);
    } else {
        shape = ar.ReadU16();
        roundness.x = ar.ReadI32();
        roundness.y = ar.ReadI32();
    }
}

namespace {

QRectF toRectF(const RECT &r)
{
    return QRectF(qreal(r.left), qreal(r.top), qreal(int64_t(r.right) - r.left), qreal(int64_t(r.bottom) - r.top));
}

// The band around the segment from a to b that reaches dx to either side
// horizontally and dy vertically: the segment swept by a 2dx × 2dy box.
QPainterPath lineBand(POINT a, POINT b, qreal dx, qreal dy)
{
    const qreal ax = a.x, ay = a.y, bx = b.x, by = b.y;
    // The hull of the two boxes. Walking the corners in this order gives a
    // simple polygon whichever way the segment points: for a segment going
    // down-right the top-right and bottom-left corners carry the band's
    // long edges, otherwise the other two.
    QPolygonF hull;
    const bool sameSign = (bx - ax) * (by - ay) >= 0;
    if (sameSign) {
        hull << QPointF(std::min(ax, bx) - dx, std::min(ay, by) - dy)
             << QPointF(std::min(ax, bx) + dx, std::min(ay, by) - dy)
             << QPointF(std::max(ax, bx) + dx, std::max(ay, by) - dy)
             << QPointF(std::max(ax, bx) + dx, std::max(ay, by) + dy)
             << QPointF(std::max(ax, bx) - dx, std::max(ay, by) + dy)
             << QPointF(std::min(ax, bx) - dx, std::min(ay, by) + dy);
    } else {
        hull << QPointF(std::min(ax, bx) - dx, std::max(ay, by) - dy)
             << QPointF(std::max(ax, bx) - dx, std::min(ay, by) - dy)
             << QPointF(std::max(ax, bx) + dx, std::min(ay, by) - dy)
             << QPointF(std::max(ax, bx) + dx, std::min(ay, by) + dy)
             << QPointF(std::min(ax, bx) + dx, std::max(ay, by) + dy)
             << QPointF(std::min(ax, bx) - dx, std::max(ay, by) + dy);
    }
    QPainterPath path;
    path.addPolygon(hull);
    path.closeSubpath();
    return path;
}

} // namespace

bool CDrawRect::Intersects(const RECT &rect) const
{
    RECT other = rect;
    NormalizeRect(other);
    const QRectF target = toRectF(other);
    RECT bounds = GetNormalizedPosition();

    if (shape == line) {
        // The band is tested against the rectangle grown by the band, so that
        // a horizontal or vertical line, whose own rectangle is empty, can be
        // hit as well.
        const int64_t dx = (int64_t(pen.lopnWidth.x) + 5) / 2;
        const int64_t dy = (int64_t(pen.lopnWidth.y) + 5) / 2;
        const QRectF grown = toRectF(bounds).adjusted(qreal(-dx), qreal(-dy), qreal(dx), qreal(dy));
        if (!grown.intersects(target))
            return false;
        const POINT start{position.left, position.top};
        const POINT end{position.right, position.bottom};
        return lineBand(start, end, qreal(dx), qreal(dy)).intersects(target);
    }

    RECT common;
    if (!IntersectRect(common, bounds, other))
        return false;
    QPainterPath area;
    switch (shape) {
    case roundRectangle:
        // The roundness is the corner ellipse's size, Qt wants its radii.
        area.addRoundedRect(toRectF(bounds), qreal(roundness.x) / 2, qreal(roundness.y) / 2);
        break;
    case ellipse:
        area.addEllipse(toRectF(bounds));
        break;
    default:
        return true;
    }
    return area.intersects(target);
}

} // namespace orvel

#include "print/ui/OrientationPicture.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace orvel {

OrientationPicture::OrientationPicture(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void OrientationPicture::SetLandscape(bool landscape)
{
    if (landscape == m_landscape)
        return;
    m_landscape = landscape;
    update();
}

QSize OrientationPicture::sizeHint() const
{
    // Room for the sheet either way round, as high as the two buttons
    // beside it and their spacing.
    const int side = fontMetrics().height() * 4;
    return {side, side};
}

QSize OrientationPicture::minimumSizeHint() const
{
    return sizeHint();
}

void OrientationPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // A sheet in the proportions of A4, as large as fits.
    const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
    constexpr qreal kRatio = 297.0 / 210.0;
    qreal longSide =
            std::min(m_landscape ? area.width() : area.height(), (m_landscape ? area.height() : area.width()) * kRatio);
    const qreal shortSide = longSide / kRatio;
    const QSizeF size = m_landscape ? QSizeF(longSide, shortSide) : QSizeF(shortSide, longSide);
    QRectF sheet(QPointF(), size);
    sheet.moveCenter(area.center());

    const qreal fold = shortSide / 4;
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();

    const QPalette &colors = palette();
    painter.setPen(QPen(colors.color(QPalette::WindowText), 1));
    painter.setBrush(colors.color(QPalette::Base));
    painter.drawPath(outline);

    QPainterPath corner;
    corner.moveTo(sheet.right() - fold, sheet.top());
    corner.lineTo(sheet.right() - fold, sheet.top() + fold);
    corner.lineTo(sheet.right(), sheet.top() + fold);
    painter.setBrush(colors.color(QPalette::Mid));
    painter.drawPath(corner);

    // Lines of text across the sheet, below the fold.
    painter.setPen(QPen(colors.color(QPalette::Mid), 1));
    const qreal margin = shortSide / 6;
    const qreal step = std::max<qreal>(3, shortSide / 8);
    for (qreal y = sheet.top() + fold + step; y < sheet.bottom() - margin; y += step)
        painter.drawLine(QPointF(sheet.left() + margin, y), QPointF(sheet.right() - margin, y));
}

} // namespace orvel

#include "form/ui/ColorSwatch.h"

#include <QPainter>

namespace orvel {

ColorSwatch::ColorSwatch(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ColorSwatch::SetColor(COLORREF color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QSize ColorSwatch::sizeHint() const
{
    const int height = fontMetrics().height() + 8;
    return {height * 3, height};
}

void ColorSwatch::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(contentsRect(), QColor(GetRValue(m_color), GetGValue(m_color), GetBValue(m_color)));
}

} // namespace orvel

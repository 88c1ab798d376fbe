#include "platform/ui/FontSampleButton.h"

#include <QPainter>

namespace orvel {

FontSampleButton::FontSampleButton(QWidget *parent)
    : QAbstractButton(parent)
{
    // It shows and does nothing: the keyboard passes it by.
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setText(QString::fromUtf16(kSampleText));
}

void FontSampleButton::SetSample(const QFont &font, const QColor &color)
{
    m_font = font;
    m_color = color;
    updateGeometry();
    update();
}

QSize FontSampleButton::sizeHint() const
{
    return {fontMetrics().averageCharWidth() * 24, fontMetrics().height() * 3};
}

QSize FontSampleButton::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * 12, fontMetrics().height() * 2};
}

void FontSampleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setClipRect(rect());
    painter.setFont(m_font);
    painter.setPen(m_color);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}

} // namespace orvel

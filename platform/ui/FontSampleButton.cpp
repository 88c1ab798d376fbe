#include "platform/ui/FontSampleButton.h"

#include "form/ObjectProperties.h"
#include "platform/gfx/FontConversion.h"

#include <QFontMetrics>
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

void FontSampleButton::SetSample(const LOGFONT &font, const QColor &color, int largestPixels)
{
    LOGFONT upright = font;
    upright.lfEscapement = upright.lfOrientation = 0;
    QFont sample = LogFontToQFont(upright, logicalDpiY());
    if (largestPixels > 0 && sample.pixelSize() > largestPixels)
        sample.setPixelSize(largestPixels);
    SetSample(sample, color);
}

int ScreenPointSize(const LOGFONT &font, int dpiY)
{
    const QFont screenFont = LogFontToQFont(font, dpiY);
    const int cellHeight = QFontMetrics(screenFont).height();
    return FontPointSize(cellHeight, cellHeight - screenFont.pixelSize(), dpiY);
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

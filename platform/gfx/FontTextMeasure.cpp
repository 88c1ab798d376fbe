#include "platform/gfx/FontTextMeasure.h"

#include "platform/Codepage.h"
#include "platform/gfx/FontConversion.h"

#include <QFontMetricsF>

#include <cmath>

namespace orvel {

FontTextMeasure::FontTextMeasure(const LOGFONT &font, int dotsPerInch)
    : m_font(LogFontToQFont(font, dotsPerInch))
{
    const QFontMetricsF metrics(m_font);
    for (int byte = 0; byte < 256; ++byte)
        m_advances[std::size_t(byte)] =
                metrics.horizontalAdvance(QChar(AnsiCharToUnicode(static_cast<unsigned char>(byte))));
    m_height = int(std::ceil(metrics.ascent()) + std::ceil(metrics.descent()));
    m_descent = int(std::ceil(metrics.descent()));
    m_leading = std::max(0, int(std::lround(metrics.leading())));
    m_averageWidth = std::max(1, int(std::lround(metrics.averageCharWidth())));
}

int FontTextMeasure::TextWidth(AnsiView text) const
{
    double width = 0;
    for (const char c : text)
        width += m_advances[static_cast<unsigned char>(c)];
    return int(std::ceil(width));
}

} // namespace orvel

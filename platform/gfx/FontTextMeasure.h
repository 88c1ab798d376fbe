#pragma once

#include "platform/LogFont.h"
#include "platform/TextMeasure.h"

#include <QFont>

#include <array>

namespace orvel {

// A font's measures at a resolution. The advance of each of the 256 bytes
// is measured once, so that a text's width is a sum over its bytes: the
// fonts are laid out without kerning, which makes the sum exact, and
// measuring a whole table's values takes milliseconds.
class FontTextMeasure final : public TextMeasure
{
public:
    // `font` in pixels of a device with `dotsPerInch`.
    FontTextMeasure(const LOGFONT &font, int dotsPerInch);

    int Height() const override { return m_height; }
    int Descent() const override { return m_descent; }
    int ExternalLeading() const override { return m_leading; }
    int AverageCharWidth() const override { return m_averageWidth; }
    int TextWidth(AnsiView text) const override;

    // The font as it is drawn with these measures.
    const QFont &Font() const { return m_font; }

private:
    QFont m_font;
    std::array<double, 256> m_advances{};
    int m_height = 0;
    int m_descent = 0;
    int m_leading = 0;
    int m_averageWidth = 0;
};

} // namespace orvel

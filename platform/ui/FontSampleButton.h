#pragma once

#include "platform/LogFont.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>

namespace orvel {

// The sample of a font page: "AaBbYyZz" in the chosen font and colour, on
// one line, centred, on the page's own background.
class FontSampleButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr char16_t kSampleText[] = u"AaBbYyZz";

    explicit FontSampleButton(QWidget *parent = nullptr);

    void SetSample(const QFont &font, const QColor &color);
    // The sample of a stored font at this screen's resolution, upright
    // whatever the font's angle, at most `largestPixels` high (0: as large
    // as the font).
    void SetSample(const LOGFONT &font, const QColor &color, int largestPixels = 0);
    const QFont &SampleFont() const { return m_font; }
    const QColor &SampleColor() const { return m_color; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont m_font;
    QColor m_color = Qt::black;
};

// The point size a font page describes for a stored font: its cell height
// less the internal leading as it measures on a screen of `dpiY` dots per
// inch, in points.
int ScreenPointSize(const LOGFONT &font, int dpiY);

} // namespace orvel

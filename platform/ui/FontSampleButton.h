#pragma once

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

} // namespace orvel

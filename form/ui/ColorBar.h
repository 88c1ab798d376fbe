#pragma once

#include "platform/LogFont.h"

#include <QWidget>

#include <array>
#include <optional>

namespace orvel {

class ColorButton;

// The designer's colour bar ("Farbauswahl"): two buttons in the current
// line and fill colours, and sixteen swatches below them. A left click on a
// swatch makes its colour the line colour, a right click the fill colour; a
// double click opens the colour dialog, whose choice the swatch (or the
// current-colour button) takes. The swatches' colours are not stored.
class CColorBar : public QWidget
{
    Q_OBJECT
public:
    // The swatches' colours as a new bar has them, top to bottom.
    static constexpr std::array<COLORREF, 16> kSwatchColors{
            0x00FFFFFF, 0x00000000, 0x00C0C0C0, 0x00808080, 0x000000FF, 0x00000080, 0x0080FFFF, 0x0000FFFF,
            0x0000FF00, 0x00008000, 0x00FFFF80, 0x00FFFF00, 0x00FF0000, 0x00800000, 0x00FF80FF, 0x00FF00FF};

    explicit CColorBar(QWidget *parent = nullptr);
    ~CColorBar() override;

    // The colours the two current-colour buttons show.
    void SetCurrentColors(COLORREF line, COLORREF fill);
    COLORREF SwatchColor(int index) const;
    ColorButton *LineButton() const { return m_line; }
    ColorButton *FillButton() const { return m_fill; }
    ColorButton *Swatch(int index) const { return m_swatches.at(std::size_t(index)); }

signals:
    // A colour became the current line (fill) colour and is to be applied
    // to the selected objects.
    void lineColorPicked(COLORREF color);
    void fillColorPicked(COLORREF color);

private:
    ColorButton *m_line = nullptr;
    ColorButton *m_fill = nullptr;
    std::array<ColorButton *, 16> m_swatches{};
};

// One button of the colour bar: a solid colour in a sunken frame.
class ColorButton : public QWidget
{
    Q_OBJECT
public:
    ColorButton(COLORREF color, QWidget *parent);
    COLORREF color() const { return m_color; }
    void setColor(COLORREF color);
    QSize sizeHint() const override { return QSize(20, 16); }

signals:
    void leftClicked();
    void rightClicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    COLORREF m_color;
};

} // namespace orvel

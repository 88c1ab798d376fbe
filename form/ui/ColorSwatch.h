#pragma once

#include "platform/LogFont.h"

#include <QFrame>

namespace orvel {

// The colour preview of the line and fill pages: a sunken box filled with
// one colour. It only shows; the page's "Ändern..." button changes it.
class ColorSwatch : public QFrame
{
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget *parent = nullptr);

    COLORREF Color() const { return m_color; }
    void SetColor(COLORREF color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    COLORREF m_color = 0;
};

} // namespace orvel

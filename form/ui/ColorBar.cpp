#include "form/ui/ColorBar.h"

#include "platform/Services.h"
#include "platform/gfx/PainterGdi.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace orvel {

ColorButton::ColorButton(COLORREF color, QWidget *parent)
    : QWidget(parent)
    , m_color(color)
{
    setFixedSize(sizeHint());
    setToolTip(QStringLiteral("#%1").arg(QString::number(ColorRefToQColor(color).rgb() & 0xFFFFFF, 16), 6, u'0'));
}

void ColorButton::setColor(COLORREF color)
{
    if (color == m_color)
        return;
    m_color = color;
    setToolTip(QStringLiteral("#%1").arg(QString::number(ColorRefToQColor(color).rgb() & 0xFFFFFF, 16), 6, u'0'));
    update();
}

void ColorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const RECT all{0, 0, width(), height()};
    RECT inside = all;
    InflateRect(inside, -2, -2);
    FillRect(painter, all,
             palette().color(QPalette::Button).rgb() & 0xFFFFFF ? QColorToColorRef(palette().color(QPalette::Button))
                                                                : kClassicColors.face);
    FillRect(painter, inside, m_color);
    RECT frame = all;
    frame.right -= 1;
    frame.bottom -= 1;
    Draw3DFrame(painter, frame, Edge::Sunken, palette());
}

void ColorButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit leftClicked();
    else if (event->button() == Qt::RightButton)
        emit rightClicked();
}

void ColorButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

CColorBar::CColorBar(QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(LoadQString(ids::kBarColors));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    m_line = new ColorButton(kDefaultLineColor, this);
    m_line->setObjectName(QStringLiteral("LineColor"));
    m_fill = new ColorButton(kDefaultFillColor, this);
    m_fill->setObjectName(QStringLiteral("FillColor"));
    layout->addWidget(m_line);
    layout->addWidget(m_fill);
    auto *separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    layout->addWidget(separator);

    for (std::size_t i = 0; i < kSwatchColors.size(); ++i) {
        auto *swatch = new ColorButton(kSwatchColors[i], this);
        swatch->setObjectName(QStringLiteral("Swatch%1").arg(i));
        m_swatches[i] = swatch;
        layout->addWidget(swatch);
        connect(swatch, &ColorButton::leftClicked, this, [this, swatch] {
            m_line->setColor(swatch->color());
            emit lineColorPicked(swatch->color());
        });
        connect(swatch, &ColorButton::rightClicked, this, [this, swatch] {
            m_fill->setColor(swatch->color());
            emit fillColorPicked(swatch->color());
        });
        connect(swatch, &ColorButton::doubleClicked, this, [this, swatch] {
            if (const auto chosen = services().chooseColor(swatch->color()))
                swatch->setColor(*chosen);
        });
    }
    layout->addStretch();

    connect(m_line, &ColorButton::doubleClicked, this, [this] {
        if (const auto chosen = services().chooseColor(m_line->color())) {
            m_line->setColor(*chosen);
            emit lineColorPicked(*chosen);
        }
    });
    connect(m_fill, &ColorButton::doubleClicked, this, [this] {
        if (const auto chosen = services().chooseColor(m_fill->color())) {
            m_fill->setColor(*chosen);
            emit fillColorPicked(*chosen);
        }
    });
}

CColorBar::~CColorBar() = default;

void CColorBar::SetCurrentColors(COLORREF line, COLORREF fill)
{
    m_line->setColor(line);
    m_fill->setColor(fill);
}

COLORREF CColorBar::SwatchColor(int index) const
{
    return m_swatches.at(std::size_t(index))->color();
}

} // namespace orvel

#include "media/ui/PicturePreview.h"

#include "platform/gfx/PainterGdi.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace orvel {

PicturePreview::PicturePreview(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setMinimumSize(160, 120);
    m_lead.SetRepaintHandler([this] { update(); });
}

void PicturePreview::FitPicture()
{
    const double width = m_lead.GetBitmapWidth();
    const double height = m_lead.GetBitmapHeight();
    const QRect area = contentsRect();
    if (width <= 0 || height <= 0 || area.isEmpty()) {
        m_lead.SetDstRect(0, 0, 0, 0);
        m_lead.ForceRepaint();
        return;
    }
    const double scale = std::min({1.0, area.width() / width, area.height() / height});
    const int shownWidth = std::max(1, int(std::lround(width * scale)));
    const int shownHeight = std::max(1, int(std::lround(height * scale)));
    m_lead.SetDstRect(float(area.left() + (area.width() - shownWidth) / 2),
                      float(area.top() + (area.height() - shownHeight) / 2), float(shownWidth), float(shownHeight));
    m_lead.ForceRepaint();
}

QRect PicturePreview::PictureRect()
{
    if (!m_lead.HasBitmap())
        return {};
    const QRectF shown = m_lead.GetDstRect();
    return shown.isEmpty() ? contentsRect() : shown.toRect();
}

void PicturePreview::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.fillRect(contentsRect(), palette().base());
        const QRect shown = PictureRect();
        if (!shown.isEmpty()) {
            CPainterDC dc(painter);
            m_lead.Draw(dc,
                        RECT{shown.left(), shown.top(), shown.left() + shown.width(), shown.top() + shown.height()});
        }
    }
    QFrame::paintEvent(event);
}

void PicturePreview::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (m_lead.HasBitmap())
        FitPicture();
}

} // namespace orvel

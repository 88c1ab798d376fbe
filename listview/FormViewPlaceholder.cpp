#include "listview/FormViewPlaceholder.h"

#include "document/OrvelDoc.h"
#include "platform/gfx/PainterGdi.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"

#include <QPaintEvent>
#include <QPainter>

namespace orvel {

namespace {

constexpr int kRasterStep = 8; // dots of the design raster, in pixels

} // namespace

FormViewPlaceholder::FormViewPlaceholder(COrvelDoc &doc, QWidget *parent)
    : QWidget(parent)
    , m_doc(doc)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FormViewPlaceholder::Initialise()
{
    update();
}

void FormViewPlaceholder::SetDesignMode(bool design)
{
    m_design = design;
    Initialise();
}

void FormViewPlaceholder::OnUpdate(const UpdateHint &)
{
    update();
}

void FormViewPlaceholder::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), ColorRefToQColor(m_doc.GetBackgroundColor()));
    if (!m_design)
        return;
    // The designer's raster, so that design mode is recognisable.
    painter.setPen(QColor(128, 128, 128));
    const QRect dirty = event->rect();
    for (int y = dirty.top() - dirty.top() % kRasterStep; y <= dirty.bottom(); y += kRasterStep) {
        for (int x = dirty.left() - dirty.left() % kRasterStep; x <= dirty.right(); x += kRasterStep)
            painter.drawPoint(x, y);
    }
}

} // namespace orvel

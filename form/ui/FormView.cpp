#include "form/ui/FormView.h"
#include "form/ui/FormAccessible.h"

#include "document/EmbeddedEditing.h"
#include "document/OrvelDoc.h"
#include "form/FormObjects.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/EmbeddedObjectCommands.h"
#include "form/ui/FormDesigner.h"
#include "platform/gfx/PainterGdi.h"
#include "table/DataTable.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace orvel {

namespace {

constexpr int kFormSize = CFormObjects::kFormWidth;
// Guide dots every ten units, over the middle of the form's coordinate
// range as they always stood: x from 10 and y from 0 up to 1490.
constexpr int kGuideStep = 10;
constexpr int kGuideEnd = kFormSize / 2;

unsigned mouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    unsigned flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= kMouseLeftButton;
    if (modifiers & Qt::ShiftModifier)
        flags |= kMouseShift;
    if (modifiers & Qt::ControlModifier)
        flags |= kMouseControl;
    return flags;
}

// The pencil of freehand polygon drawing, its point at the bottom left.
QCursor pencilCursor()
{
    static const QCursor cursor = [] {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        const QPolygon body({QPoint(3, 28), QPoint(6, 20), QPoint(22, 4), QPoint(27, 9), QPoint(11, 25)});
        painter.drawPolygon(body);
        painter.drawLine(QPoint(6, 20), QPoint(11, 25));
        painter.setBrush(Qt::black);
        painter.drawPolygon(QPolygon({QPoint(1, 30), QPoint(4, 23), QPoint(8, 27)}));
        return QCursor(pixmap, 1, 30);
    }();
    return cursor;
}

} // namespace

CFormView::CFormView(COrvelDoc &doc, DesignerHost &host, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_doc(doc)
    , m_host(host)
    , m_designer(std::make_unique<CFormDesigner>(doc, *this, host))
{
    InstallFormAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    viewport()->setAcceptDrops(true);
    // The form paints every pixel itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(10);
    verticalScrollBar()->setSingleStep(10);
    if (QClipboard *clipboard = QApplication::clipboard()) {
        connect(clipboard, &QClipboard::dataChanged, this, &CFormView::updateClipboardState);
        updateClipboardState();
    }
}

CFormView::~CFormView() = default;

void CFormView::Initialise()
{
    updateScrollBars();
    InvalidateAll();
    // In data mode the current field is edited at once.
    m_designer->SelectCurrentField();
}

void CFormView::SetDesignMode(bool design)
{
    m_designer->SetDesignMode(design);
    setCursor(Qt::ArrowCursor);
}

bool CFormView::IsDesignMode() const
{
    return m_designer->IsDesignMode();
}

void CFormView::OnUpdate(const UpdateHint &hint)
{
    m_designer->OnUpdate(hint);
}

QPoint CFormView::ScrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CFormView::ScrollTo(QPoint position)
{
    horizontalScrollBar()->setValue(position.x());
    verticalScrollBar()->setValue(position.y());
}

QSize CFormView::ClientSize() const
{
    return viewport()->size();
}

void CFormView::InvalidateClient(const QRect &rect)
{
    viewport()->update(rect);
}

void CFormView::InvalidateAll()
{
    viewport()->update();
}

void CFormView::SetNetRect(const QRect &client)
{
    // The old band and the new one are repainted (a dotted frame is all
    // that changes).
    if (!m_net.isNull())
        viewport()->update(m_net.adjusted(-1, -1, 1, 1));
    m_net = client;
    if (!m_net.isNull())
        viewport()->update(m_net.adjusted(-1, -1, 1, 1));
}

void CFormView::SetHandleCursor(HandleCursor cursor)
{
    switch (cursor) {
    case HandleCursor::SizeNorthWestSouthEast:
        SetCursorShape(Qt::SizeFDiagCursor);
        break;
    case HandleCursor::SizeNorthSouth:
        SetCursorShape(Qt::SizeVerCursor);
        break;
    case HandleCursor::SizeNorthEastSouthWest:
        SetCursorShape(Qt::SizeBDiagCursor);
        break;
    case HandleCursor::SizeWestEast:
        SetCursorShape(Qt::SizeHorCursor);
        break;
    case HandleCursor::SizeAll:
        SetCursorShape(Qt::SizeAllCursor);
        break;
    default:
        SetCursorShape(Qt::ArrowCursor);
        break;
    }
}

void CFormView::SetCursorShape(Qt::CursorShape shape)
{
    if (viewport()->cursor().shape() != shape)
        viewport()->setCursor(shape);
}

void CFormView::SetPencilCursor()
{
    viewport()->setCursor(pencilCursor());
}

void CFormView::dragEnterEvent(QDragEnterEvent *event)
{
    if (IsDesignMode() && CanEmbedMimeData(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CFormView::dragMoveEvent(QDragMoveEvent *event)
{
    if (IsDesignMode() && CanEmbedMimeData(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CFormView::dropEvent(QDropEvent *event)
{
    if (!IsDesignMode() || !CanEmbedMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    // Ctrl and Shift together link the files instead of embedding them.
    const bool linked = (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))
                        == (Qt::ControlModifier | Qt::ShiftModifier);
    event->acceptProposedAction();
    m_designer->ClearSelection();
    EmbedMimeData(*m_designer, event->mimeData(), m_designer->ClientToForm(event->position().toPoint()), linked);
}

void CFormView::updateClipboardState()
{
    const QMimeData *offered = QApplication::clipboard()->mimeData();
    m_clipboardHasForm = offered != nullptr && offered->hasFormat(QStringLiteral("application/x-orvel-form"));
    m_clipboardHasEmbeddable = CanEmbedMimeData(offered);
}

void CFormView::updateScrollBars()
{
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, kFormSize - client.width()));
    verticalScrollBar()->setRange(0, std::max(0, kFormSize - client.height()));
    horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    verticalScrollBar()->setPageStep(std::max(1, client.height()));
}

// ---- painting ----

void CFormView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    PaintForm(painter, event->region());
}

void CFormView::PaintForm(QPainter &painter, const QRegion &clientArea)
{
    const QPoint scroll = ScrollPosition();
    painter.save();
    painter.setClipRegion(clientArea);
    painter.translate(-scroll);
    const SysColors colors = SysColorsOf(palette());
    CPainterDC dc(painter, colors);

    std::vector<RECT> clips;
    clips.reserve(std::size_t(clientArea.rectCount()));
    for (const QRect &rect : clientArea)
        clips.push_back(QRectToRect(rect.translated(scroll)));
    const CFormObjects &form = m_doc.GetForm();
    for (const RECT &clip : clips)
        dc.FillRect(clip, form.GetBackground());

    if (m_designer->ShowGuideDots()) {
        const QRect area = clientArea.boundingRect().translated(scroll);
        QPolygon dots;
        const int firstX = std::max(kGuideStep, (area.left() / kGuideStep) * kGuideStep);
        const int firstY = std::max(0, (area.top() / kGuideStep) * kGuideStep);
        for (int y = firstY; y < kGuideEnd && y <= area.bottom(); y += kGuideStep) {
            for (int x = firstX; x < kGuideEnd && x <= area.right(); x += kGuideStep)
                dots << QPoint(x, y);
        }
        painter.setPen(ColorRefToQColor(CFormDesigner::kGuideDotColor));
        painter.drawPoints(dots);
    }

    DrawContext context;
    context.table = &m_doc.GetTable();
    context.record = m_host.CurrentRecord();
    context.designMode = m_designer->IsDesignMode();
    context.showOleFrames = CFormDesigner::ShowOleFrames();
    context.colors = colors;
    context.selection = &m_designer->GetSelection();
    context.objectFile = m_doc.GetWorkingStorePath();
    context.databasePath = m_doc.GetPathName();
    if (const CEmbeddedEditing &editing = m_doc.GetEmbeddedEditing(); editing.HasOpenDocuments())
        context.isValueOpen = [&editing](int record, int field) { return editing.IsValueOpen(record, field); };
    const bool trackers = context.designMode && m_host.IsActiveView();
    form.DrawObjects(dc, context, clips, trackers ? &m_designer->GetSelection() : nullptr);
    painter.restore();

    if (!m_net.isNull()) {
        // The rubber band as a dotted focus frame.
        painter.save();
        QPen pen(Qt::black, 1, Qt::DotLine);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_net.adjusted(0, 0, -1, -1));
        painter.restore();
    }
}

void CFormView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CFormView::scrollContentsBy(int dx, int dy)
{
    // The rubber band is drawn over the form, not part of it.
    if (!m_net.isNull()) {
        viewport()->update();
        return;
    }
    viewport()->scroll(dx, dy);
}

// ---- input ----

void CFormView::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_designer->OnButtonDown(event->position().toPoint(), mouseFlags(event->buttons(), event->modifiers()));
}

void CFormView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    m_designer->OnDoubleClick(event->position().toPoint(), mouseFlags(event->buttons(), event->modifiers()));
}

void CFormView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_designer->OnButtonUp(event->position().toPoint(), mouseFlags(event->buttons(), event->modifiers()));
}

void CFormView::mouseMoveEvent(QMouseEvent *event)
{
    m_designer->OnMouseMove(event->position().toPoint(), mouseFlags(event->buttons(), event->modifiers()));
}

void CFormView::keyPressEvent(QKeyEvent *event)
{
    if (m_designer->OnKey(event))
        return;
    switch (event->key()) {
    case Qt::Key_PageDown:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return;
    case Qt::Key_PageUp:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
}

void CFormView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    m_designer->OnContextMenu(viewport()->mapFrom(this, event->pos()), event->globalPos());
}

} // namespace orvel

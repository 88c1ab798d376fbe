#include "app/ui/PaintedTitleBar.h"

#include <QAction>
#include <QEvent>
#include <QFontDatabase>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>

namespace orvel {

namespace {

constexpr int kBorder = 4;

QFont CaptionFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    return font;
}

} // namespace

PaintedTitleBar::PaintedTitleBar(QMainWindow &window)
    : QObject(&window)
    , m_window(window)
{}

PaintedTitleBar::~PaintedTitleBar() = default;

void PaintedTitleBar::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    const bool visible = m_window.isVisible();
    const Qt::WindowStates state = m_window.windowState();
    // Changing the flags of a shown window hides it.
    m_window.setWindowFlag(Qt::FramelessWindowHint, enabled);
    m_window.setMouseTracking(enabled);
    if (enabled) {
        m_window.installEventFilter(this);
        for (QWidget *child : m_window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            keepOwnCursor(child);
    } else {
        m_window.removeEventFilter(this);
    }
    applyMargins();
    invalidate();
    if (visible) {
        m_window.setWindowState(state);
        m_window.show();
    }
}

int PaintedTitleBar::CaptionHeight() const
{
    return std::max(20, QFontMetrics(CaptionFont()).height() + 6);
}

int PaintedTitleBar::BorderWidth() const
{
    // A maximised window has its frame beyond the screen's edges.
    return m_window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen) ? 0 : kBorder;
}

QRect PaintedTitleBar::CaptionRect() const
{
    const int border = BorderWidth();
    return {border, border, std::max(0, m_window.width() - 2 * border), CaptionHeight()};
}

CaptionLayout PaintedTitleBar::Layout() const
{
    return LayoutCaption(CaptionRect().size());
}

void PaintedTitleBar::applyMargins()
{
    if (!m_enabled) {
        m_window.setContentsMargins(0, 0, 0, 0);
        return;
    }
    const int border = BorderWidth();
    // One line between the caption and the menu bar.
    m_window.setContentsMargins(border, border + CaptionHeight() + 1, border, border);
}

void PaintedTitleBar::invalidate()
{
    m_active = QImage();
    m_inactive = QImage();
}

CaptionLook PaintedTitleBar::look() const
{
    const QPalette palette = m_window.palette();
    CaptionLook look;
    look.active = m_window.isActiveWindow();
    look.activeCaption = palette.color(QPalette::Active, QPalette::Highlight);
    look.inactiveCaption = palette.color(QPalette::Active, QPalette::Mid);
    look.activeText = palette.color(QPalette::Active, QPalette::HighlightedText);
    look.inactiveText = palette.color(QPalette::Active, QPalette::Midlight);
    look.buttonFace = palette.color(QPalette::Active, QPalette::Button);
    look.buttonLight = palette.color(QPalette::Active, QPalette::Light);
    look.buttonShadow = palette.color(QPalette::Active, QPalette::Dark);
    look.buttonText = palette.color(QPalette::Active, QPalette::ButtonText);
    const int iconSize = LayoutCaption(CaptionRect().size()).icon.height();
    look.icon = m_window.windowIcon().pixmap(QSize(iconSize, iconSize), m_window.devicePixelRatio());
    look.title = m_window.windowTitle();
    look.captionFont = CaptionFont();
    look.maximized = m_window.isMaximized();
    look.pressed = m_pressedInside ? m_pressed : CaptionButton::None;
    return look;
}

const QImage &PaintedTitleBar::CaptionImage()
{
    const CaptionLook current = look();
    QImage &cached = current.active ? m_active : m_inactive;
    const QSize size = CaptionRect().size();
    if (cached.isNull() || cached.deviceIndependentSize().toSize() != size || m_pressed != CaptionButton::None)
        cached = PaintCaption(size, current, m_window.devicePixelRatio());
    return cached;
}

void PaintedTitleBar::paint()
{
    QPainter painter(&m_window);
    const QPalette palette = m_window.palette();
    const QRect all = m_window.rect();
    const QRect inner = m_window.contentsRect();
    // The frame around the contents, raised at its outer edge.
    const QRegion frame = QRegion(all) - QRegion(inner);
    for (const QRect &part : frame)
        painter.fillRect(part, palette.color(QPalette::Button));
    if (BorderWidth() > 0) {
        const int r = all.right(), b = all.bottom();
        painter.setPen(palette.color(QPalette::Button));
        painter.drawLine(0, 0, r - 1, 0);
        painter.drawLine(0, 0, 0, b - 1);
        painter.setPen(palette.color(QPalette::Light));
        painter.drawLine(1, 1, r - 2, 1);
        painter.drawLine(1, 1, 1, b - 2);
        painter.setPen(Qt::black);
        painter.drawLine(0, b, r, b);
        painter.drawLine(r, 0, r, b);
        painter.setPen(palette.color(QPalette::Dark));
        painter.drawLine(1, b - 1, r - 1, b - 1);
        painter.drawLine(r - 1, 1, r - 1, b - 1);
    }
    const QRect caption = CaptionRect();
    if (!caption.isEmpty())
        painter.drawImage(caption.topLeft(), CaptionImage());
}

Qt::Edges PaintedTitleBar::edgesAt(QPoint point) const
{
    const int border = BorderWidth();
    if (border == 0)
        return {};
    // The corners reach along the caption's height, as a frame's do.
    const int corner = border + CaptionHeight();
    Qt::Edges edges;
    const bool left = point.x() < border, right = point.x() >= m_window.width() - border;
    const bool top = point.y() < border, bottom = point.y() >= m_window.height() - border;
    const bool nearLeft = point.x() < corner, nearRight = point.x() >= m_window.width() - corner;
    const bool nearTop = point.y() < corner, nearBottom = point.y() >= m_window.height() - corner;
    if (left || ((top || bottom) && nearLeft))
        edges |= Qt::LeftEdge;
    if (right || ((top || bottom) && nearRight))
        edges |= Qt::RightEdge;
    if (top || ((left || right) && nearTop))
        edges |= Qt::TopEdge;
    if (bottom || ((left || right) && nearBottom))
        edges |= Qt::BottomEdge;
    return edges;
}

void PaintedTitleBar::keepOwnCursor(QWidget *child)
{
    // The window's cursor changes over its frame; its parts must not take
    // that over.
    if (!child->isWindow() && !child->testAttribute(Qt::WA_SetCursor))
        child->setCursor(Qt::ArrowCursor);
}

void PaintedTitleBar::updateCursor(QPoint point)
{
    const Qt::Edges edges = edgesAt(point);
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
        m_window.setCursor(Qt::SizeFDiagCursor);
    else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
        m_window.setCursor(Qt::SizeBDiagCursor);
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        m_window.setCursor(Qt::SizeHorCursor);
    else if (edges & (Qt::TopEdge | Qt::BottomEdge))
        m_window.setCursor(Qt::SizeVerCursor);
    else
        m_window.unsetCursor();
}

void PaintedTitleBar::onPress(QPoint point, Qt::MouseButton button)
{
    const QRect caption = CaptionRect();
    const QPoint inCaption = point - caption.topLeft();
    if (button == Qt::RightButton) {
        if (caption.contains(point))
            showWindowMenu(m_window.mapToGlobal(point));
        return;
    }
    if (button != Qt::LeftButton)
        return;
    const Qt::Edges edges = edgesAt(point);
    if (edges) {
        if (QWindow *handle = m_window.windowHandle())
            handle->startSystemResize(edges);
        return;
    }
    if (!caption.contains(point))
        return;
    const CaptionLayout layout = Layout();
    const CaptionButton hit = layout.ButtonAt(inCaption);
    if (hit != CaptionButton::None) {
        m_pressed = hit;
        m_pressedInside = true;
        m_window.update(caption);
        return;
    }
    if (layout.icon.contains(inCaption)) {
        showWindowMenu(m_window.mapToGlobal(caption.topLeft() + layout.icon.bottomLeft() + QPoint(0, 1)));
        return;
    }
    if (QWindow *handle = m_window.windowHandle())
        handle->startSystemMove();
}

void PaintedTitleBar::onRelease(QPoint point)
{
    const CaptionButton pressed = std::exchange(m_pressed, CaptionButton::None);
    m_pressedInside = false;
    if (pressed == CaptionButton::None)
        return;
    const QRect caption = CaptionRect();
    m_window.update(caption);
    if (Layout().ButtonAt(point - caption.topLeft()) != pressed)
        return;
    switch (pressed) {
    case CaptionButton::Minimize:
        m_window.showMinimized();
        break;
    case CaptionButton::Maximize:
        toggleMaximized();
        break;
    case CaptionButton::Close:
        m_window.close();
        break;
    case CaptionButton::None:
        break;
    }
}

void PaintedTitleBar::onDoubleClick(QPoint point)
{
    const QRect caption = CaptionRect();
    if (!caption.contains(point))
        return;
    const CaptionLayout layout = Layout();
    const QPoint inCaption = point - caption.topLeft();
    if (layout.ButtonAt(inCaption) != CaptionButton::None)
        return;
    if (layout.icon.contains(inCaption))
        m_window.close();
    else
        toggleMaximized();
}

void PaintedTitleBar::toggleMaximized()
{
    if (m_window.isMaximized())
        m_window.showNormal();
    else
        m_window.showMaximized();
}

QMenu *PaintedTitleBar::WindowMenu()
{
    if (!m_menu) {
        m_menu = new QMenu(&m_window);
        QAction *restore = m_menu->addAction(QStringLiteral("&Wiederherstellen"), &m_window, &QWidget::showNormal);
        QAction *move = m_menu->addAction(QStringLiteral("&Verschieben"), &m_window, [this] {
            if (QWindow *handle = m_window.windowHandle())
                handle->startSystemMove();
        });
        QAction *size = m_menu->addAction(QStringLiteral("&Größe ändern"), &m_window, [this] {
            if (QWindow *handle = m_window.windowHandle())
                handle->startSystemResize(Qt::RightEdge | Qt::BottomEdge);
        });
        QAction *minimize = m_menu->addAction(QStringLiteral("Mi&nimieren"), &m_window, &QWidget::showMinimized);
        QAction *maximize = m_menu->addAction(QStringLiteral("Ma&ximieren"), &m_window, &QWidget::showMaximized);
        m_menu->addSeparator();
        QAction *close = m_menu->addAction(QStringLiteral("&Schließen\tAlt+F4"), &m_window, &QWidget::close);
        QFont bold = close->font();
        bold.setBold(true);
        close->setFont(bold);
        connect(m_menu, &QMenu::aboutToShow, this, [=, this] {
            const bool normal = !m_window.isMaximized() && !m_window.isMinimized();
            restore->setEnabled(!normal);
            move->setEnabled(normal);
            size->setEnabled(normal);
            minimize->setEnabled(!m_window.isMinimized());
            maximize->setEnabled(!m_window.isMaximized());
        });
    }
    return m_menu;
}

void PaintedTitleBar::showWindowMenu(QPoint globalPos)
{
    WindowMenu()->popup(globalPos);
}

bool PaintedTitleBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_window || !m_enabled)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint:
        paint();
        break;
    case QEvent::WindowStateChange:
        applyMargins();
        invalidate();
        m_window.update();
        break;
    case QEvent::Resize:
    case QEvent::WindowTitleChange:
    case QEvent::WindowIconChange:
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        invalidate();
        m_window.update(CaptionRect());
        break;
    case QEvent::ChildPolished:
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            keepOwnCursor(child);
        break;
    case QEvent::ActivationChange:
        m_window.update(CaptionRect());
        break;
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        onPress(mouse->position().toPoint(), mouse->button());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            onRelease(mouse->position().toPoint());
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            onDoubleClick(mouse->position().toPoint());
        return true;
    }
    case QEvent::MouseMove: {
        const QPoint point = static_cast<QMouseEvent *>(event)->position().toPoint();
        if (m_pressed != CaptionButton::None) {
            const bool inside = Layout().ButtonAt(point - CaptionRect().topLeft()) == m_pressed;
            if (inside != m_pressedInside) {
                m_pressedInside = inside;
                m_window.update(CaptionRect());
            }
        } else {
            updateCursor(point);
        }
        break;
    }
    case QEvent::Leave:
        m_window.unsetCursor();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvel

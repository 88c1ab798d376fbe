#pragma once

#include "platform/gfx/CaptionPainter.h"

#include <QImage>
#include <QObject>

class QMainWindow;
class QMenu;
class QWidget;

namespace orvel {

// The main window's own title bar and frame. Switched on, the window has
// no frame from the window system; it keeps a margin for the frame and the
// caption, paints them, and hands moving and resizing back to the window
// system, so that snapping and tiling keep working.
class PaintedTitleBar : public QObject
{
    Q_OBJECT
public:
    explicit PaintedTitleBar(QMainWindow &window);
    ~PaintedTitleBar() override;

    // Switches the painted caption on or off; a visible window is shown
    // again in the state it had.
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_enabled; }

    // The caption's rectangle in window coordinates.
    QRect CaptionRect() const;
    int CaptionHeight() const;
    int BorderWidth() const;
    CaptionLayout Layout() const;
    // The caption as it is painted now (active or inactive), from the cache.
    const QImage &CaptionImage();
    // The window menu of a right click on the caption, built on demand.
    QMenu *WindowMenu();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyMargins();
    void invalidate();
    CaptionLook look() const;
    void paint();
    Qt::Edges edgesAt(QPoint point) const;
    void keepOwnCursor(QWidget *child);
    void updateCursor(QPoint point);
    void onPress(QPoint point, Qt::MouseButton button);
    void onRelease(QPoint point);
    void onDoubleClick(QPoint point);
    void showWindowMenu(QPoint globalPos);
    void toggleMaximized();

    QMainWindow &m_window;
    bool m_enabled = false;
    // One image per state, kept until the size, the title or the colours
    // change.
    QImage m_active;
    QImage m_inactive;
    CaptionButton m_pressed = CaptionButton::None;
    bool m_pressedInside = false;
    QMenu *m_menu = nullptr;
};

} // namespace orvel

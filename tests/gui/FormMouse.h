#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <functional>

namespace orvel::test {

// Mouse input as the window system delivers it to the form's viewport.
class FormMouse
{
public:
    explicit FormMouse(std::function<QWidget *()> target)
        : m_target(std::move(target))
    {}
    void press(QPoint p, Qt::KeyboardModifiers m = {})
    {
        send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, m);
    }
    void moveTo(QPoint p, bool held = true, Qt::KeyboardModifiers m = {})
    {
        send(QEvent::MouseMove, p, Qt::NoButton, held ? Qt::LeftButton : Qt::NoButton, m);
    }
    void release(QPoint p, Qt::KeyboardModifiers m = {})
    {
        send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, m);
    }
    void click(QPoint p, Qt::KeyboardModifiers m = {})
    {
        press(p, m);
        release(p, m);
    }
    void doubleClick(QPoint p)
    {
        click(p);
        send(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton, {});
        release(p);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers m = {})
    {
        press(from, m);
        moveTo((from + to) / 2, true, m);
        moveTo(to, true, m);
        release(to, m);
    }

private:
    void send(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers)
    {
        QWidget *widget = m_target();
        QMouseEvent event(type, QPointF(p), QPointF(widget->mapToGlobal(p)), button, buttons, modifiers);
        QApplication::sendEvent(widget, &event);
    }
    std::function<QWidget *()> m_target;
};

} // namespace orvel::test

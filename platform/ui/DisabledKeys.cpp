#include "platform/ui/DisabledKeys.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

namespace orvel {

bool IsDisabledCommandKey(const QWidget *widget, const QKeyEvent *event)
{
    if (!widget || !event)
        return false;
    const QKeySequence pressed(event->keyCombination());
    // Qt's shortcuts match keypad keys as their main-block twins too.
    const QKeySequence plain(QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    const QWidget *window = widget->window();
    for (const QAction *action : window->actions()) {
        // An enabled command's shortcut never gets here: Qt triggered it.
        if (!action->isEnabled() && !action->shortcut().isEmpty()
            && (action->shortcut() == pressed || action->shortcut() == plain))
            return true;
    }
    return false;
}

} // namespace orvel

#pragma once

class QKeyEvent;
class QWidget;

namespace orvel {

// True when the key is the shortcut of a command of the widget's window that
// is disabled now. Such a key belongs to the command: it must do nothing,
// rather than reach the widget with the focus and do there what the command
// would have done (Ctrl+Page Down appending a record on the last one).
bool IsDisabledCommandKey(const QWidget *widget, const QKeyEvent *event);

} // namespace orvel

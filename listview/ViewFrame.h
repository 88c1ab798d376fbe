#pragma once

#include "platform/Gdi.h"

#include <QString>

class QMenu;
class QWidget;

namespace orvel {

class COrvelView;

// What a view needs of the main window it lives in. The main frame
// implements it; a view knows no more of its frame than this, as a Qt MDI
// child knows nothing of its main window.
class ViewFrame
{
public:
    // The file dialogs whose filter index the frame remembers.
    enum class FileDialog { Open, InsertFrom, SaveAs, Picture };

    virtual ~ViewFrame() = default;

    // Views take part in the re-layout after the options change.
    virtual void RegisterView(COrvelView *view) = 0;
    virtual void UnregisterView(COrvelView *view) = 0;
    // The design bars and menu while the active view designs its form.
    virtual void SetDesignMenu(bool design) = 0;
    // The message pane of the status bar (empty: the idle text).
    virtual void SetMessageText(const QString &text) = 0;
    // The remembered filter index (from 1) of a file dialog.
    virtual int GetFilterIndex(FileDialog dialog) const = 0;
    virtual void SetFilterIndex(FileDialog dialog, int index) = 0;
    // A context menu of the menu table ("Context", the pop-up by index),
    // its commands routed like the main menu's; null when there is none.
    virtual QMenu *BuildContextMenu(const QString &menu, int index) = 0;
    // The current line and fill colours of the form designer.
    virtual COLORREF CurrentLineColor() const = 0;
    virtual COLORREF CurrentFillColor() const = 0;
    virtual void SetCurrentLineColor(COLORREF color) = 0;
    virtual void SetCurrentFillColor(COLORREF color) = 0;
};

} // namespace orvel
